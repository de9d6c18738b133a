#include "payments/credit.h"

#include "payments/values.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"

namespace payments {

namespace {

bool IsField(const FieldRule& field, const char16_t* name) {
    return field.name.compare(QString::fromUtf16(name), Qt::CaseInsensitive) == 0;
}

}  // namespace

QString CheckCreditValue(const FieldRule& field, const QString& value, bool whole) {
    const QString label = field.label.isEmpty() ? field.name : field.label;
    if (const Flaw flaw = FindFlaw(value); flaw != Flaw::None) {
        throw AppError(FlawText(label, flaw) + u'！');
    }
    if (value.isEmpty() && !whole) {
        return value;
    }
    if (IsField(field, u"name")) {
        if (convert::Trim(value).isEmpty()) {
            throw AppError(QStringLiteral("“%1”不能为空！").arg(label));
        }
    } else if (IsField(field, u"acct")) {
        if (value.size() > kMaxAccountDigits || !AllDigits(value)) {
            throw AppError(QStringLiteral("“%1”只能是1到%2位数字，不能带空格或横杠：“%3”")
                               .arg(label)
                               .arg(kMaxAccountDigits)
                               .arg(convert::Excerpt(value)));
        }
    } else if (IsField(field, u"finalincome")) {
        const AmountCheck amount = CheckAmount(value);
        if (amount.refusal) {
            throw AppError(QStringLiteral("“%1”：%2").arg(label, *amount.refusal));
        }
        return amount.normal;
    }
    if (const auto refusal = SizeRefusal(label, value, field.size)) {
        throw AppError(*refusal);
    }
    return value;
}

}  // namespace payments
