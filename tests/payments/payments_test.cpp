// The payment model on its own: exact money and checked sums, the value rules of both kinds of
// payment, the two upload formats written and read back, and the export record's amounts.
#include <gtest/gtest.h>

#include <QBuffer>

#include <QDateTime>
#include <limits>

#include "payments/batchfile.h"
#include "payments/credit.h"
#include "payments/exportchecks.h"
#include "payments/exportrecord.h"
#include "payments/instruction.h"
#include "payments/money.h"
#include "payments/salaryfile.h"
#include "payments/values.h"
#include "platform/text/apperror.h"

namespace {

using payments::Money;

Money M(const char* text) {
    const auto money = Money::Parse(QString::fromLatin1(text));
    EXPECT_TRUE(money.has_value()) << text;
    return money.value_or(Money());
}

// The largest total in whole cents that a sum can reach, and one cent more.
TEST(Money, SumsRefuseWhatDoesNotFit) {
    const Money largest = M("922337203685477.58");
    EXPECT_EQ(largest.TenThousandths(), 9223372036854775800);
    EXPECT_EQ(largest.Grouped(), QStringLiteral("922,337,203,685,477.58"));
    ASSERT_TRUE(largest.Plus(M("0.0007")));
    EXPECT_FALSE(largest.Plus(M("0.01"))) << "one cent more";
    EXPECT_FALSE(Money::Parse(QStringLiteral("922337203685477.59"))) << "beyond 64 bits";

    // 92 of the largest amounts to pay fit; the 93rd does not, and the total stays refused.
    payments::Total total;
    const Money most = M("9999999999999.99");
    for (int i = 0; i < 92; ++i) {
        ASSERT_TRUE(total.Add(most)) << i;
    }
    EXPECT_EQ(total.Sum().Grouped(), QStringLiteral("919,999,999,999,999.08"));
    EXPECT_FALSE(total.Add(most));
    EXPECT_TRUE(total.Overflowed());
    EXPECT_FALSE(total.Add(M("0.01"))) << "an overflowed total takes nothing more";
    EXPECT_EQ(total.Sum().Grouped(), QStringLiteral("919,999,999,999,999.08"));
    EXPECT_EQ(
        payments::TotalTooLargeText(QStringLiteral("指令")),
        QStringLiteral("指令的合计金额将超过922,337,203,685,477.58元，无法准确计算，请分批处理！"));
}

TEST(Money, FormatsRoundHalfAwayFromZero) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0.00"},
        {50, "0.01"},
        {49, "0.00"},
        {-50, "-0.01"},
        {-49, "0.00"},
        {15005000, "1500.50"},
        {-12345, "-1.23"},
        {-12350, "-1.24"},
        {INT64_MAX, "922337203685477.58"},
        {INT64_MIN, "-922337203685477.58"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(Money::FromTenThousandths(value).Plain(), QString::fromLatin1(text)) << value;
    }
    EXPECT_EQ(Money::FromTenThousandths(12345678900).Grouped(), QStringLiteral("1,234,567.89"));
    EXPECT_EQ(payments::GroupedText(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(M("100").Cents(), M("100.00").Cents());
}

// Each field of an instruction refuses a value one byte longer than it holds, naming the
// field and its size; a value that fills it is taken.
TEST(Instruction, EveryFieldRefusesWhatItCannotHold) {
    const payments::Instruction sound{QStringLiteral("公司"),
                                      QStringLiteral("6230001"),
                                      QStringLiteral("6222001"),
                                      QStringLiteral("王五"),
                                      QString(),
                                      QStringLiteral("星澜聚川银行"),
                                      QStringLiteral("1.00"),
                                      QStringLiteral("货款"),
                                      QStringLiteral("普通"),
                                      QString()};
    ASSERT_EQ(payments::CheckInstruction(sound), std::nullopt);
    for (int f = 0; f < payments::kInstructionFieldCount; ++f) {
        const payments::InstructionFieldDefinition& def = payments::InstructionFieldDef(f);
        const QString title = payments::InstructionFieldTitle(f);
        const QString full(def.size, u'1');
        EXPECT_EQ(payments::CheckInstructionValue(f, full), std::nullopt) << def.size;
        const auto refusal = payments::CheckInstructionValue(f, full + u'1');
        ASSERT_TRUE(refusal) << title.toStdString();
        EXPECT_TRUE(refusal->startsWith(
            QStringLiteral("“%1”超过%2字节，不能截断：").arg(title).arg(def.size)))
            << refusal->toStdString();
        // Two-byte characters count twice.
        EXPECT_TRUE(payments::CheckInstructionValue(f, QString(def.size / 2 + 1, u'王')));
    }
    // The whole instruction refuses a payee name of 33 Chinese characters, as the export writes.
    payments::Instruction longName = sound;
    longName.recver = QString(33, u'王');
    EXPECT_EQ(payments::CheckInstruction(longName).value_or(QString()).left(16),
              QStringLiteral("“收款方”超过64字节，不能截断"));
    payments::Instruction code = sound;
    code.cpflag = QStringLiteral("XX");
    EXPECT_TRUE(payments::CheckInstruction(code));
    code = sound;
    code.remittype = QStringLiteral("快");
    EXPECT_TRUE(payments::CheckInstruction(code));
}

TEST(Values, FlawsAreNamed) {
    const std::pair<QString, const char*> cases[] = {
        {QStringLiteral("a|b"), "“收款方”不能包含“|”或换行符"},
        {QStringLiteral("a\nb"), "“收款方”不能包含“|”或换行符"},
        {QStringLiteral("a\tb"), "“收款方”含有控制字符"},
        {QString(QChar(0xDC81)), "“收款方”含有无法识别的字节"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(payments::CheckInstructionValue(payments::kRecver, value),
                  QString::fromUtf8(text));
    }
    EXPECT_EQ(payments::FindFlaw(QStringLiteral("王五")), payments::Flaw::None);
}

// Both upload formats through the layer: written, read back, equal.
TEST(UploadFiles, RoundTrip) {
    const std::vector<payments::Instruction> rows = {
        {QStringLiteral("公司"), QStringLiteral("6230001"), QStringLiteral("6222001"),
         QString(32, u'王'), QString(), QStringLiteral("星澜聚川银行"), QStringLiteral("1.50"),
         QStringLiteral("货款"), QStringLiteral("普通"), QString(10, u'备')},
        {QStringLiteral("私人"), QStringLiteral("6230001"), QStringLiteral("6222020200112230"),
         QStringLiteral("李四"), QString(), QStringLiteral("星澜聚川银行"),
         QStringLiteral("9999999999999.99"), QStringLiteral("工资"), QStringLiteral("加急"),
         QString()},
        {QStringLiteral("跨行"), QStringLiteral("6230001"), QStringLiteral("12345678901234567890"),
         QStringLiteral("某某有限公司"), QStringLiteral("102100099996"),
         QStringLiteral("中国工商银行北京分行营业部"), QStringLiteral("0.01"),
         QStringLiteral("其他合法款项"), QStringLiteral("普通"), QStringLiteral("r")},
    };
    const QStringList lines = payments::batchfile::Lines(rows);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2], QStringLiteral("D|6230001|12345678901234567890|某某有限公司|"
                                       "中国工商银行北京分行营业部|中国工商银行北京分行营业部|"
                                       "102100099996|0.01|其他合法款项|N|r"));
    const auto parsed = payments::batchfile::Parse(QStringList(lines) << QString());
    ASSERT_TRUE(std::holds_alternative<std::vector<payments::Instruction>>(parsed));
    EXPECT_EQ(std::get<std::vector<payments::Instruction>>(parsed), rows);
    for (const payments::Instruction& in : rows) {
        EXPECT_EQ(payments::Instruction::FromRow(in.Row()), in);
    }
    // A line too long for its field is refused with the line, nothing taken.
    const auto refused = payments::batchfile::Parse(
        {lines[0], QStringLiteral("I|6230001|6222001|%1|b|b||1.00|u|N|").arg(QString(33, u'王'))});
    ASSERT_TRUE(std::holds_alternative<payments::batchfile::Refusal>(refused));
    EXPECT_EQ(std::get<payments::batchfile::Refusal>(refused).line, 2);

    const QList<payments::Credit> credits = {
        {QStringLiteral("6222001"), QStringLiteral("张三"), QStringLiteral("9999999999999.99"),
         QStringLiteral("NULL")},
        {QStringLiteral("6222002"), QStringLiteral("李四"), QStringLiteral("0.01"),
         QStringLiteral("奖金")},
    };
    EXPECT_EQ(payments::salaryfile::BuildLines(credits),
              QStringList({QStringLiteral("2|10000000000000.00|"),
                           QStringLiteral("1|6222001|张三|9999999999999.99|网银代发|"),
                           QStringLiteral("2|6222002|李四|0.01|奖金|")}));
}

TEST(SalaryFile, MemoTotalAndLines) {
    const std::pair<const char*, const char*> memos[] = {
        {"", "网银代发"},   {"NULL", "网银代发"},    {" NULL \t", "网银代发"}, {"null", "null"},
        {" 奖金 ", "奖金"}, {"\x01 a b\x1f", "a b"}, {"\x7f", "\x7f"},
    };
    for (const auto& [memo, written] : memos) {
        EXPECT_EQ(payments::salaryfile::MemoText(QString::fromUtf8(memo)),
                  QString::fromUtf8(written))
            << memo;
    }
    // As stored: blanks kept, an empty account an empty field, amounts not reformatted.
    EXPECT_EQ(payments::salaryfile::BuildLines({{QString(), QStringLiteral(" 张三 "),
                                                 QStringLiteral("100"), QStringLiteral("NULL")},
                                                {QStringLiteral("2"), QStringLiteral("李四"),
                                                 QStringLiteral("-100.5"), QStringLiteral("m")}}),
              QStringList({QStringLiteral("2|-0.50|"), QStringLiteral("1|| 张三 |100|网银代发|"),
                           QStringLiteral("2|2|李四|-100.5|m|")}));
    // Each amount is rounded to ten-thousandths (ties to even), the total to hundredths
    // (halves away from zero).
    const std::pair<const char*, const char*> sums[] = {
        {"0.00485", "1|0.00|"}, {"0.00495", "1|0.01|"}, {"-0.00495", "1|-0.01|"}};
    for (const auto& [amount, header] : sums) {
        EXPECT_EQ(payments::salaryfile::BuildLines({{QStringLiteral("1"), QStringLiteral("a"),
                                                     QString::fromLatin1(amount), QString()}})[0],
                  QString::fromLatin1(header))
            << amount;
    }
    // A total beyond 64 bits is refused rather than wrapped.
    try {
        payments::salaryfile::BuildLines({{QStringLiteral("1"), QStringLiteral("a"),
                                           QStringLiteral("900000000000000"), QString()},
                                          {QStringLiteral("2"), QStringLiteral("b"),
                                           QStringLiteral("900000000000000"), QString()}});
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), payments::TotalTooLargeText(QStringLiteral("工资记录")));
    }
}

// The record keeps every amount and the total exact to the cent, far past where a double
// holds cents (2^53 cents is about 90 trillion yuan), and matches payments to the cent.
TEST(ExportRecord, AmountsStayExactPastDoublePrecision) {
    QList<payments::exportrecord::Payment> paid;
    for (int i = 0; i < 9; ++i) {
        paid.append({QStringLiteral("6222%1").arg(i), M("9999999999999.99")});
    }
    paid.append({QStringLiteral("6222999"), M("0.01")});
    const QDateTime time = QDateTime::currentDateTime().addDays(-1);
    const payments::exportrecord::Entry entry = payments::exportrecord::MakeEntry(
        time, QStringLiteral("批量支付"), QStringLiteral("/x/easy.txt"), QByteArray("x"), paid);
    EXPECT_EQ(entry.rows, 10);
    EXPECT_EQ(entry.total, QStringLiteral("89999999999999.92"));
    const QByteArray line = payments::exportrecord::EntryLine(entry) + '\n';
    const QList<payments::exportrecord::Entry> read = payments::exportrecord::Parse(line).entries;
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read[0].total, entry.total);
    ASSERT_EQ(read[0].payments.size(), 10);
    EXPECT_EQ(read[0].payments[0].amount, M("9999999999999.99"));
    // One cent apart is another payment; "0.010" is the same one.
    QBuffer record;
    record.setData(line);
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    const auto repeats =
        payments::exportrecord::CheckPayments(record,
                                              {{QStringLiteral("62220"), M("9999999999999.98")},
                                               {QStringLiteral("62221"), M("9999999999999.99")},
                                               {QStringLiteral("6222999"), M("0.010")}},
                                              QDateTime::currentDateTime())
            .repeats;
    ASSERT_EQ(repeats.size(), 2);
    EXPECT_EQ(repeats[0].row, 2);
    EXPECT_EQ(repeats[1].row, 3);
}

// Two rows paying the same account the same amount to the cent are named, however the amount
// was written.
TEST(ExportChecks, SamePaymentToTheCent) {
    const QString question = payments::exportchecks::Question(
        {{1, QStringLiteral("公司"), QStringLiteral("6222001"), M("100")},
         {2, QStringLiteral("公司"), QStringLiteral("6222001"), M("100.00")},
         {3, QStringLiteral("公司"), QStringLiteral("6222001"), M("100.01")}},
        QStringLiteral("指令"), {});
    EXPECT_TRUE(question.contains(QStringLiteral("第1笔、第2笔：账号6222001，金额100.00")))
        << question.toStdString();
    EXPECT_FALSE(question.contains(QStringLiteral("第3笔"))) << question.toStdString();
}

}  // namespace

namespace {

TEST(Values, ExponentFormIsToldFromPlainNumbers) {
    for (const char* text : {"1.23457E+11", "1e5", " -2.5E-1 ", ".5e3", "6.22E+18"}) {
        EXPECT_TRUE(payments::IsExponentForm(QString::fromLatin1(text))) << text;
    }
    for (const char* text :
         {"100", "1.5", "e5", "1e", "1e+", "1.2.3e4", "1e5e6", "1E5e", "abc", "12,345.50", ""}) {
        EXPECT_FALSE(payments::IsExponentForm(QString::fromLatin1(text))) << text;
    }
    // A cell of a million digits is read in one pass.
    EXPECT_FALSE(payments::IsExponentForm(QString(1000000, u'1')));
}

}  // namespace
