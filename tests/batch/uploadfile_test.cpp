#include <QDate>

#include "payments/batchfile.h"
#include "platform/text/ansi.h"
#include "tests/batch/batch_fixture.h"
#include "tests/common/faultydisk.h"

namespace {

class Upload : public BatchFixture {
protected:
    QString Export() {
        const QString path = dir.Path(QStringLiteral("out.txt"));
        dialogs.fileAnswers = {path};
        Click(page->Button5);
        return path;
    }
    void Import(const QByteArray& bytes) {
        dir.Write(QStringLiteral("in.txt"), bytes);
        dialogs.fileAnswers = {dir.Path(QStringLiteral("in.txt"))};
        Click(page->Button6);
    }
};

}  // namespace

TEST_F(Upload, ExportWritesTheBankFormatByteForByte) {
    Fill(QStringLiteral("name"), QStringLiteral("recacct"), QStringLiteral("100"),
         QStringLiteral("purpose"));
    page->payacct->setEditText(QStringLiteral("payacct"));
    Click(page->Button1);
    // The same-bank company instruction of the bank's own example.
    page->cross->setChecked(true);
    page->recbank->setEditText(QStringLiteral("中国银行成都分行"));
    page->recbankcode->setText(QStringLiteral("104651000001"));
    Fill(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("1234567.8"),
         QStringLiteral("工资，奖金"), QStringLiteral("加急"));
    page->edremark->setText(QStringLiteral("五月"));
    Click(page->Button1);
    Fill(QStringLiteral("王 五"), QStringLiteral("6222003"), QStringLiteral("5"));
    page->recobject->setCurrentIndex(1);
    Click(page->Button1);
    dialogs.Clear();

    Export();
    ASSERT_EQ(dialogs.fileDialogsShown.size(), 1);
    EXPECT_EQ(dialogs.fileDialogsShown[0].objectName, QStringLiteral("SaveDialog1"));
    EXPECT_EQ(dialogs.fileDialogsShown[0].fileName,
              QStringLiteral("easy") + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
                  QStringLiteral(".txt"));
    EXPECT_EQ(dialogs.fileDialogsShown[0].filter,
              QStringLiteral("文本文件|*.txt|CSV文本|*.csv|EXCEL文件|*.xls"));
    EXPECT_EQ(dir.Read(QStringLiteral("out.txt")),
              Gb("I|payacct|recacct|name|星澜聚川银行|星澜聚川银行||100.00|purpose|N|\r\n"
                 "D|6230001|6222002|李四|中国银行成都分行|中国银行成都分行|104651000001|1234567.80|"
                 "工资，奖金|H|五月\r\n"
                 "P|6230001|6222003|王 五|星澜聚川银行|星澜聚川银行||5.00|工资，奖金|N|\r\n"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "nothing is shown on success";
}

TEST_F(Upload, AFileThatDoesNotReadBackIsRemovedAndItsRowsStayUnexported) {
    Add(QStringLiteral("王五"), QStringLiteral("6222003"), QStringLiteral("1"));
    for (const Fault fault : kFaults) {
        disk.current = FaultyDisk(fault);
        dialogs.Clear();
        const QString path = Export();
        const ScriptedDialogs::Message error = {
            ScriptedDialogs::Kind::Error, QStringLiteral("Error"),
            QStringLiteral("文件“") + QDir::toNativeSeparators(path) +
                QStringLiteral("”写入后读回的内容与应写入的不一致，已删除该文件，请重新导出！")};
        EXPECT_EQ(dialogs.messages, QList<ScriptedDialogs::Message>{error}) << int(fault);
        EXPECT_FALSE(dir.Exists(QStringLiteral("out.txt"))) << int(fault);
    }
    // Closing still asks for the row no file holds; 否 stays.
    dialogs.Clear();
    form.close();
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Question);

    disk.current = &listfile::Replace;
    dialogs.Clear();
    Export();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
    EXPECT_EQ(dir.Read(QStringLiteral("out.txt")),
              Gb("I|6230001|6222003|王五|星澜聚川银行|星澜聚川银行||1.00|工资，奖金|N|\r\n"));
}

TEST_F(Upload, ExportLimitsAndRefusals) {
    Click(page->Button5);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("无批量转账记录！")});
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Error);

    // A value with "|" typed into the grid cannot be exported; no file is written.
    Add(QStringLiteral("王五"), QStringLiteral("6222003"), QStringLiteral("1"));
    form.cds1.Edit();
    form.cds1.FieldByName(QStringLiteral("use")).SetAsString(QStringLiteral("a|b"));
    form.cds1.Post();
    dialogs.Clear();
    Export();
    EXPECT_EQ(dialogs.Texts(),
              QStringList{QStringLiteral(
                  "第1笔指令：“用途”不能包含“|”或换行符，不能导出！请双击该指令改正后再导出。")});
    EXPECT_FALSE(dir.Exists(QStringLiteral("out.txt")));

    // 101 rows come only from an import, and cannot be exported.
    QByteArray lines;
    for (int i = 0; i < 101; ++i) {
        lines += Gb("I|6230001|6222003|王五|星澜聚川银行|星澜聚川银行||1.00|工资，奖金|N|\r\n");
    }
    Reset();
    Import(lines);
    EXPECT_EQ(form.cds1.RecordCount(), 101);
    dialogs.Clear();
    Export();
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("超过100笔，请分批形成文件！")});
    EXPECT_FALSE(dir.Exists(QStringLiteral("out.txt")));
    form.cds1.Last();
    form.cds1.Delete();
    dialogs.Clear();
    // A hundred times the same payment: written once the user confirms it.
    dialogs.questionAnswers = {true};
    Export();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Question);
    EXPECT_EQ(dir.Read(QStringLiteral("out.txt")), lines.left(lines.size() / 101 * 100));
}

TEST_F(Upload, CancelledExportStillLearnsPayeesOnce) {
    QFile::remove(dir.Path(QStringLiteral("config/recvers.ini")));
    dir.Write(QStringLiteral("config/recvers.ini"), Gb("张三|6222001|星澜聚川银行|1\r\n"));
    for (int i = 0; i < 3; ++i) {
        form.cds1.Append();
        const QStringList values = {QStringLiteral("私人"),
                                    QStringLiteral("6230001"),
                                    QStringLiteral("6222009"),
                                    QStringLiteral("王五"),
                                    QStringLiteral("104651000001"),
                                    QStringLiteral("中国银行"),
                                    QStringLiteral("CNY"),
                                    QStringLiteral("1.00"),
                                    QStringLiteral("工资"),
                                    QStringLiteral("普通"),
                                    QString()};
        for (int f = 0; f < values.size(); ++f) {
            form.cds1.Fields(f).SetAsString(values[f]);
        }
        form.cds1.Post();
    }
    dialogs.fileAnswers = {QString()};
    dialogs.questionAnswers = {true};
    Click(page->Button5);
    EXPECT_FALSE(dir.Exists(QStringLiteral("out.txt")));
    EXPECT_EQ(Roster(),
              Gb("张三|6222001|星澜聚川银行|1\r\n王五|6222009|中国银行|104651000001\r\n"));
}

TEST_F(Upload, ImportRoundTripsWhatExportWrote) {
    // Values with blanks and "," survive, as do all three kinds and both modes.
    const QByteArray file =
        Gb("I|6230001|6222001|Acme Trading, Ltd|星澜聚川银行|星澜聚川银行||100.00|工资，奖金|N|\r\n"
           "P|6230001|6222002|王 五|星澜聚川银行|星澜聚川银行||0.01|其他合法款项|H|a b,c\r\n"
           "D|6230001|6222003|李四|中国银行成都分行|中国银行成都分行|104651000001|5.00|纳税退还|N|"
           "x\r\n");
    Import(file);
    EXPECT_EQ(dialogs.messages.last().text, QStringLiteral("导入完毕！"));
    EXPECT_EQ(form.cds1.RecordCount(), 3);
    EXPECT_EQ(
        Rows()[0],
        QStringLiteral(
            "公司|6230001|6222001|Acme Trading, Ltd||星澜聚川银行|CNY|100.00|工资，奖金|普通|"));
    EXPECT_EQ(Rows()[1],
              QStringLiteral(
                  "私人|6230001|6222002|王 五||星澜聚川银行|CNY|0.01|其他合法款项|加急|a b,c"));
    EXPECT_EQ(
        Rows()[2],
        QStringLiteral(
            "跨行|6230001|6222003|李四|104651000001|中国银行成都分行|CNY|5.00|纳税退还|普通|x"));
    Export();
    EXPECT_EQ(dir.Read(QStringLiteral("out.txt")), file);
}

TEST_F(Upload, ImportChecksTheWholeFileFirst) {
    const QByteArray good = Gb("I|1|2|n|星澜聚川银行|星澜聚川银行||1.00|u|N|\r\n");
    struct Case {
        QByteArray bad;
        const char* expected;
    } cases[] = {
        {Gb("I|1|2|n|b|b||1.00|u|N|r|extra"),
         "第2行：字段数为12，应为11个，未导入任何指令！请改正文件中的这一行后重新导入。"},
        {Gb("I|1|2|n|b|b||1.00|u"),
         "第2行：字段数为9，应为11个，未导入任何指令！请改正文件中的这一行后重新导入。"},
        {Gb("I|1|2|n|b|b||abc|u|N|"),
         "第2行：金额“abc”不是有效的数字，未导入任何指令！请改正文件中的这一行后重新导入。"},
        {Gb("I|1|2|n|b|b||1.005|u|N|"),
         "第2行：金额“1.005”不是有效的数字，未导入任何指令！请改正文件中的这一行后重新导入。"},
        {Gb("I|1|2|n|b|b||99999999999999999999|u|N|"),
         "第2行：金额“99999999999999999999”超过13位整数，未导入任何指令！请改正文件中的这一行后重新"
         "导入。"},
        {Gb("X|1|2|n|b|b||1.00|u|N|"),
         "第2行：收款对象代码“X”无效，未导入任何指令！请改正文件中的这一行后重新导入。"},
        {Gb("I|1|2|n|b|b||1.00|u|Z|"),
         "第2行：汇款方式代码“Z”无效，未导入任何指令！请改正文件中的这一行后重新导入。"},
        {QByteArray("\x00\x01\xff\xfe\x81", 5),
         "第2行：字段数为1，应为11个，未导入任何指令！请改正文件中的这一行后重新导入。"},
    };
    for (const Case& c : cases) {
        dialogs.Clear();
        Import(good + c.bad + "\r\n" + good);
        EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(c.expected)});
        EXPECT_TRUE(form.cds1.IsEmpty());
    }
    // The first and the last line are checked like the others.
    const QByteArray bad = Gb("I|1|2|n|b|b||abc|u|N|");
    for (const auto& [file, expected] :
         {std::pair{
              bad + "\r\n" + good + good,
              "第1行：金额“abc”不是有效的数字，未导入任何指令！请改正文件中的这一行后重新导入。"},
          std::pair{
              good + good + bad,
              "第3行：金额“abc”不是有效的数字，未导入任何指令！请改正文件中的这一行后重新导入。"},
          std::pair{good + good + bad + "\r\n",
                    "第3行：金额“abc”不是有效的数字，未导入任何指令！请改正文件中的这一行后重新导入"
                    "。"}}) {
        dialogs.Clear();
        Import(file);
        EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(expected)});
        EXPECT_TRUE(form.cds1.IsEmpty());
    }
    // A line of 10 fields is sound when the remark alone is missing; empty lines are skipped.
    dialogs.Clear();
    Import(good + "\r\n\n" + Gb("P|1|3|m|星澜聚川银行|星澜聚川银行||2.00|u|H"));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("导入完毕！")});
    EXPECT_EQ(form.cds1.RecordCount(), 2);
    // A cancelled dialog imports nothing and still says it is done.
    dialogs.Clear();
    dialogs.fileAnswers = {QString()};
    Click(page->Button6);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("导入完毕！")});
    EXPECT_EQ(dialogs.fileDialogsShown[0].defaultExt, QStringLiteral("*.TXT"));
    EXPECT_EQ(dialogs.fileDialogsShown[0].filterIndex, 1);
}

TEST(UploadLine, FormatAndCheck) {
    payments::Instruction in{QStringLiteral("其他"),
                             QStringLiteral("p"),
                             QStringLiteral("r"),
                             QStringLiteral("n"),
                             QString(),
                             QStringLiteral("b"),
                             QStringLiteral("1.00"),
                             QStringLiteral("u"),
                             QStringLiteral("x"),
                             QString()};
    EXPECT_EQ(payments::batchfile::FormatLine(in), QStringLiteral("P|p|r|n|b|b||1.00|u|N|"));
    for (const char* amount :
         {"1", "1.5", "0.01", "12.", ".5", "9999999999999.99", "00000000000000001.5"}) {
        EXPECT_FALSE(payments::batchfile::CheckLine(
            QStringLiteral("I|1|2|n|b|b||%1|u|N|").arg(QString::fromUtf8(amount))))
            << amount;
    }
    // Nor amounts the amount box would change (more than 13 integer digits) or that are not
    // above 0.
    for (const char* amount : {"", "1e5", "1,000.00", "--1", "1.2.3", " 1", "-1.5", "0",
                               "10000000000000", "99999999999999999999"}) {
        EXPECT_TRUE(payments::batchfile::CheckLine(
            QStringLiteral("I|1|2|n|b|b||%1|u|N|").arg(QString::fromUtf8(amount))))
            << amount;
    }
}

TEST_F(Upload, TenThousandLinesImportWhole) {
    QByteArray file;
    for (int i = 0; i < 10000; ++i) {
        file += Gb("P|6230001|") + QByteArray::number(6222000000 + i % 50) +
                Gb("|王五|星澜聚川银行|星澜聚川银行||1.00|工资，奖金|N|\r\n");
    }
    Import(file);
    EXPECT_EQ(dialogs.messages.last().text, QStringLiteral("导入完毕！"));
    EXPECT_EQ(form.cds1.RecordCount(), 10000);
    EXPECT_EQ(form.PanelText(1), QStringLiteral("记录笔数：10000"));
    // Fifty accounts, each learned once.
    EXPECT_EQ(Roster().count("\r\n"), 2 + 50);
}

// The same payment exported twice in one run is named before the second file is written,
// unless the rows are written again unchanged: export 张三 100.00, 复位, key it again, export.
TEST_F(Upload, AReKeyedPaymentOfThisRunIsNamed) {
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    Export();
    ASSERT_EQ(page->UnexportedRows(), 0) << dialogs.Texts().join(u'\n').toStdString();
    // Written again as it stands: no question.
    dialogs.Clear();
    Export();
    EXPECT_FALSE(dialogs.Texts().join(u'\n').contains(QStringLiteral("可能重复付款")))
        << dialogs.Texts().join(u'\n').toStdString();
    // Reset and keyed again: the earlier file of this run is named, and 否 writes nothing.
    dialogs.Clear();
    Click(page->Button4);
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    dialogs.Clear();
    QFile::remove(dir.Path(QStringLiteral("out.txt")));
    dialogs.fileAnswers = {dir.Path(QStringLiteral("out.txt"))};
    Click(page->Button5);
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Question);
    EXPECT_TRUE(
        dialogs.messages[0].text.contains(QStringLiteral("第1笔：账号6222001，金额100.00，")))
        << dialogs.messages[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(dir.Path(QStringLiteral("out.txt"))));
}

// What a cashier is told without asking: where the batch file went, with its count and total,
// and at import already that a list of more than 100 instructions must be split.
TEST_F(Upload, TheStatusBarSaysWhereAndImportWarnsOfTheLimit) {
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("1234.5"));
    Add(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("1000"));
    dialogs.Clear();
    const QString path = Export();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
    EXPECT_EQ(form.noticePanel->text(),
              QStringLiteral("已导出 2 笔指令，合计 2,234.50 元，文件存放于：") +
                  QDir::toNativeSeparators(path));

    QByteArray file;
    for (int i = 0; i < 101; ++i) {
        file += Gb("P|6230001|62220099|王五|星澜聚川银行|星澜聚川银行||1.00|货款|N|\r\n");
    }
    dialogs.Clear();
    dialogs.choiceAnswers = {1};  // 替换
    Import(file);
    EXPECT_EQ(dialogs.Texts().mid(1),
              QStringList({QStringLiteral("表中现有 101 笔指令，一个上传文件最多 100 笔，"
                                          "导出前请分批删减。"),
                           QStringLiteral("导入完毕！")}));
    EXPECT_EQ(form.cds1.RecordCount(), 101);
}
