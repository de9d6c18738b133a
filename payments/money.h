// An amount of money held exactly: a whole number of ten-thousandths in 64 bits, as the
// runtime's currency conversion reads a text. Sums are checked: a total that does not fit is
// refused, never wrapped into a wrong figure.
#pragma once

#include <QString>
#include <compare>
#include <cstdint>
#include <optional>

namespace payments {

class Money {
public:
    constexpr Money() = default;
    static constexpr Money FromTenThousandths(std::int64_t value) { return Money(value); }
    // The currency conversion of a number text (convert::TextToCurrency's syntax); nothing when
    // the text is no number or does not fit.
    static std::optional<Money> Parse(const QString& text);
    // The largest amount there is: the bound of every checked sum.
    static Money Max();

    constexpr std::int64_t TenThousandths() const { return value_; }
    // This plus other; nothing when the sum does not fit.
    std::optional<Money> Plus(Money other) const;

    // Two decimals rounded half away from zero: "1234.50" (Plain) and "1,234.50" (Grouped); a
    // value that rounds to zero carries no sign.
    QString Plain() const;
    QString Grouped() const;
    // Whole cents, rounded half away from zero: how payments are compared.
    std::int64_t Cents() const;

    constexpr auto operator<=>(const Money&) const = default;

private:
    constexpr explicit Money(std::int64_t value) : value_(value) {}
    std::int64_t value_ = 0;
};

// A running total that refuses, once and for good, a sum that does not fit.
class Total {
public:
    // False, and the total marked as overflowed, when the sum does not fit.
    bool Add(Money amount);
    bool Overflowed() const { return overflowed_; }
    Money Sum() const { return sum_; }

private:
    Money sum_;
    bool overflowed_ = false;
};

// The refusal of a sum that does not fit, naming what it would have been a sum of ("指令",
// "工资记录") and the largest total there is.
QString TotalTooLargeText(const QString& what);

}  // namespace payments
