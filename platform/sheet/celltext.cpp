#include "platform/sheet/celltext.h"

#include <QDate>
#include <charconv>
#include <cmath>
#include <string>

namespace sheet {

QString GeneralNumber(double value) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? QStringLiteral("NAN")
                                 : (value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF"));
    }
    if (value == 0) {
        return QStringLiteral("0");
    }
    // 15 significant digits, correctly rounded: d.dddddddddddddde±x
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string text(buffer, result.ptr);
    const bool negative = text[0] == '-';
    const std::size_t e = text.find('e');
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i) {
        if (text[i] != '.') {
            digits += text[i];
        }
    }
    int exponent = 0;
    const char* expBegin = text.data() + e + 1;
    if (*expBegin == '+') {
        ++expBegin;
    }
    std::from_chars(expBegin, text.data() + text.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0.";
        out += std::string(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const auto intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits + std::string(intDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, intDigits) + '.' + digits.substr(intDigits);
        }
    }
    return QString::fromLatin1(out);
}

QString DateText(int year, int month, int day) {
    return QStringLiteral("%1/%2/%3").arg(year).arg(month).arg(day);
}

QString TimeText(int hour, int minute, int second) {
    return QStringLiteral("%1:%2:%3")
        .arg(hour)
        .arg(minute, 2, 10, QLatin1Char('0'))
        .arg(second, 2, 10, QLatin1Char('0'));
}

QString SerialDateText(double serial, bool date1904) {
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466) {  // beyond 9999-12-31
        return GeneralNumber(serial);
    }
    auto days = static_cast<long long>(std::floor(serial));
    // The time of day to the second, rounded; a day that rounds up carries over.
    auto seconds =
        static_cast<long long>(std::llround((serial - static_cast<double>(days)) * 86400));
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    const QString time =
        TimeText(static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                 static_cast<int>(seconds % 60));
    if (days == 0 && !date1904) {
        return time;
    }
    QDate date;
    if (date1904) {
        date = QDate(1904, 1, 1).addDays(days);
    } else if (days == 60) {
        // The 1900 system counts a 29 February 1900 that never was.
        const QString text = DateText(1900, 2, 29);
        return seconds == 0 ? text : text + u' ' + time;
    } else {
        date = QDate(1899, 12, days < 60 ? 31 : 30).addDays(days);
    }
    const QString text = DateText(date.year(), date.month(), date.day());
    return seconds == 0 ? text : text + u' ' + time;
}

QString BoolText(bool value) {
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

// Whether a number format shows a date or time: the built-in ones that do (with the East
// Asian ones), or a format code whose first section has date or time letters outside quotes,
// escapes and brackets and no digit placeholder ("0" before any seconds, "#", "?"): letters
// beside digit placeholders are literal text, as in "0.00 USD".
bool IsDateFormat(int id, const QString& code) {
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
        (id >= 50 && id <= 58)) {
        return true;
    }
    if (code.isEmpty()) {
        return false;
    }
    bool quoted = false;
    bool dateLetter = false;
    bool seconds = false;
    bool digits = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (quoted) {
            quoted = c != u'"';
            continue;
        }
        if (c == u'"') {
            quoted = true;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;  // the next character is literal or padding
        } else if (c == u'[') {
            const qsizetype close = code.indexOf(u']', i);
            const QString inside = code.mid(i + 1, close < 0 ? -1 : close - i - 1).toLower();
            // Elapsed time ([h], [mm], [ss]) is a time; colours and conditions are not.
            if (!inside.isEmpty() &&
                (inside[0] == u'h' || inside[0] == u'm' || inside[0] == u's') &&
                inside.count(inside[0]) == inside.size()) {
                return true;
            }
            if (close < 0) {
                break;
            }
            i = close;
        } else if (c == u';') {
            break;  // the first section decides
        } else if (c == u'#' || c == u'?' || (c == u'0' && !seconds)) {
            digits = true;
        } else {
            const QChar l = c.toLower();
            if (l == u'y' || l == u'm' || l == u'd' || l == u'h' || l == u's') {
                dateLetter = true;
                seconds = seconds || l == u's';
            }
        }
    }
    return dateLetter && !digits;
}

namespace {

// The built-in formats that fix the decimals: "0", "#,##0", the currency formats 5 to 8, the
// formats 37 to 40 with negatives in brackets and the accounting formats 41 to 44. Every
// other built-in format is General, text, percent, scientific, a fraction, a date or a time.
int BuiltInDecimals(int id) {
    switch (id) {
        case 1:
        case 3:
        case 5:
        case 6:
        case 37:
        case 38:
        case 41:
        case 42:
            return 0;
        case 2:
        case 4:
        case 7:
        case 8:
        case 39:
        case 40:
        case 43:
        case 44:
            return 2;
        default:
            return -1;
    }
}

}  // namespace

int FormatDecimals(int id, const QString& code) {
    if (IsDateFormat(id, code)) {
        return -1;
    }
    if (code.isEmpty()) {
        return BuiltInDecimals(id);
    }
    bool point = false;
    int integers = 0;
    int decimals = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"') {
            const qsizetype close = code.indexOf(u'"', i + 1);
            if (close < 0) {
                break;
            }
            i = close;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;  // the next character is literal or padding
        } else if (c == u'[') {
            // Colours, currency and locale tags, conditions: none of them shows a digit.
            const qsizetype close = code.indexOf(u']', i);
            if (close < 0) {
                break;
            }
            i = close;
        } else if (c == u';') {
            break;  // the section for positive numbers ends here
        } else if (c == u'@' || c == u'%' || c == u'/') {
            return -1;  // text, a percentage or a fraction
        } else if ((c == u'E' || c == u'e') && i + 1 < code.size() &&
                   (code[i + 1] == u'+' || code[i + 1] == u'-')) {
            return -1;  // scientific
        } else if ((c == u'G' || c == u'g') &&
                   QStringView(code).sliced(i).startsWith(u"general", Qt::CaseInsensitive)) {
            return -1;
        } else if (c == u'.') {
            point = true;  // a later point is literal text
        } else if (c == u'0' || c == u'#' || c == u'?') {
            ++(point ? decimals : integers);
        }
    }
    return integers + decimals == 0 ? -1 : decimals;
}

}  // namespace sheet
