#include "controls/capitals.h"

#include <gtest/gtest.h>

#include "tests/common/testdir.h"

TEST(Capitals, WritesAmountsAsPaymentDocumentsDo) {
    struct Case {
        const char* amount;
        const char* capitals;
    } cases[] = {
        {"1680.32", "壹仟陆佰捌拾元叁角贰分"},
        {"107000.53", "壹拾万柒仟元伍角叁分"},
        {"6007.14", "陆仟零柒元壹角肆分"},
        {"1409.50", "壹仟肆佰零玖元伍角"},
        {"325.04", "叁佰贰拾伍元零肆分"},
        {"1004.00", "壹仟零肆元整"},
        {"100010.00", "壹拾万零壹拾元整"},
        {"1000000001.00", "壹拾亿零壹元整"},
        {"100000000.00", "壹亿元整"},
        {"10.00", "壹拾元整"},
        {"0.05", "伍分"},
        {"0.50", "伍角"},
        {"0.00", "零元整"},
        {"-12.30", "负壹拾贰元叁角"},
        {"101000", "壹拾万壹仟元整"},
        {"10100", "壹万零壹佰元整"},
        {"1010", "壹仟零壹拾元整"},
        {"10000001", "壹仟万零壹元整"},
        {"100000100", "壹亿零壹佰元整"},
        {"1.05", "壹元零伍分"},
        {"2.005", "贰元零壹分"},
        {"9999999999999.99", "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
        {"922337203685477.58",
         "玖佰贰拾贰万叁仟叁佰柒拾贰亿零叁佰陆拾捌万伍仟肆佰柒拾柒元伍角捌分"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(capitals::FromText(QString::fromUtf8(c.amount)), QString::fromUtf8(c.capitals))
            << c.amount;
    }
    EXPECT_EQ(capitals::FromText(QString()), QString());
    EXPECT_EQ(capitals::FromText(QStringLiteral("abc")), QString());
    EXPECT_EQ(capitals::FromCurrency(-5000), QStringLiteral("负伍角"));
}
