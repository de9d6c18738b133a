// The runtime's text-to-number conversions, with its error text for a text that is no number.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace convert {

// The runtime's trim: the text without the blanks (codes 1 to 32) at both ends.
QString Trim(const QString& text);

// At most a few characters of a value, for a message: a huge pasted or imported value must not
// make a message box that takes minutes to lay out. `chars` characters at most, then "…";
// never splits a character.
QString Excerpt(const QString& value, qsizetype chars = 24);

// A number text's exact value: (negative ? -1 : 1) * digits * 10^exponent, where digits are
// all the text's digits, integer and fraction part together.
struct DecimalNumber {
    bool negative = false;
    QString digits;
    int exponent = 0;
};

// The text split as TextToFloat reads it; nothing when it is no number.
std::optional<DecimalNumber> ParseDecimal(const QString& text);

// A decimal number: optional spaces around it, an optional sign, digits with at most one "."
// (at least a digit or the point; "." alone is 0), an optional exponent ("E" or "e", sign,
// digits). Fails with "'%s' is not a valid floating point value".
double TextToFloat(const QString& text);

// The same syntax read exactly as currency: a whole number of ten-thousandths, rounded half to
// even. Fails like TextToFloat, also when the value does not fit.
std::int64_t TextToCurrency(const QString& text);

// Ten-thousandths back to the shortest plain decimal text ("12.5", "-3", "0").
QString CurrencyToText(std::int64_t tenThousandths);

}  // namespace convert
