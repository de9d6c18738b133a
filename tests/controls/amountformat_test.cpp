// The amount box's formatters: the patterns and the two roundings at their boundaries.
#include "controls/amountformat.h"
#include "tests/common/testdir.h"

#include <gtest/gtest.h>

#include <limits>

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
