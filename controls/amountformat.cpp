#include "controls/amountformat.h"

#include "platform/text/apperror.h"
#include "platform/text/convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace amount {

namespace {

// A decimal number: value = (negative ? -1 : 1) * digits * 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// The double written exactly to 18 significant digits (correctly rounded).
Decimal Expand(double v) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, 17);
    const std::string text(buffer, result.ptr);  // "-1.23456789012345678e+05"
    Decimal d;
    std::size_t i = 0;
    if (text[i] == '-') {
        d.negative = true;
        ++i;
    }
    const std::size_t e = text.find('e');
    for (; i < e; ++i) {
        if (text[i] != '.') {
            d.digits += text[i];
        }
    }
    std::size_t k = e + 1;
    const bool negativeExponent = text[k] == '-';
    if (text[k] == '-' || text[k] == '+') {
        ++k;
    }
    int exponent = 0;
    std::from_chars(text.data() + k, text.data() + text.size(), exponent);
    d.exponent = (negativeExponent ? -exponent : exponent) - static_cast<int>(d.digits.size() - 1);
    return d;
}

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// Rounds the number half away from zero to `decimals` decimals and writes it with an optional
// grouping of the integer part.
QString Format(const Decimal& d, int decimals, bool grouped) {
    // whole = |value| * 10^decimals, rounded to an integer.
    std::string whole;
    const int shift = d.exponent + decimals;
    if (shift >= 0) {
        whole = d.digits + std::string(static_cast<std::size_t>(shift), '0');
    } else {
        const long cut = static_cast<long>(d.digits.size()) + shift;
        if (cut >= 0) {
            whole = d.digits.substr(0, static_cast<std::size_t>(cut));
            if (d.digits[static_cast<std::size_t>(cut)] >= '5') {
                Increment(whole);
            }
        }
    }
    const std::size_t first = whole.find_first_not_of('0');
    whole = first == std::string::npos ? std::string() : whole.substr(first);
    const bool zero = whole.empty();
    if (whole.size() < static_cast<std::size_t>(decimals) + 1) {
        whole.insert(0, static_cast<std::size_t>(decimals) + 1 - whole.size(), '0');
    }
    const std::size_t intLength = whole.size() - static_cast<std::size_t>(decimals);
    std::string out;
    if (d.negative && !zero) {
        out += '-';
    }
    for (std::size_t i = 0; i < intLength; ++i) {
        if (grouped && i > 0 && (intLength - i) % 3 == 0) {
            out += ',';
        }
        out += whole[i];
    }
    if (decimals > 0) {
        out += '.';
        out += whole.substr(intLength);
    }
    return QString::fromLatin1(out);
}

double PowerOfTen(int d) {
    double p = 1.0;
    for (int i = 0; i < d; ++i) {
        p *= 10.0;  // exact for every d the box allows
    }
    return p;
}

}  // namespace

QString DisplayPattern(int decimals) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    if (decimals == 0) {
        return QStringLiteral("#,##0");
    }
    return QStringLiteral("#,##0.") + QString(decimals, u'0');
}

namespace {

// Formats d with a display pattern or "0.00".
QString FormatPattern(const QString& pattern, const Decimal& d) {
    const qsizetype point = pattern.indexOf(u'.');
    const bool grouped = pattern.left(point < 0 ? pattern.size() : point).contains(u',');
    const int decimals = point < 0 ? 0 : static_cast<int>(pattern.mid(point + 1).count(u'0'));
    return Format(d, decimals, grouped);
}

}  // namespace

QString FormatFloat(const QString& pattern, double v) {
    if (std::isnan(v)) {
        return QStringLiteral("NAN");
    }
    if (std::isinf(v)) {
        return v < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    }
    return FormatPattern(pattern, Expand(v));
}

QString FormatExtended(const QString& pattern, const QString& text) {
    const auto parsed = convert::ParseDecimal(text);
    if (!parsed) {
        throw MakeError(msg::kNotValidFloat, text);
    }
    Decimal d;
    d.negative = parsed->negative;
    d.exponent = parsed->exponent;
    const std::string digits = parsed->digits.toStdString();
    const std::size_t first = digits.find_first_not_of('0');
    d.digits = first == std::string::npos ? std::string(1, '0') : digits.substr(first);
    // An extended value holds 18 significant digits; more are rounded away first.
    constexpr std::size_t kSignificant = 18;
    if (d.digits.size() > kSignificant) {
        const bool up = d.digits[kSignificant] >= '5';
        d.exponent += static_cast<int>(d.digits.size() - kSignificant);
        d.digits.resize(kSignificant);
        if (up) {
            Increment(d.digits);
        }
    }
    return FormatPattern(pattern, d);
}

QString FormatNumber(double v, int decimals) {
    return FormatFloat(DisplayPattern(decimals), v);
}

QString RoundedText(int d, double v) {
    d = std::clamp(d, 0, kMaxDecimals);
    if (d == 0) {
        return FormatFloat(DisplayPattern(0), v);
    }
    const double a = v * PowerOfTen(d);
    if (!(std::fabs(a) < 9223372036854775808.0)) {  // 2^63; also catches NaN
        return FormatNumber(v, d);
    }
    auto n = static_cast<std::int64_t>(a);
    const double f = a - static_cast<double>(n);
    if (f > 0) {
        if (f >= 0.499) {
            ++n;
        }
    } else if (f < -0.499) {
        --n;
    }
    // n / 10^d written exactly: the digits of n with the point d places from the right.
    Decimal scaled;
    scaled.negative = n < 0;
    const std::uint64_t magnitude =
        n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    scaled.digits = std::to_string(magnitude);
    scaled.exponent = -d;
    return Format(scaled, d, DisplayPattern(d).contains(u','));
}

}  // namespace amount
