// Number texts of the amount box: its display patterns and the two ways it rounds a value
// to a fixed number of grouped decimals.
#pragma once

#include <QString>

namespace amount {

// The box shows 0 to 10 decimals.
inline constexpr int kMaxDecimals = 10;

// The display pattern for `decimals` decimals: "#,##0" for none, else "#,##0." followed by
// one "0" per decimal ("#,##0.00" for two). "#,##0" is the integer part grouped by threes and
// never empty, every "0" behind the point one decimal that is always shown.
QString DisplayPattern(int decimals);

// Formats v with a display pattern. The value is first written to 18 significant digits and
// that decimal expansion is rounded half away from zero at the last shown decimal. A value that
// rounds to zero carries no sign. Grouping is "," and the point "." whatever the locale says.
// Infinite and NaN values give "INF", "-INF" and "NAN".
QString FormatFloat(const QString& pattern, double v);

// Formats the value of a number text (convert::TextToFloat's syntax) as FormatFloat formats
// an extended-precision value: the text's exact decimal value to 18 significant digits, then
// rounded half away from zero at the last shown decimal. "2.675" gives "2.68" with "0.00",
// where the double nearest 2.675 gives "2.67". Fails like TextToFloat on a text that is no
// number.
QString FormatExtended(const QString& pattern, const QString& text);

// The same formatting with `decimals` decimals (0 to 10), grouped.
QString FormatNumber(double v, int decimals);

// The box's rounding for values set by the program: a = v * 10^d as a double is cut to a
// 64-bit integer n, and n moves one step away from zero when the cut-off fraction f is at least
// 0.499 (f > 0) or below -0.499 (f <= 0). The result is n / 10^d in the pattern for d decimals.
// d = 0 formats like FormatFloat. Where v * 10^d does not fit a 64-bit integer (or is not
// finite) the value is formatted like FormatNumber instead.
QString RoundedText(int d, double v);

}  // namespace amount
