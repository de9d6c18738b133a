#include "platform/text/convert.h"

#include <gtest/gtest.h>

#include "platform/text/apperror.h"

TEST(Convert, CurrencyRoundsToTenThousandthsHalfToEven) {
    struct Case {
        const char* text;
        std::int64_t expected;
    } cases[] = {
        {"100.00", 1000000},
        {"0.01", 100},
        {"-3.5", -35000},
        {"1.00005", 10000},
        {"1.00015", 10002},
        {"1.000051", 10001},
        {"1.00004999", 10000},
        {" 12 ", 120000},
        {"1e2", 1000000},
        {"0", 0},
        {"123456789012.34", 1234567890123400},
        {".5", 5000},
        {"-0.00005", 0},
        {".", 0},
        {" -. ", 0},
        {".e3", 0},
        {"5.", 50000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(convert::TextToCurrency(QString::fromUtf8(c.text)), c.expected) << c.text;
    }
}

TEST(Convert, TextThatIsNoNumberFailsWithTheRuntimeText) {
    for (const char* text : {"abc", "", "1.2.3", "12a", "1e", "--1", "１２", "1,000", "\t5", "5\n",
                             "+", "-", "e5", ".e", "..", " "}) {
        const QString t = QString::fromUtf8(text);
        try {
            convert::TextToCurrency(t);
            ADD_FAILURE() << text;
        } catch (const AppError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'") + t +
                                       QStringLiteral("' is not a valid floating point value"));
        }
        EXPECT_THROW(convert::TextToFloat(t), AppError) << text;
    }
    EXPECT_THROW(convert::TextToCurrency(QStringLiteral("99999999999999999999")), AppError);
}

TEST(Convert, FloatAndCurrencyText) {
    EXPECT_DOUBLE_EQ(convert::TextToFloat(QStringLiteral("1234.56")), 1234.56);
    EXPECT_DOUBLE_EQ(convert::TextToFloat(QStringLiteral("-0.5")), -0.5);
    EXPECT_DOUBLE_EQ(convert::TextToFloat(QStringLiteral("1e-400")), 0.0);
    EXPECT_THROW(convert::TextToFloat(QStringLiteral("1e400")), AppError);
    EXPECT_EQ(convert::CurrencyToText(1234500), QStringLiteral("123.45"));
    EXPECT_EQ(convert::CurrencyToText(-10000), QStringLiteral("-1"));
    EXPECT_EQ(convert::CurrencyToText(5), QStringLiteral("0.0005"));
}
