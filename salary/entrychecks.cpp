#include "salary/entrychecks.h"

#include "controls/amountformat.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"

namespace salary {

namespace {

bool IsField(const FieldRule& field, const char16_t* name) {
    return field.name.compare(QString::fromUtf16(name), Qt::CaseInsensitive) == 0;
}

bool AllDigits(const QString& text) {
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

}  // namespace

QString CheckValue(const FieldRule& field, const QString& value, bool whole) {
    const QString label = field.label.isEmpty() ? field.name : field.label;
    if (value.contains(u'|') || value.contains(u'\r') || value.contains(u'\n')) {
        throw AppError(QStringLiteral("“%1”不能包含“|”或换行符！").arg(label));
    }
    if (value.isEmpty() && !whole) {
        return value;
    }
    if (IsField(field, u"name")) {
        if (convert::Trim(value).isEmpty()) {
            throw AppError(QStringLiteral("“%1”不能为空！").arg(label));
        }
    } else if (IsField(field, u"acct")) {
        if (value.isEmpty() || value.size() > kMaxAccountDigits || !AllDigits(value)) {
            throw AppError(QStringLiteral("“%1”只能是1到%2位数字，不能带空格或横杠：“%3”")
                               .arg(label)
                               .arg(kMaxAccountDigits)
                               .arg(convert::Excerpt(value)));
        }
    } else if (IsField(field, u"finalincome")) {
        const amount::AmountCheck amount = amount::CheckAmount(value);
        if (amount.refusal) {
            throw AppError(QStringLiteral("“%1”：%2").arg(label, *amount.refusal));
        }
        return amount.normal;
    }
    if (field.size > 0 && ansi::Size(value) > field.size) {
        throw AppError(QStringLiteral("“%1”超过%2字节，不能截断：“%3”")
                           .arg(label)
                           .arg(field.size)
                           .arg(convert::Excerpt(value)));
    }
    return value;
}

}  // namespace salary
