#include "controls/capitals.h"

#include "platform/text/apperror.h"
#include "platform/text/convert.h"

namespace capitals {

namespace {

constexpr char16_t kDigits[] = u"零壹贰叁肆伍陆柒捌玖";
constexpr char16_t kPlaces[] = u"仟佰拾";  // the places of a group of four before its units

// Writes a whole number below 10^8 in groups of four (万, units). Trailing zeros of a group are
// dropped; a run of zeros before a non-zero digit of the same group gives one 零; a group that is
// all zeros writes nothing, not even its unit. `padded` pads the highest group to four digits,
// as it is when a higher part (亿) stands before it.
QString BelowHundredMillion(std::uint64_t n, bool padded) {
    const std::uint64_t groups[] = {n / 10000, n % 10000};
    const char16_t* units[] = {u"万", u""};
    QString text;
    bool anyBefore = padded;
    for (int g = 0; g < 2; ++g) {
        const std::uint64_t group = groups[g];
        if (group == 0) {
            continue;
        }
        const int digits[] = {static_cast<int>(group / 1000), static_cast<int>(group / 100 % 10),
                              static_cast<int>(group / 10 % 10), static_cast<int>(group % 10)};
        bool started = false;  // a digit of this group has been written
        bool zeros = false;    // zeros wait for a non-zero digit after them
        for (int i = 0; i < 4; ++i) {
            if (digits[i] == 0) {
                // Zeros count only between digits: inside the group, or after a higher group.
                zeros = zeros || started || anyBefore;
                continue;
            }
            if (zeros) {
                text += u'零';
                zeros = false;
            }
            text += QChar(kDigits[digits[i]]);
            if (i < 3) {
                text += QChar(kPlaces[i]);
            }
            started = true;
        }
        text += QString::fromUtf16(units[g]);
        anyBefore = true;
    }
    return text;
}

QString Whole(std::uint64_t n) {
    const std::uint64_t high = n / 100000000;
    const std::uint64_t low = n % 100000000;
    if (high == 0) {
        return BelowHundredMillion(low, false);
    }
    return BelowHundredMillion(high, false) + u'亿' + BelowHundredMillion(low, true);
}

}  // namespace

QString FromCurrency(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    const std::uint64_t magnitude = negative ? 0ULL - static_cast<std::uint64_t>(tenThousandths)
                                             : static_cast<std::uint64_t>(tenThousandths);
    const std::uint64_t cents = magnitude / 100 + (magnitude % 100 >= 50 ? 1 : 0);
    const std::uint64_t yuan = cents / 100;
    const int jiao = static_cast<int>(cents / 10 % 10);
    const int fen = static_cast<int>(cents % 10);
    QString text = negative && cents != 0 ? QStringLiteral("负") : QString();
    if (yuan == 0 && cents != 0) {
        // A fraction alone: no 零元 before it.
        if (jiao != 0) {
            text += QChar(kDigits[jiao]) + QStringLiteral("角");
        }
        if (fen != 0) {
            text += QChar(kDigits[fen]) + QStringLiteral("分");
        }
        return text;
    }
    text += (yuan == 0 ? QStringLiteral("零") : Whole(yuan)) + QStringLiteral("元");
    if (jiao == 0 && fen == 0) {
        return text + QStringLiteral("整");
    }
    if (jiao != 0) {
        text += QChar(kDigits[jiao]) + QStringLiteral("角");
    } else {
        text += QStringLiteral("零");
    }
    if (fen != 0) {
        text += QChar(kDigits[fen]) + QStringLiteral("分");
    }
    return text;
}

QString FromText(const QString& amount) {
    try {
        return FromCurrency(convert::TextToCurrency(amount));
    } catch (const AppError&) {
        return QString();
    }
}

}  // namespace capitals
