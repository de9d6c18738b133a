// What reaches an upload file or the roster, whichever way it entered: pasted amounts, edits in
// place, damaged or hostile import files, and the roster lines an operation does not touch.
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QTabBar>
#include <QTreeWidget>

#include "batch/payees.h"
#include "payments/batchfile.h"
#include "payments/exportchecks.h"
#include "payments/exportrecord.h"
#include "platform/dialogs/qtdialogs.h"
#include "platform/text/ansi.h"
#include "salary/salarypage.h"
#include "store/listfile.h"
#include "tests/batch/batch_fixture.h"

namespace {

class Integrity : public BatchFixture {
protected:
    void Import(const QByteArray& bytes) {
        dir.Write(QStringLiteral("in.txt"), bytes);
        dialogs.fileAnswers = {dir.Path(QStringLiteral("in.txt"))};
        Click(page->Button6);
    }
    void Export() {
        dialogs.fileAnswers = {dir.Path(QStringLiteral("out.txt"))};
        Click(page->Button5);
    }
    // Pastes a text into the empty amount box with Shift+Insert, before any key is typed.
    void PasteAmount(const QString& text) {
        page->amt->Clear();
        QGuiApplication::clipboard()->setText(text);
        page->amt->setFocus();
        QTest::keyClick(page->amt, Qt::Key_Insert, Qt::ShiftModifier);
    }
    static QByteArray Line(const char* amount, const char* account = "6222003",
                           const char* purpose = "工资，奖金", const char* name = "王五") {
        return Gb("I|6230001|") + Gb(account) + "|" + Gb(name) +
               Gb("|星澜聚川银行|星澜聚川银行||") + Gb(amount) + "|" + Gb(purpose) + Gb("|N|\r\n");
    }
};

}  // namespace

// Whatever way the amount entered the box, add and modify store it as a typed amount is
// stored, or refuse it.
TEST_F(Integrity, PastedAmountIsStoredInPlainFormOrRefused) {
    struct Case {
        const char* pasted;
        const char* stored;  // nullptr: refused
        bool boxRefuses;     // the box refuses the paste whole and keeps its old (empty) value
    } cases[] = {
        {"1e5", "100000.00", false},
        {"1,234.5", "1234.50", false},
        {"12345678901234567890123", nullptr, true},
        {"1.234", nullptr, true},
        {"abc", nullptr, true},
        {"0", nullptr, false},
    };
    for (const Case& c : cases) {
        Reset();
        dialogs.Clear();
        Fill(QStringLiteral("王五"), QStringLiteral("6222003"), QStringLiteral("1"));
        PasteAmount(QString::fromUtf8(c.pasted));
        // A value the box cannot hold whole (too long, a third decimal) is refused whole, never
        // kept in part; the others go in raw and are checked at 增加.
        ASSERT_EQ(page->amt->text(), c.boxRefuses ? QString() : QString::fromUtf8(c.pasted))
            << "the paste went in raw or not at all";
        Click(page->Button1);
        if (c.stored == nullptr) {
            EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("转账金额不能为0！")})
                << c.pasted;
            EXPECT_TRUE(form.cds1.IsEmpty());
            continue;
        }
        ASSERT_EQ(form.cds1.RecordCount(), 1) << c.pasted;
        EXPECT_EQ(Field("amt"), QString::fromUtf8(c.stored));
        // The modify path normalises the same way.
        emit page->DBGrid1->DblClick();
        Fill(QStringLiteral("王五"), QStringLiteral("6222003"), QStringLiteral("1"));
        PasteAmount(QString::fromUtf8(c.pasted));
        Click(page->Button2);
        EXPECT_EQ(Field("amt"), QString::fromUtf8(c.stored));
    }
}

// Every reason a row could be refused is found before anything is added, wherever the bad line
// stands, and the message names the line and the field with a short excerpt of the value.
TEST_F(Integrity, ImportRefusesEveryBadLineWhole) {
    const QByteArray good = Line("1.00");
    const QByteArray huge(10 * 1024 * 1024, 'X');
    struct Case {
        QByteArray bad;
        const char* reason;
    } cases[] = {
        {Line("0"), "金额“0”必须大于0"},
        {Line("-0"), "金额“-0”必须大于0"},
        {Line("-5"), "金额“-5”必须大于0"},
        {Line("-.01"), "金额“-.01”必须大于0"},
        {Line("82538544205831.46"), "金额“82538544205831.46”超过13位整数"},
        {Line("99999999999999999999.99"), "金额“99999999999999999999.99”超过13位整数"},
        {Line("1.00", "6222", ""), "“用途”为空"},
        {Line("1.00", "6222", "u", ""), "“收款方”为空"},
        {Line("1.00", "123456789012345678901234567890"),
         "“收款账号”超过20字节，不能截断：“123456789012345678901234…”"},
        {Gb("I|6230001|6222|n|b|b|123456789012345678901|1.00|u|N|\r\n"),
         "“收款方开户行编号”超过20字节，不能截断：“123456789012345678901”"},
        {Gb("I|") + QByteArray("62\x81\x20", 4) + Gb("|6222|n|b|b||1.00|u|N|\r\n"),
         "“付款账号”含有无法识别的字节"},
        {QByteArray("I|6230001|6222|n\xff|b|b||1.00|u|N|\r\n"), "“收款方”含有无法识别的字节"},
        {QByteArray("I|6230001|6222|n|b\x80|b||1.00|u|N|\r\n"),
         "“收款方开户行名称”含有无法识别的字节"},
        {QByteArray("I|6230001|6222|n|b|b||1.00|u|N|r\x81\r\n"), "“备注”含有无法识别的字节"},
        {QByteArray("I|6230001|6222|n\0m|b|b||1.00|u|N|\r\n", 35), "“收款方”含有控制字符"},
        {huge + Gb("|6230001|6222|n|b|b||1.00|u|N|\r\n"),
         "收款对象代码“XXXXXXXXXXXXXXXXXXXXXXXX…”无效"},
    };
    for (const Case& c : cases) {
        for (int position = 0; position < 3; ++position) {
            QByteArray file = good + good;
            file.insert(position * good.size(), c.bad);
            dialogs.Clear();
            Import(file);
            EXPECT_EQ(
                dialogs.Texts(),
                QStringList{
                    QStringLiteral("第%1行：%2，未导入任何指令！请改正文件中的这一行后重新导入。")
                        .arg(position + 1)
                        .arg(QString::fromUtf8(c.reason))})
                << c.reason;
            EXPECT_TRUE(form.cds1.IsEmpty());
        }
    }
    // The largest amount the box holds exactly goes through unchanged.
    dialogs.Clear();
    Import(Line("9999999999999.99"));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("导入完毕！")});
    EXPECT_EQ(Field("amt"), QStringLiteral("9999999999999.99"));
}

TEST_F(Integrity, ImportReadsUtf8WithItsMarkAndRefusesItWithout) {
    const QByteArray utf8 = "I|6230001|6222003|\xe5\xbc\xa0\xe4\xb8\x89|b|b||1.00|u|N|\r\n";
    Import(utf8);
    EXPECT_EQ(dialogs.Texts(),
              QStringList{QStringLiteral("文件是UTF-8编码，请另存为ANSI（GBK）编码或带BOM的UTF-8"
                                         "后再导入，未导入任何指令！")});
    EXPECT_TRUE(form.cds1.IsEmpty());
    dialogs.Clear();
    Import("\xEF\xBB\xBF" + utf8);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("导入完毕！")});
    EXPECT_EQ(Field("recver"), QStringLiteral("张三"));
    dialogs.Clear();
    Import("\xEF\xBB\xBF" + utf8 + "\xff");
    EXPECT_EQ(
        dialogs.Texts(),
        QStringList{QStringLiteral(
            "文件不是有效的UTF-8文本，未导入任何指令！请将文件另存为ANSI（GBK）编码后重新导入。")});
}

// A roster line holding bytes that are no character is kept byte for byte when a payee is
// learned, by an add and by an import.
TEST_F(Integrity, RosterLinesNotTouchedKeepTheirBytes) {
    const QByteArray damaged =
        QByteArray("\x81\x20|6222777|\xff\x80|1\r\n", 18) + Gb("张三|6222001|星澜聚川银行|\r\n");
    dir.Write(QStringLiteral("config/recvers.ini"), damaged);
    Add(QStringLiteral("王五"), QStringLiteral("62220003"), QStringLiteral("1"));
    EXPECT_EQ(Roster(), damaged + Gb("王五|62220003|星澜聚川银行|\"\"\r\n"));
    dialogs.choiceAnswers = {0};  // 追加
    Import(Line("2.00", "62220009", "u", "赵六"));
    EXPECT_EQ(Roster(), damaged + Gb("王五|62220003|星澜聚川银行|\"\"\r\n"
                                     "赵六|62220009|星澜聚川银行|\"\"\r\n"));
}

// An import learns its payees with one rewrite, giving the roster that learning row by row
// gives: new payees once, known accounts (any field, any letter case) not again.
TEST_F(Integrity, ImportLearnsPayeesAsRowByRowAddsWould) {
    dir.Write(QStringLiteral("config/recvers.ini"),
              Gb("张三|6222ABC|星澜聚川银行|1\r\n只有两段|6222005\r\n"));
    Import(Line("1.00", "6222abc") + Line("1.00", "6222005", "u", "甲") +
           Line("1.00", "6222006", "u", "乙") + Line("2.00", "6222006", "u", "乙二") +
           Line("1.00", "6222005", "u", "甲二"));
    EXPECT_EQ(form.cds1.RecordCount(), 5);
    // A line of any field count knows its account: 只有两段 already names 6222005.
    EXPECT_EQ(Roster(), Gb("张三|6222ABC|星澜聚川银行|1\r\n只有两段|6222005\r\n"
                           "乙|6222006|星澜聚川银行|\"\"\r\n"));
    // A roster that cannot be written is reported once for the whole import.
    QFile::remove(dir.Path(QStringLiteral("config/recvers.ini")));
    dialogs.Clear();
    dialogs.choiceAnswers = {0};  // 追加
    Import(Line("1.00") + Line("1.00", "6222007"));
    EXPECT_EQ(dialogs.Texts(),
              QStringList({QStringLiteral("表中已有 5 笔指令。文件中的 2 笔指令是追加到表中，"
                                          "还是替换表中的指令？\n其中 5 笔指令（合计 6.00 元）"
                                          "尚未导出为上传文件，选“替换”将删除它们。"),
                           QStringLiteral("收款人未能保存到收款人名册：Cannot open file ") +
                               config.Path(QStringLiteral("config\\recvers.ini")) +
                               QStringLiteral("\n指令不受影响；请检查名册文件是否存在、能否写入。"),
                           QStringLiteral("导入完毕！")}));
    EXPECT_EQ(form.cds1.RecordCount(), 7);
}

// An edit in place is checked as the form checks that field; the export checks every row as the
// import checks a line, so a value that got in some other way is never written.
TEST_F(Integrity, EditsInPlaceAndTheExportAreChecked) {
    Add(QStringLiteral("王五"), QStringLiteral("6222003"), QStringLiteral("1"));
    struct Case {
        const char* field;
        const char* typed;
        const char* stored;
        const char* warning;  // nullptr: accepted
    } cases[] = {
        {"amt", "abc", "1.00", "转账金额不能为0！"},
        {"amt", "-5", "1.00", "转账金额不能为0！"},
        {"amt", "1234.5", "1234.50", nullptr},
        {"recacct", "6222 003", "6222003", "账号不能带空格或横杠！"},
        {"recacct", "6222-003", "6222003", "账号不能带空格或横杠！"},
        {"recver", "a|b", "王五", "“收款方”不能包含“|”或换行符！"},
        {"use", "劳务费", "劳务费", nullptr},
    };
    for (const Case& c : cases) {
        dialogs.Clear();
        TypeIntoCell(0, c.field, QString::fromUtf8(c.typed));
        form.cds1.CheckBrowseMode();
        EXPECT_EQ(form.cds1.Text(0, form.cds1.FieldByName(QString::fromLatin1(c.field)).Index()),
                  QString::fromUtf8(c.stored))
            << c.typed;
        EXPECT_EQ(dialogs.Texts(),
                  c.warning ? QStringList{QString::fromUtf8(c.warning)} : QStringList{})
            << c.typed;
    }
    // A value the table holds but the import would refuse stops the export before its dialog.
    form.cds1.Edit();
    form.cds1.FieldByName(QStringLiteral("amt")).SetAsString(QStringLiteral("abc"));
    form.cds1.Post();
    dialogs.Clear();
    Export();
    EXPECT_EQ(dialogs.Texts(),
              QStringList{QStringLiteral(
                  "第1笔指令：金额“abc”不是有效的数字，不能导出！请双击该指令改正后再导出。")});
    EXPECT_TRUE(dialogs.fileDialogsShown.isEmpty());
    EXPECT_FALSE(dir.Exists(QStringLiteral("out.txt")));
}

// Learning one payee appends its bytes to a roster in saved form; whatever the roster's form,
// the file is the one a load, the learning and a full save give.
TEST(PayeeRoster, FileLearningMatchesLoadLearnSave) {
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("recvers.ini"));
    const QByteArray rosters[] = {
        QByteArray(),
        Gb("张三|6222ABC|星澜聚川银行|1\r\n"),
        Gb("张三|6222ABC|星澜聚川银行|1\n李四|6222002|b|2"),
        Gb("张三|6222abc|星澜聚川银行|1\r\n两段|6222005\r\n\r\n"),
        QByteArray("\x81\x20|6222777|\xff\x80|1\r\n", 18),
    };
    const QList<payees::Payee> lists[] = {
        {{QStringLiteral("王五"), QStringLiteral("6222ABC"), QStringLiteral("b"), QString()}},
        {{QStringLiteral("王五"), QStringLiteral("6222005"), QStringLiteral("b"), QString()}},
        {{QStringLiteral("王 五"), QStringLiteral("6222777"), QString(), QStringLiteral("1")}},
        {{QStringLiteral("甲"), QStringLiteral("x1"), QStringLiteral("b"), QString()},
         {QStringLiteral("乙"), QStringLiteral("X1"), QStringLiteral("b"), QString()}},
    };
    for (const QByteArray& roster : rosters) {
        for (const auto& list : lists) {
            for (auto test :
                 {payees::LineTest::MoreThanTwoFields, payees::LineTest::ExactlyFourFields}) {
                dir.Write(QStringLiteral("recvers.ini"), roster);
                QStringList lines = listfile::Load(path);
                QByteArray expected = roster;
                if (payees::Learn(lines, list, test) > 0) {
                    expected = listfile::JoinLines(lines);
                }
                payees::LearnIntoFile(path, list, test);
                EXPECT_EQ(dir.Read(QStringLiteral("recvers.ini")), expected)
                    << roster.toHex().constData() << " " << list.front().account.toStdString();
            }
        }
    }
    EXPECT_TRUE(listfile::IsSavedForm(Gb("a\r\nb\r\n")));
    for (const char* bytes : {"a", "a\n", "a\r", "a\r\r\n", "a\n\r\n", "a\r\nb"}) {
        EXPECT_FALSE(listfile::IsSavedForm(bytes)) << bytes;
    }
}

TEST(ExportChecks, LuhnAndCardShape) {
    struct Case {
        const char* number;
        bool valid;
    } cases[] = {
        {"6222020200112230", true},    {"6222020200112233", false},     // 16 digits
        {"62220202001122338", true},   {"62220202001122335", false},    // 17
        {"622202020011223349", true},  {"622202020011223344", false},   // 18
        {"6222020200112233446", true}, {"6222020200112233447", false},  // 19
        {"79927398713", true},         {"7992739871x", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(payments::exportchecks::LuhnValid(QString::fromLatin1(c.number)), c.valid)
            << c.number;
    }
    EXPECT_TRUE(payments::exportchecks::LooksLikeCard(QStringLiteral("6222020200112230")));
    EXPECT_FALSE(payments::exportchecks::LooksLikeCard(QStringLiteral("622202020011223")));
    EXPECT_FALSE(payments::exportchecks::LooksLikeCard(QStringLiteral("62220202001122334455")));
    EXPECT_FALSE(payments::exportchecks::LooksLikeCard(QStringLiteral("6122020200112233")));
}

// Before the save dialog, a question names a private card number that fails its check digit
// and the same account and amount entered twice; 否 writes nothing, 是 writes the file.
TEST_F(Integrity, ExportAsksAboutCardNumbersAndDoublePayments) {
    Fill(QStringLiteral("王五"), QStringLiteral("6222020200112234"), QStringLiteral("100"));
    page->recobject->setCurrentIndex(page->recobject->findText(QStringLiteral("私人")));
    Click(page->Button1);
    Add(QStringLiteral("赵六"), QStringLiteral("6230009"), QStringLiteral("50"));
    Add(QStringLiteral("赵六"), QStringLiteral("6230009"), QStringLiteral("50"));
    dialogs.Clear();
    Export();
    const QString question = QStringLiteral(
        "以下私人收款账号像银行卡号，但校验位不正确，请核对：\n第1笔：6222020200112234\n\n"
        "以下指令的收款账号和金额相同，可能重复付款：\n第2笔、第3笔：账号6230009，金额50.00\n\n"
        "仍要导出吗？");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Question);
    EXPECT_EQ(dialogs.messages[0].text, question);
    EXPECT_TRUE(dialogs.fileDialogsShown.isEmpty());
    EXPECT_FALSE(dir.Exists(QStringLiteral("out.txt")));
    // 否 is a cancelled export: the payees are still learned, as after a cancelled dialog.
    EXPECT_TRUE(Roster().contains(Gb("赵六|6230009|")));
    dialogs.Clear();
    dialogs.questionAnswers = {true};
    Export();
    EXPECT_EQ(dialogs.Texts(), QStringList{question});
    EXPECT_EQ(dialogs.fileDialogsShown.size(), 1);
    EXPECT_TRUE(dir.Exists(QStringLiteral("out.txt")));
    // The record holds what was paid to whom: the payees' accounts, never the payer's.
    const QList<payments::exportrecord::Entry> recorded =
        payments::exportrecord::Load(dir.Path(QStringLiteral("config/exportlog.txt"))).entries;
    ASSERT_EQ(recorded.size(), 1);
    QStringList paid;
    for (const payments::exportrecord::Payment& p : recorded[0].payments) {
        paid.append(p.account + u':' + p.amount.Plain());
    }
    EXPECT_EQ(paid,
              QStringList({QStringLiteral("6222020200112234:100.00"),
                           QStringLiteral("6230009:50.00"), QStringLiteral("6230009:50.00")}));
    EXPECT_EQ(recorded[0].page, QStringLiteral("批量支付"));
    EXPECT_EQ(recorded[0].total, QStringLiteral("200.00"));
    // A sound batch is written without a question.
    Reset();
    Fill(QStringLiteral("王五"), QStringLiteral("6222020200112230"), QStringLiteral("100"));
    page->recobject->setCurrentIndex(page->recobject->findText(QStringLiteral("私人")));
    Click(page->Button1);
    dialogs.Clear();
    Export();
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The amount in capitals under the amount box, the count and total of the batch under the grid.
TEST_F(Integrity, CapitalsCountAndTotalFollowTheBatch) {
    page->amt->SetShuZhi(QStringLiteral("1680.32"));
    EXPECT_EQ(page->amtCapitals->text(), QStringLiteral("壹仟陆佰捌拾元叁角贰分"));
    page->amt->Clear();
    EXPECT_EQ(page->amtCapitals->text(), QString());
    Add(QStringLiteral("王五"), QStringLiteral("6222003"), QStringLiteral("1234567.8"));
    Add(QStringLiteral("赵六"), QStringLiteral("6222004"), QStringLiteral("0.2"));
    EXPECT_EQ(page->batchCount->text(), QStringLiteral("共 2 笔"));
    EXPECT_EQ(page->batchTotal->text(), QStringLiteral("合计：1,234,568.00"));
    EXPECT_EQ(page->batchTotalCapitals->text(), QStringLiteral("壹佰贰拾叁万肆仟伍佰陆拾捌元整"));
    // The grid shows amounts grouped and right-aligned, and sizes columns to their contents;
    // the stored text, which an edit starts from, is unchanged.
    QCoreApplication::processEvents();
    QAbstractItemModel* model = page->DBGrid1->model();
    const int amt = form.cds1.FieldByName(QStringLiteral("amt")).Index();
    EXPECT_EQ(model->data(model->index(0, amt)).toString(), QStringLiteral("1,234,567.80"));
    EXPECT_EQ(model->data(model->index(0, amt), Qt::EditRole).toString(),
              QStringLiteral("1234567.80"));
    EXPECT_EQ(model->data(model->index(0, amt), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    const int recver = form.cds1.FieldByName(QStringLiteral("recver")).Index();
    EXPECT_LT(page->DBGrid1->columnWidth(recver), page->DBGrid1->columnWidth(amt));
    EXPECT_LE(page->DBGrid1->columnWidth(amt), 320);
    // On a wide screen the form keeps its own width and the grid takes the rest, the spare
    // width going to the payee's name, however wide that makes it: no empty strip at the end.
    form.resize(1920, 1080);
    QTest::qWait(50);
    QCoreApplication::processEvents();
    int used = 0;
    for (int c = 0; c < form.cds1.FieldCount(); ++c) {
        used += page->DBGrid1->columnWidth(c);
    }
    EXPECT_EQ(used, page->DBGrid1->viewport()->width());
    EXPECT_GT(page->DBGrid1->columnWidth(recver), 320);
    EXPECT_GT(page->DBGrid1->width(), page->GroupBox1->width());
    TypeIntoCell(1, "amt", QStringLiteral("1.5"));
    form.cds1.CheckBrowseMode();
    EXPECT_EQ(page->batchTotal->text(), QStringLiteral("合计：1,234,569.30"));
    Reset();
    EXPECT_EQ(page->batchCount->text(), QStringLiteral("共 0 笔"));
    EXPECT_EQ(page->batchTotalCapitals->text(), QStringLiteral("零元整"));
    // A picture of the page at 1366x768 with a batch in it, when asked for.
    if (qEnvironmentVariableIsSet("CORPPAY_SCREENSHOT")) {
        form.resize(1366, 768);
        for (int i = 0; i < 8; ++i) {
            Add(QStringLiteral("成都高新区某某科技有限公司%1").arg(i),
                QStringLiteral("622202020011223%1").arg(i, 4, 10, QChar(u'0')),
                QStringLiteral("%1").arg(98765.4 * (i + 1)));
        }
        page->amt->SetShuZhi(QStringLiteral("1680.32"));
        QCoreApplication::processEvents();
        form.grab().save(qEnvironmentVariable("CORPPAY_SCREENSHOT"));
    }
}

// Closing the window with instructions no upload file holds asks first; 否 stays.
TEST_F(Integrity, ClosingWithUnexportedRowsAsks) {
    Add(QStringLiteral("王五"), QStringLiteral("6222003"), QStringLiteral("1"));
    dialogs.Clear();
    form.close();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Question);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(
        QStringLiteral("批量转账有 1 笔指令、工资代发有 0 笔记录尚未导出为上传文件")));
    EXPECT_TRUE(form.isVisible());
    // Once written to an upload file, the window closes without a question.
    Export();
    dialogs.Clear();
    form.close();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(form.isVisible());
    // And 是 closes it with the work unexported.
    form.show();
    Add(QStringLiteral("赵六"), QStringLiteral("6222004"), QStringLiteral("1"));
    dialogs.Clear();
    dialogs.questionAnswers = {true};
    form.close();
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_FALSE(form.isVisible());
}

// The focus starts on the payer and returns to the payee after an add; the save and open
// dialogs start in the folder last used for batch upload files.
TEST_F(Integrity, FocusFollowsTheWorkAndDialogsRememberTheirFolder) {
    auto has = [](QWidget* focus, QComboBox* box) {
        return focus == box || focus == box->lineEdit();
    };
    EXPECT_TRUE(has(form.focusWidget(), page->payer));
    EXPECT_EQ(page->edseq->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(page->UpDown1->UpButton()->focusPolicy(), Qt::NoFocus);
    // The flat lookup buttons show a picture beside their text.
    for (QToolButton* b : {page->SpeedButton1, page->SpeedButton2, page->SpeedButton3}) {
        EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();
        EXPECT_TRUE(b->autoRaise());
        EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    }
    Add(QStringLiteral("王五"), QStringLiteral("6222003"), QStringLiteral("1"));
    EXPECT_TRUE(has(form.focusWidget(), page->recver));

    QDir(dir.Path(QString())).mkpath(QStringLiteral("uploads"));
    dialogs.fileAnswers = {dir.Path(QStringLiteral("uploads/a.txt"))};
    Click(page->Button5);
    dialogs.fileAnswers = {dir.Path(QStringLiteral("uploads/b.txt"))};
    Click(page->Button5);
    ASSERT_EQ(dialogs.fileDialogsShown.size(), 2);
    EXPECT_EQ(dialogs.fileDialogsShown[0].folder, QString());
    EXPECT_EQ(dialogs.fileDialogsShown[1].folder,
              QFileInfo(dir.Path(QStringLiteral("uploads/a.txt"))).absolutePath());
    EXPECT_TRUE(dialogs.fileDialogsShown[1].fileName.startsWith(u"easy"));
}

// A second file imported into a table that holds rows: asked once the file is read and checked,
// before anything is added; 追加 appends, 替换 takes the rows' place, 取消 adds nothing.
TEST_F(Integrity, ImportIntoRowsAsksAppendReplaceOrCancel) {
    const QByteArray file = Line("1.00", "6222011") + Line("2.00", "6222012");
    const QString question = QStringLiteral(
        "表中已有 1 笔指令。文件中的 2 笔指令是追加到表中，还是替换表中的指令？\n"
        "其中 1 笔指令（合计 5.00 元）尚未导出为上传文件，选“替换”将删除它们。");
    const struct {
        int answer;
        int rows;
        const char* total;
    } cases[] = {{0, 3, "合计：8.00"}, {1, 2, "合计：3.00"}, {2, 1, "合计：5.00"}};
    for (const auto& c : cases) {
        Reset();
        Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("5"));
        dialogs.Clear();
        dialogs.choiceAnswers = {c.answer};
        Import(file);
        ASSERT_FALSE(dialogs.messages.isEmpty());
        EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Choice);
        EXPECT_EQ(dialogs.messages[0].text, question);
        EXPECT_EQ(
            dialogs.lastChoiceButtons,
            QStringList({QStringLiteral("追加"), QStringLiteral("替换"), QStringLiteral("取消")}));
        EXPECT_EQ(form.cds1.RecordCount(), c.rows) << c.answer;
        EXPECT_EQ(page->batchTotal->text(), QString::fromUtf8(c.total)) << c.answer;
    }
    // A file refused as damaged asks nothing and adds nothing.
    dialogs.Clear();
    Import(Line("abc"));
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_NE(dialogs.messages[0].kind, ScriptedDialogs::Kind::Choice);
    EXPECT_EQ(form.cds1.RecordCount(), 1);
}

// A cross-bank instruction names the recipient bank's number, or no bank can route it: refused
// at add, at an edit in place, at import (naming the line) and at export (naming the row).
TEST_F(Integrity, CrossBankInstructionsNeedTheBankNumber) {
    const QString refusal = QStringLiteral("跨行转账必须填写收款方开户行编号");
    Fill(QStringLiteral("某公司"), QStringLiteral("6222777"), QStringLiteral("3"));
    page->cross->setChecked(true);
    page->recbank->setEditText(QStringLiteral("中国建设银行成都高新支行"));
    page->recbankcode->setText(QString());
    dialogs.Clear();
    Click(page->Button1);
    EXPECT_EQ(dialogs.Texts(), QStringList{refusal});
    EXPECT_TRUE(form.cds1.IsEmpty());
    page->recbankcode->setText(QStringLiteral("105651000012"));
    dialogs.Clear();
    Click(page->Button1);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("增加成功！")});
    ASSERT_EQ(form.cds1.RecordCount(), 1);
    EXPECT_EQ(Field("cpflag"), QStringLiteral("跨行"));

    dialogs.Clear();
    TypeIntoCell(0, "recbankcode", QStringLiteral(" "));
    EXPECT_EQ(dialogs.Texts(), QStringList{refusal});
    EXPECT_EQ(Field("recbankcode"), QStringLiteral("105651000012"));

    dialogs.Clear();
    Import(
        Gb("D|6230001|6222778|某公司|中国建设银行成都高新支行|中国建设银行成都高新支行||"
           "1.00|工资，奖金|N|\r\n"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains(refusal))
        << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("第1行")))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(form.cds1.RecordCount(), 1);

    // A row whose number went missing another way is still not written.
    form.cds1.Edit();
    form.cds1.FieldByName(QStringLiteral("recbankcode")).SetAsString(QString());
    form.cds1.Post();
    dialogs.Clear();
    Export();
    EXPECT_EQ(dialogs.Texts(),
              QStringList{QStringLiteral("第1笔指令：") + refusal +
                          QStringLiteral("，不能导出！请双击该指令改正后再导出。")});
    EXPECT_FALSE(dir.Exists(QStringLiteral("out.txt")));
}

// The open dialog is shared by the two imports: each offers its own last file, and the payroll
// import offers the newer workbooks and any file.
TEST_F(Integrity, EachImportOffersItsOwnLastFile) {
    dir.Write(QStringLiteral("payroll.csv"), Gb("姓名\r\n"));
    dialogs.fileAnswers = {dir.Path(QStringLiteral("payroll.csv"))};
    Click(form.salaryPage->Button11);
    dialogs.Clear();
    Click(page->Button6);  // cancelled: no answer left
    ASSERT_EQ(dialogs.fileDialogsShown.size(), 1);
    EXPECT_EQ(dialogs.fileDialogsShown[0].fileName, QString());
    Import(Line("1.00"));
    dialogs.Clear();
    Click(form.salaryPage->Button11);
    Click(page->Button6);
    ASSERT_EQ(dialogs.fileDialogsShown.size(), 2);
    EXPECT_EQ(dialogs.fileDialogsShown[0].fileName, QStringLiteral("payroll.csv"));
    EXPECT_EQ(dialogs.fileDialogsShown[1].fileName, QStringLiteral("in.txt"));
    const QStringList filters = QtDialogs::NameFilters(dialogs.fileDialogsShown[0].filter);
    EXPECT_EQ(filters.value(dialogs.fileDialogsShown[0].filterIndex - 1),
              QStringLiteral("EXCEL文件 (*.xls *.xlsx)"));
    EXPECT_TRUE(filters.contains(QStringLiteral("所有文件 (*)")));
}

// The status bar counts the rows of the page in view, following the page and every change of
// its table.
TEST_F(Integrity, TheRecordCountIsThatOfThePageInView) {
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("1"));
    Add(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("2"));
    EXPECT_EQ(form.PanelText(1), QStringLiteral("记录笔数：2"));
    QTabBar* tabs = form.PageControl1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    ASSERT_EQ(form.PageControl1->currentIndex(), 1);
    EXPECT_EQ(form.PanelText(1), QStringLiteral("记录笔数："));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    EXPECT_EQ(form.PanelText(1), QStringLiteral("记录笔数："));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_EQ(form.PanelText(1), QStringLiteral("记录笔数：2"));
    Click(page->Button3);  // 删除指令
    EXPECT_EQ(form.PanelText(1), QStringLiteral("记录笔数：1"));
}

// A payee picked from the roster brings the bank the transfer goes to: another bank's payee
// ticks 跨行 with the roster's bank number, and the file's line routes to it; this bank's payee
// unticks it again.
TEST_F(Integrity, ARosterPayeeOfAnotherBankIsPaidCrossBank) {
    dir.Write(QStringLiteral("config/recvers.ini"),
              Gb("张三|6222001|星澜聚川银行|\r\n"
                 "李四|6217000011112220|中国建设银行成都高新支行|105651000012\r\n"
                 "王五|6217000011112221|中国农业银行成都分行|\r\n"));
    const auto pick = [&](int row) {
        QTimer::singleShot(0, &recverPicker, [&, row] {
            QTreeWidgetItem* item = recverPicker.list->topLevelItem(row);
            QTest::mouseDClick(recverPicker.list->viewport(), Qt::LeftButton, {},
                               recverPicker.list->visualItemRect(item).center());
            if (recverPicker.isVisible()) {
                recverPicker.close();
            }
        });
        QTest::mouseClick(page->SpeedButton1, Qt::LeftButton);
    };
    pick(1);
    EXPECT_TRUE(page->cross->isChecked());
    EXPECT_EQ(page->recbank->currentText(), QStringLiteral("中国建设银行成都高新支行"));
    EXPECT_EQ(page->recbankcode->text(), QStringLiteral("105651000012"));
    page->payacct->setEditText(QStringLiteral("6230001"));
    page->use->setEditText(QStringLiteral("工资，奖金"));
    page->amt->SetShuZhi(QStringLiteral("10"));
    dialogs.Clear();
    Click(page->Button1);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("增加成功！")});
    Export();
    EXPECT_EQ(dir.Read(QStringLiteral("out.txt")),
              Gb("D|6230001|6217000011112220|李四|中国建设银行成都高新支行|"
                 "中国建设银行成都高新支行|105651000012|10.00|工资，奖金|N|\r\n"));
    // Another bank without a number in the roster: 跨行, and the add asks for the number.
    pick(2);
    EXPECT_TRUE(page->cross->isChecked());
    EXPECT_EQ(page->recbankcode->text(), QString());
    page->use->setEditText(QStringLiteral("工资，奖金"));
    page->amt->SetShuZhi(QStringLiteral("10"));
    dialogs.Clear();
    Click(page->Button1);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("跨行转账必须填写收款方开户行编号")});
    // This bank's payee: no longer cross-bank, no number left over.
    pick(0);
    EXPECT_FALSE(page->cross->isChecked());
    EXPECT_EQ(page->recbankcode->text(), QString());
    EXPECT_EQ(page->recbank->currentText(), QStringLiteral("星澜聚川银行"));
}
