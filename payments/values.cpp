#include "payments/values.h"

#include <QRegularExpression>

#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"

namespace payments {

AmountCheck CheckAmount(const QString& text) {
    const std::optional<Money> value = Money::Parse(text);
    if (!value) {
        // A plain decimal fails only by its size.
        static const QRegularExpression plain(QStringLiteral("^\\d+(\\.\\d*)?$"));
        if (plain.match(text).hasMatch()) {
            return {QString(), Money(),
                    QStringLiteral("金额“%1”超过%2位整数")
                        .arg(convert::Excerpt(text))
                        .arg(kMaxAmountDigits)};
        }
        return {QString(), Money(),
                QStringLiteral("金额“%1”不是有效的数字").arg(convert::Excerpt(text))};
    }
    const std::int64_t v = value->TenThousandths();
    if (v % 100 != 0) {
        return {QString(), Money(),
                QStringLiteral("金额“%1”超过两位小数").arg(convert::Excerpt(text))};
    }
    if (v <= 0) {
        return {QString(), Money(),
                QStringLiteral("金额“%1”必须大于0").arg(convert::Excerpt(text))};
    }
    std::int64_t limit = 10000;
    for (int i = 0; i < kMaxAmountDigits; ++i) {
        limit *= 10;
    }
    if (v >= limit) {
        return {QString(), Money(),
                QStringLiteral("金额“%1”超过%2位整数")
                    .arg(convert::Excerpt(text))
                    .arg(kMaxAmountDigits)};
    }
    return {value->Plain(), *value, std::nullopt};
}

Flaw FindFlaw(QStringView value) {
    if (value.contains(u'|') || value.contains(u'\r') || value.contains(u'\n')) {
        return Flaw::PipeOrLineBreak;
    }
    if (ansi::FindControl(value) >= 0) {
        return Flaw::Control;
    }
    if (ansi::HasUndecodable(value)) {
        return Flaw::Undecodable;
    }
    return Flaw::None;
}

QString FlawText(const QString& label, Flaw flaw) {
    switch (flaw) {
        case Flaw::PipeOrLineBreak:
            return QStringLiteral("“%1”不能包含“|”或换行符").arg(label);
        case Flaw::Control:
            return QStringLiteral("“%1”含有控制字符").arg(label);
        case Flaw::Undecodable:
            return QStringLiteral("“%1”含有无法识别的字节").arg(label);
        case Flaw::None:
            break;
    }
    return QString();
}

std::optional<QString> SizeRefusal(const QString& label, const QString& value, int maxBytes) {
    if (maxBytes <= 0 || ansi::Size(value) <= maxBytes) {
        return std::nullopt;
    }
    return QString::fromUtf16(msg::kValueTooLong)
        .arg(label)
        .arg(maxBytes)
        .arg(convert::Excerpt(value));
}

bool IsNumberCellForm(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^[0-9.]+[Ee][+-]?[0-9]+$"));
    return form.match(text).hasMatch();
}

bool IsExponentForm(const QString& text) {
    // Read by hand in one pass: a pattern with nested repeats takes quadratic time on a cell of
    // a million digits. Mantissa: an optional sign, digits with at most one point; then one
    // "E" or "e", an optional sign and digits.
    const QString t = text.trimmed();
    qsizetype i = !t.isEmpty() && (t[0] == u'+' || t[0] == u'-') ? 1 : 0;
    const auto digitsFrom = [&](bool point) {
        const qsizetype start = i;
        int points = 0;
        qsizetype digits = 0;
        for (; i < t.size(); ++i) {
            if (t[i] >= u'0' && t[i] <= u'9') {
                ++digits;
            } else if (point && t[i] == u'.' && points == 0) {
                ++points;
            } else {
                break;
            }
        }
        return digits > 0 && i > start;
    };
    if (!digitsFrom(true) || i >= t.size() || (t[i] != u'e' && t[i] != u'E')) {
        return false;
    }
    ++i;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        ++i;
    }
    return digitsFrom(false) && i == t.size();
}

QString ExponentAmountText(const QString& text) {
    return QStringLiteral(
               "金额“%1”是科学计数法，电子表格已丢失它的末几位；请将该列设为两位小数的数值格式，"
               "核对金额后再导入")
        .arg(convert::Excerpt(text));
}

bool AllDigits(QStringView text) {
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return !text.isEmpty();
}

QString GroupedText(const QString& amount) {
    const std::optional<Money> value = Money::Parse(amount);
    return value ? value->Grouped() : amount;
}

}  // namespace payments
