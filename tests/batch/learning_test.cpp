// Payees the batch page learns into the roster: a payee whose account a roster line already
// holds is never appended again, whatever the shape of that line and whichever way it is added.
#include "batch/payees.h"
#include "store/listfile.h"
#include "tests/batch/batch_fixture.h"
#include "tests/common/typing.h"

namespace {

// Roster lines of every shape the file is found with: an empty bank number unquoted (three
// fields, as the sample roster writes 张三 and 川南物流), a damaged two-field line, a quoted name
// with a blank, a name with an unquoted blank (five fields), a complete line.
const char* const kRoster =
    "张三|6222020000001111|星澜聚川银行|\r\n"
    "川南物流有限公司|6230580000055555|星澜聚川银行|\r\n"
    "只有两段|6222005\r\n"
    "\"王 五\"|6222003|某行|1\r\n"
    "赵 六|6222006|某行|2\r\n"
    "李四|6217000000002222|中国银行成都分行|105651000012\r\n";

class Learning : public BatchFixture {
protected:
    static void Type(QWidget* widget, const QString& text) { TypeReplacing(widget, text); }
    // Keys one instruction into the form and presses 增加指令.
    void AddByHand(const char* name, const char* account, const char* amount) {
        Type(page->payacct, QStringLiteral("6230001"));
        Type(page->recver, QString::fromUtf8(name));
        Type(page->recacct, QString::fromUtf8(account));
        page->amt->SetShuZhi(QString::fromLatin1(amount));
        Type(page->use, QStringLiteral("货款"));
        Click(page->Button1);
    }
    // 数据导出 into out.txt, answering 是 to any question before the file is written.
    void Export() {
        dialogs.fileAnswers = {dir.Path(QStringLiteral("out.txt"))};
        dialogs.questionAnswers = {true, true};
        Click(page->Button5);
    }
};

}  // namespace

TEST_F(Learning, AKnownPayeeIsNeverAppendedByAddOrExport) {
    const QByteArray roster = Gb(kRoster);
    dir.Write(QStringLiteral("config/recvers.ini"), roster);
    const char* const known[][2] = {
        {"张三", "6222020000001111"}, {"川南物流有限公司", "6230580000055555"},
        {"只有两段", "6222005"},      {"王 五", "6222003"},
        {"赵 六", "6222006"},         {"李四", "6217000000002222"},
    };
    // Each payee twice, as a clerk keys a second payment to the same payee.
    for (int round = 0; round < 2; ++round) {
        for (const auto& [name, account] : known) {
            AddByHand(name, account, round == 0 ? "10" : "20");
            EXPECT_EQ(Roster(), roster) << account;
        }
    }
    EXPECT_EQ(form.cds1.RecordCount(), 12);
    Export();
    EXPECT_TRUE(dir.Exists(QStringLiteral("out.txt")));
    EXPECT_EQ(Roster(), roster);
    // A new payee keyed twice and exported twice is written once.
    AddByHand("孙七", "6222007", "1");
    AddByHand("孙七", "6222007", "2");
    Export();
    Export();
    EXPECT_EQ(Roster(), roster + Gb("孙七|6222007|星澜聚川银行|\"\"\r\n"));
}

// The same through the learning itself, for every roster shape and both paths: a payee whose
// account is the account field of a line is not appended, alone or with others.
TEST(PayeeLearning, AnAccountInAnyRosterLineIsNotAppendedAgain) {
    const struct {
        const char* line;
        const char* account;
    } cases[] = {
        {"张三|6222001|星澜聚川银行|", "6222001"},
        {"只有两段|6222005", "6222005"},
        {"\"王 五\"|6222003|某行|1", "6222003"},
        {"王六|\"6222004\"|\"\"|\"\"", "6222004"},
        {"李四|6222002|中国银行|104651000001", "6222002"},
        {"赵 六|6222006|某行|2", "6222006"},
        {"周八|6222008|某行|3|多余", "6222008"},
    };
    const payees::Payee other{QStringLiteral("新人"), QStringLiteral("6229999"),
                              QStringLiteral("行"), QString()};
    for (const auto& c : cases) {
        const payees::Payee payee{QStringLiteral("某人"), QString::fromUtf8(c.account),
                                  QStringLiteral("行"), QString()};
        for (auto test :
             {payees::LineTest::MoreThanTwoFields, payees::LineTest::ExactlyFourFields}) {
            const QStringList roster = {QStringLiteral("甲|1|b|2"), QString::fromUtf8(c.line)};
            QStringList alone = roster;
            EXPECT_EQ(payees::Learn(alone, {payee}, test), 0) << c.line;
            EXPECT_EQ(alone, roster);
            QStringList together = roster;
            EXPECT_EQ(payees::Learn(together, {payee, other, payee}, test), 1) << c.line;
            EXPECT_EQ(together, roster + QStringList{payees::Line(other)});
            // The file: its bytes stay as they are.
            TestDir dir;
            const QString path = dir.Path(QStringLiteral("recvers.ini"));
            const QByteArray bytes = listfile::JoinLines(roster);
            dir.Write(QStringLiteral("recvers.ini"), bytes);
            payees::LearnIntoFile(path, {payee}, test);
            EXPECT_EQ(dir.Read(QStringLiteral("recvers.ini")), bytes) << c.line;
        }
    }
}
