// Cell values as the text a spreadsheet user sees in general form, shared by every reader.
#pragma once

#include <QString>

namespace sheet {

// A number in general form: rounded to 15 significant digits, trailing zeros dropped, "." as
// decimal point; plain notation for magnitudes from 1E-5 up to below 1E15, otherwise
// "1.23456789012346E18" / "1E-6" (exponent without "+" and without leading zeros).
QString GeneralNumber(double value);

// A date, time or both as the spreadsheet shows them: "2024/1/5", "8:30:05", "2024/1/5 8:30:05".
QString DateText(int year, int month, int day);
QString TimeText(int hour, int minute, int second);

// A serial day number of the 1900 (or 1904) date system as a date, with the time of day when
// the value has one; only the time when the serial is below 1 in the 1900 system.
QString SerialDateText(double serial, bool date1904);

// Whether number format `id` (with its code, for the workbook's own formats) shows numbers as
// dates or times: the built-in date formats (the East Asian ones included), or a code with date
// or time letters outside literal text and beside no digit placeholder.
bool IsDateFormat(int id, const QString& code);

// The decimals number format `id` (with its code, for the workbook's own formats) shows: the
// digit placeholders (0, # and ?) after the decimal point of the section for positive numbers,
// outside quoted text, escaped characters, brackets and padding. -1 for a format that does not
// fix them: General, text ("@"), scientific, percent, fractions, dates and times, a format that
// shows no digit, and a built-in format the reader does not know.
int FormatDecimals(int id, const QString& code);

// "TRUE" / "FALSE".
QString BoolText(bool value);

}  // namespace sheet
