#include "payments/money.h"

#include <QtNumeric>

#include "platform/text/apperror.h"
#include "platform/text/convert.h"

namespace payments {

namespace {

// The magnitude in whole cents, halves away from zero; unsigned so that the lowest value fits.
std::uint64_t CentsMagnitude(std::int64_t tenThousandths) {
    const std::uint64_t magnitude = tenThousandths < 0
                                        ? 0 - static_cast<std::uint64_t>(tenThousandths)
                                        : static_cast<std::uint64_t>(tenThousandths);
    return magnitude / 100 + (magnitude % 100 >= 50 ? 1 : 0);
}

QString TwoDecimals(std::int64_t tenThousandths, bool grouped) {
    const std::uint64_t cents = CentsMagnitude(tenThousandths);
    QString whole = QString::number(cents / 100);
    if (grouped) {
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3) {
            whole.insert(at, u',');
        }
    }
    const QString sign = tenThousandths < 0 && cents != 0 ? QStringLiteral("-") : QString();
    return sign + whole + u'.' + QStringLiteral("%1").arg(cents % 100, 2, 10, QChar(u'0'));
}

}  // namespace

std::optional<Money> Money::Parse(const QString& text) {
    try {
        return Money(convert::TextToCurrency(text));
    } catch (const AppError&) {
        return std::nullopt;
    }
}

Money Money::Max() {
    return Money(std::numeric_limits<std::int64_t>::max());
}

std::optional<Money> Money::Plus(Money other) const {
    std::int64_t sum = 0;
    if (qAddOverflow(value_, other.value_, &sum)) {
        return std::nullopt;
    }
    return Money(sum);
}

QString Money::Plain() const {
    return TwoDecimals(value_, false);
}

QString Money::Grouped() const {
    return TwoDecimals(value_, true);
}

std::int64_t Money::Cents() const {
    const auto cents = static_cast<std::int64_t>(CentsMagnitude(value_));
    return value_ < 0 ? -cents : cents;
}

bool Total::Add(Money amount) {
    if (overflowed_) {
        return false;
    }
    if (const auto sum = sum_.Plus(amount)) {
        sum_ = *sum;
        return true;
    }
    overflowed_ = true;
    return false;
}

QString TotalTooLargeText(const QString& what) {
    // The largest total shown is the largest one in whole cents.
    const Money largest = Money::FromTenThousandths(Money::Max().TenThousandths() / 100 * 100);
    return QStringLiteral("%1的合计金额将超过%2元，无法准确计算，请分批处理！")
        .arg(what, largest.Grouped());
}

}  // namespace payments
