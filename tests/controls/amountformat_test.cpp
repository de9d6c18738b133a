// The amount box's formatters: the patterns and the two roundings at their boundaries.
#include "controls/amountformat.h"
#include "platform/text/apperror.h"
#include "tests/common/testdir.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace {

struct PatternCase {
    int decimals;
    const char* pattern;
};

TEST(AmountFormat, DisplayPatterns) {
    const PatternCase cases[] = {
        {0, "#,##0"},
        {1, "#,##0.0"},
        {2, "#,##0.00"},
        {10, "#,##0.0000000000"},
        {11, "#,##0.0000000000"},  // no pattern beyond ten decimals
    };
    for (const auto& c : cases) {
        EXPECT_EQ(amount::DisplayPattern(c.decimals), QString::fromUtf8(c.pattern)) << c.decimals;
    }
    EXPECT_EQ(amount::FormatFloat(QStringLiteral("#,##0.000"), 1234.5), "1,234.500");
    EXPECT_EQ(amount::FormatFloat(QStringLiteral("0.00"), 1234.5), "1234.50");
}

struct FormatCase {
    double value;
    int decimals;
    const char* text;
};

// Half away from zero, judged on the value's decimal expansion to 18 significant digits.
TEST(AmountFormat, FormatNumberRounding) {
    const FormatCase cases[] = {
        {1.239, 2, "1.24"},
        {1.234, 2, "1.23"},
        {0.004999, 2, "0.00"},
        {0.005, 2, "0.01"},
        {0.125, 2, "0.13"},  // an exact tie goes away from zero
        {-0.125, 2, "-0.13"},
        {2.675, 2, "2.67"},         // the double lies below the tie, far beyond 18 digits
        {1000.005, 2, "1,000.01"},  // below the tie, but 18 digits reach it
        {999.995, 2, "1,000.00"},
        {0.5, 0, "1"},
        {2.5, 0, "3"},
        {-2.5, 0, "-3"},
        {-0.001, 2, "0.00"},  // zero carries no sign
        {0, 2, "0.00"},
        {123, 0, "123"},
        {1234, 0, "1,234"},
        {100, 2, "100.00"},
        {1234567.891, 2, "1,234,567.89"},
        {-1234.5, 2, "-1,234.50"},
        {12.5, 1, "12.5"},
        {1e18, 2, "1,000,000,000,000,000,000.00"},
        {1.0 / 3, 10, "0.3333333333"},
        {2.0 / 3, 10, "0.6666666667"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(amount::FormatNumber(c.value, c.decimals), QString::fromUtf8(c.text))
            << c.value << " with " << c.decimals;
    }
    EXPECT_EQ(amount::FormatNumber(std::numeric_limits<double>::infinity(), 2), "INF");
    EXPECT_EQ(amount::FormatNumber(std::numeric_limits<double>::quiet_NaN(), 2), "NAN");
}

// A number text rounded as an extended-precision value is: from its own decimal digits, cut to
// 18 significant digits first.
TEST(AmountFormat, FormatExtendedRoundsTheTextsValue) {
    const std::pair<const char*, const char*> cases[] = {
        {"2.675", "2.68"},
        {"-2.675", "-2.68"},
        {"1.005", "1.01"},
        {"3000.555", "3000.56"},
        {"1234.5678", "1234.57"},
        {"0.004999", "0.00"},
        {"-0.001", "0.00"},
        {" +12.5 ", "12.50"},
        {"1e2", "100.00"},
        {"2675E-3", "2.68"},
        {"000", "0.00"},
        {".5", "0.50"},
        {"2.6749999999999999999", "2.68"},  // 18 digits reach the tie
        {"2.67499999999999999", "2.67"},    // exactly 18 digits stay below it
        {"99999999999999.995", "100000000000000.00"},
    };
    for (const auto& [text, rounded] : cases) {
        EXPECT_EQ(amount::FormatExtended(QStringLiteral("0.00"), QString::fromLatin1(text)),
                  QString::fromLatin1(rounded))
            << text;
    }
    EXPECT_EQ(amount::FormatExtended(QStringLiteral("#,##0.00"), QStringLiteral("1234567.125")),
              QStringLiteral("1,234,567.13"));
    try {
        amount::FormatExtended(QStringLiteral("0.00"), QStringLiteral("1,000"));
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("'1,000' is not a valid floating point value"));
    }
}

struct RoundedCase {
    int decimals;
    double value;
    const char* text;
};

// Cut to an integer of the last decimal, then one step away from zero from a fraction of 0.499.
TEST(AmountFormat, RoundedTextRounding) {
    const RoundedCase cases[] = {
        {2, 0.004999, "0.01"},
        {2, -0.004999, "-0.01"},
        {2, 0.004991, "0.01"},
        {2, 0.004989, "0.00"},
        {2, -0.004989, "0.00"},
        {2, 1.2349, "1.23"},
        {2, 0.005, "0.01"},
        {2, 1234.5, "1,234.50"},
        {2, 12345.678, "12,345.68"},
        {2, 1000.005, "1,000.01"},
        {3, 1.0005, "1.001"},
        {1, 0.0495, "0.0"},
        {0, 2.5, "3"},  // no decimals: formatted like NumberText
        {0, 1234.4999, "1,234"},
        {2, 1e17, "100,000,000,000,000,000.00"},  // beyond 64 bits: rounded like NumberText
        {2, -1e17, "-100,000,000,000,000,000.00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(amount::RoundedText(c.decimals, c.value), QString::fromUtf8(c.text))
            << c.value << " with " << c.decimals;
    }
}

// Where the two roundings part: a cut-off fraction from 0.499 to just below one half.
TEST(AmountFormat, RoundingsDiffer) {
    struct {
        double value;
        const char* number;
        const char* rounded;
    } const cases[] = {
        {0.004999, "0.00", "0.01"},
        {0.004995, "0.00", "0.01"},
        {1.234991, "1.23", "1.24"},
        {-0.004999, "0.00", "-0.01"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(amount::FormatNumber(c.value, 2), QString::fromUtf8(c.number)) << c.value;
        EXPECT_EQ(amount::RoundedText(2, c.value), QString::fromUtf8(c.rounded)) << c.value;
    }
}

}  // namespace
