#include <QContextMenuEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTimer>

#include "platform/sheet/book.h"

#include "platform/text/apperror.h"
#include "tests/common/faultydisk.h"
#include "tests/salary/salary_fixture.h"

#include "controls/capitals.h"

namespace {

class Upload : public SalaryFixture {
protected:
    QString OutPath() { return window->dir.Path(QStringLiteral("out/salary.txt")); }
    QByteArray Out() { return window->dir.Read(QStringLiteral("out/salary.txt")); }
    // Presses "网银格式导出" with the save dialog answered by path (empty: cancelled).
    void Export(const QString& path) {
        dialogs().Clear();
        dialogs().fileAnswers = {path};
        Click(page()->Button12);
    }
    void AppendRows(int count) {
        for (int i = 0; i < count; ++i) {
            page()->AppendSalaryRow({{QStringLiteral("name"), QStringLiteral("某")},
                                     {QStringLiteral("acct"), QString::number(i)},
                                     {QStringLiteral("finalincome"), QStringLiteral("1")},
                                     {QStringLiteral("memo"), QStringLiteral("m")}});
        }
    }
    ScriptedDialogs::Message Info(const QString& text) {
        return {ScriptedDialogs::Kind::Information, QStringLiteral("Information"), text};
    }
    ScriptedDialogs::Message Error(const QString& text) {
        return {ScriptedDialogs::Kind::Error, QStringLiteral("Error"), text};
    }
    ScriptedDialogs::Message ProgramError(const QString& text) {
        return {ScriptedDialogs::Kind::ProgramError, Dialogs::ApplicationTitle(), text};
    }
    void SetUp() override {
        SalaryFixture::SetUp();
        QDir().mkpath(window->dir.Path(QStringLiteral("out")));
    }
};

}  // namespace

TEST_F(Upload, TheTwoRowExampleGivesTheBanksBytes) {
    Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("1000.00"),
        QStringLiteral("NULL"));
    Add(QStringLiteral("李四"), QStringLiteral("102"), QStringLiteral("500.5"));
    window->dir.Write(QStringLiteral("out/salary.txt"), "an older file, longer than the new one");
    Export(OutPath());
    EXPECT_EQ(Out(),
              Gb("2|1500.50|\r\n1|101|张三|1000.00|网银代发|\r\n2|102|李四|500.50|奖金|\r\n"));
    EXPECT_EQ(dialogs().messages,
              QList<ScriptedDialogs::Message>({Info(QStringLiteral("文件存放于：") + OutPath())}));
    ASSERT_EQ(dialogs().fileDialogsShown.size(), 1);
    EXPECT_EQ(dialogs().fileDialogsShown[0].objectName, QStringLiteral("SaveDialog1"));
    EXPECT_EQ(dialogs().fileDialogsShown[0].fileName,
              QStringLiteral("salary") +
                  QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
                  QStringLiteral(".txt"));
}

// The shown count and total are always those of the rows, as the header sums them: after adds,
// an edit in place and a delete.
TEST_F(Upload, TheShownTotalIsTheHeadersAfterEveryChange) {
    Add(QStringLiteral("甲"), QStringLiteral("6222001"), QStringLiteral("39607.50"));
    Add(QStringLiteral("乙"), QStringLiteral("6222002"), QStringLiteral("0.1"));
    Add(QStringLiteral("丙"), QStringLiteral("6222003"), QStringLiteral("0.2"));
    EXPECT_EQ(Total(), QStringLiteral("39,607.80"));
    TypeInto(page()->DBGrid2, 0, 3, QStringLiteral("3960.75"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();  // Enter closes the editor once the key is handled
    EXPECT_EQ(Total(), QStringLiteral("3,961.05"));
    EXPECT_EQ(page()->sumCapitals->text(), capitals::FromText(QStringLiteral("3961.05")));
    Export(OutPath());
    EXPECT_EQ(Out(), Gb("3|3961.05|\r\n1|6222001|甲|3960.75|奖金|\r\n2|6222002|乙|0.10|奖金|\r\n"
                        "3|6222003|丙|0.20|奖金|\r\n"));
    DBGrid* grid = page()->DBGrid2;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(1, 0)).center());
    Click(page()->Button9);
    EXPECT_EQ(Total(), QStringLiteral("3,960.95"));
    EXPECT_EQ(page()->recordcount->text(), QStringLiteral("2"));
    Export(OutPath());
    EXPECT_TRUE(Out().startsWith(Gb("2|3960.95|\r\n")));
}

TEST_F(Upload, AFileThatDoesNotReadBackIsRemovedAndNoSuccessIsShown) {
    Add(QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("2.50"));
    for (const Fault fault : kFaults) {
        window->disk.current = FaultyDisk(fault);
        Export(OutPath());
        EXPECT_EQ(
            dialogs().messages,
            QList<ScriptedDialogs::Message>({Error(
                QStringLiteral("文件“") + QDir::toNativeSeparators(OutPath()) +
                QStringLiteral("”写入后读回的内容与应写入的不一致，已删除该文件，请重新导出！"))}))
            << int(fault);
        EXPECT_FALSE(QFile::exists(OutPath())) << int(fault);
    }
    EXPECT_EQ(form().salaryPage->UnexportedRows(), 1);
    window->disk.current = &listfile::Replace;
    Export(OutPath());
    EXPECT_EQ(dialogs().messages,
              QList<ScriptedDialogs::Message>({Info(QStringLiteral("文件存放于：") + OutPath())}));
    EXPECT_EQ(Out(), Gb("1|2.50|\r\n1|1|甲|2.50|奖金|\r\n"));
    EXPECT_EQ(form().salaryPage->UnexportedRows(), 0);
}

TEST_F(Upload, OneThousandRowsGoIntoOneFileAndNoMore) {
    Export(OutPath());
    EXPECT_EQ(dialogs().messages,
              QList<ScriptedDialogs::Message>({Error(QStringLiteral("无工资代发记录！"))}));
    AppendRows(1000);
    Export(OutPath());
    const QList<QByteArray> lines = Out().split('\n');
    ASSERT_EQ(lines.size(), 1002);
    EXPECT_EQ(lines[0], QByteArray("1000|1000.00|\r"));
    EXPECT_EQ(lines[1000], Gb("1000|999|某|1|m|\r"));
    AppendRows(1);
    window->dir.Write(QStringLiteral("out/salary.txt"), "kept");
    Export(OutPath());
    EXPECT_EQ(dialogs().messages, QList<ScriptedDialogs::Message>(
                                      {Error(QStringLiteral("超过1000笔，请分批形成文件！"))}));
    EXPECT_TRUE(dialogs().fileDialogsShown.isEmpty());
    EXPECT_EQ(Out(), QByteArray("kept"));
}

TEST_F(Upload, CancelWritesAndShowsNothing) {
    Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
    Add(QStringLiteral("李四"), QStringLiteral("102"), QStringLiteral("200"));
    DBGrid* grid = page()->DBGrid2;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(0, 0)).center());
    Export(QString());
    EXPECT_TRUE(dialogs().messages.isEmpty());
    EXPECT_EQ(dialogs().fileDialogsShown.size(), 1);
    EXPECT_FALSE(window->dir.Exists(QStringLiteral("out/salary.txt")));
    EXPECT_EQ(form().cds2.RecNo(), 0);
}

TEST_F(Upload, AValueThatWouldShiftTheFieldsIsRefusedBeforeTheDialog) {
    struct Case {
        int row;  // item row typed into
        QString typed;
        const char* message;
    } cases[] = {
        {0, QStringLiteral("王|五"), "增加失败：“姓名”不能包含“|”或换行符！"},
        {5, QStringLiteral("a|b"), "增加失败：“备注”不能包含“|”或换行符！"},
        {2, QStringLiteral("1|2"), "增加失败：“员工账号”不能包含“|”或换行符！"},
        // Another item is not exported and may hold anything.
        {1, QStringLiteral("a|b"), nullptr},
    };
    for (const Case& c : cases) {
        Reset();
        Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
        TypeItem(c.row, c.typed);
        dialogs().Clear();
        Click(page()->Button7);
        if (c.message) {
            EXPECT_EQ(dialogs().Texts(), QStringList{QString::fromUtf8(c.message)});
            EXPECT_EQ(form().cds2.RecordCount(), 1);
        } else {
            EXPECT_EQ(form().cds2.RecordCount(), 2);
            // The same account and amount twice: the export asks, and 是 writes the file.
            dialogs().Clear();
            dialogs().fileAnswers = {OutPath()};
            dialogs().questionAnswers = {true};
            Click(page()->Button12);
            ASSERT_EQ(dialogs().messages.size(), 2);
            EXPECT_EQ(dialogs().messages[0].text,
                      QStringLiteral("以下工资记录的收款账号和金额相同，可能重复付款：\n"
                                     "第1笔、第2笔：账号101，金额100.00\n\n仍要导出吗？"));
            EXPECT_TRUE(window->dir.Exists(QStringLiteral("out/salary.txt")));
        }
        TypeItem(c.row, QStringLiteral("x"));
    }
    // An amount with a line break, typed in place in the salary grid.
    Reset();
    Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
    page()->AppendSalaryRow({{QStringLiteral("name"), QStringLiteral("李四")},
                             {QStringLiteral("acct"), QStringLiteral("1")},
                             {QStringLiteral("finalincome"), QStringLiteral("1\r\n")},
                             {QStringLiteral("memo"), QStringLiteral("m")}});
    QFile::remove(OutPath());
    Export(OutPath());
    EXPECT_EQ(dialogs().messages,
              QList<ScriptedDialogs::Message>({Error(
                  QStringLiteral("第2笔工资记录不能导出：“实际入账金额”不能包含“|”或换行符！"))}));
    EXPECT_FALSE(window->dir.Exists(QStringLiteral("out/salary.txt")));
}

TEST_F(Upload, AFailureAfterTheDialogWritesNothing) {
    Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
    Add(QStringLiteral("李四"), QStringLiteral("102"), QStringLiteral("200"));
    // A path in a directory that does not exist.
    const QString nowhere = window->dir.Path(QStringLiteral("missing/salary.txt"));
    Export(nowhere);
    EXPECT_EQ(dialogs().messages, QList<ScriptedDialogs::Message>({ProgramError(
                                      QStringLiteral("Cannot create file ") + nowhere + u'.')}));
    // A value that no entry path lets in is still refused by the export, naming the row, and
    // the file on disk is left as it was.
    const struct {
        const char* acct;
        const char* amount;
        const char* message;
    } bad[] = {
        {"103", "abc", "第3笔工资记录不能导出：“实际入账金额”：金额“abc”不是有效的数字"},
        {"6.21700001111222E15", "1.00",
         "第3笔工资记录不能导出：“员工账号”只能是1到32位数字，不能带空格或横杠：“6."
         "21700001111222E15”"},
    };
    window->dir.Write(QStringLiteral("out/salary.txt"), "kept");
    for (const auto& b : bad) {
        page()->AppendSalaryRow({{QStringLiteral("name"), QStringLiteral("王五")},
                                 {QStringLiteral("acct"), QString::fromUtf8(b.acct)},
                                 {QStringLiteral("finalincome"), QString::fromUtf8(b.amount)},
                                 {QStringLiteral("memo"), QStringLiteral("m")}});
        Export(OutPath());
        EXPECT_EQ(dialogs().messages,
                  QList<ScriptedDialogs::Message>({Error(QString::fromUtf8(b.message))}));
        EXPECT_TRUE(dialogs().fileDialogsShown.isEmpty());
        EXPECT_EQ(Out(), QByteArray("kept"));
        form().cds2.Last();
        form().cds2.Delete();
    }
}

TEST(SalaryUpload, AnItemFileWithoutMemoExportsNothing) {
    SalaryWindow w(Gb("1,姓名,name\r\n2,部门,dept\r\n3,账号,acct\r\n4,金额,finalincome\r\n"));
    w.Show();
    // Rows as the sheet import adds them.
    w.page->AppendSalaryRow({{QStringLiteral("name"), QStringLiteral("张三")},
                             {QStringLiteral("acct"), QStringLiteral("101")},
                             {QStringLiteral("finalincome"), QStringLiteral("100.00")}});
    const QString path = w.dir.Path(QStringLiteral("salary.txt"));
    w.dialogs.fileAnswers = {path};
    QTest::mouseClick(w.page->Button12, Qt::LeftButton);
    EXPECT_EQ(w.dialogs.Texts(), QStringList{QStringLiteral("Field 'memo' not found.")});
    EXPECT_FALSE(QFile::exists(path));
}

// Every item typed is kept in its field of the credit, the printout's columns included; the
// upload file still writes only name, account, amount and memo.
TEST_F(Upload, EveryTypedItemIsKeptAndTheFileIsUnchanged) {
    TypeItem(1, QStringLiteral("财务部"));
    TypeItem(4, QStringLiteral("E007"));
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("张三|财务部|6222001|100.00|E007|奖金")});
    Export(OutPath());
    EXPECT_EQ(Out(), Gb("1|100.00|\r\n1|6222001|张三|100.00|奖金|\r\n"));
}

// The salary grid's context menu saves the credits as a workbook: titles first, the long account
// as text, the amount as a number; the shared save dialog offers its own files again after.
TEST_F(Upload, TheGridSavesAsAnExcelWorkbook) {
    Add(QStringLiteral("张三"), QStringLiteral("6222021234567890123"), QStringLiteral("1200.5"),
        QStringLiteral("NULL"));
    const QString saved = window->dir.Path(QStringLiteral("credits.xlsx"));
    const QString filter = form().SaveDialog1.filter;
    dialogs().Clear();
    dialogs().fileAnswers = {saved};
    QTimer::singleShot(0, page(), [] {
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    DBGrid* grid = page()->DBGrid2;
    grid->setFocus();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(10, 10),
                              grid->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(grid, &menuKey);
    QTRY_COMPARE(dialogs().messages.size(), 1);
    EXPECT_EQ(dialogs().fileDialogsShown.back().filter, QStringLiteral("EXCEL工作簿|*.xlsx"));
    EXPECT_EQ(form().SaveDialog1.filter, filter);
    EXPECT_TRUE(dialogs().Texts()[0].startsWith(QStringLiteral("已保存为Excel工作簿：")));
    const std::unique_ptr<sheet::Book> book =
        sheet::ReadXlsx(window->dir.Read(QStringLiteral("credits.xlsx")));
    const std::unique_ptr<sheet::Grid> sheet = book->LoadWorksheet(1);
    EXPECT_EQ(sheet->Cell(1, 3), QStringLiteral("员工账号"));
    EXPECT_EQ(sheet->Cell(2, 1), QStringLiteral("张三"));
    EXPECT_EQ(sheet->Cell(2, 3), QStringLiteral("6222021234567890123"));
    EXPECT_EQ(sheet->Cell(2, 4), QStringLiteral("1200.5"));
    // As the grid shows them: no department, the memo the upload file will carry.
    EXPECT_EQ(sheet->Cell(2, 2), QString());
    EXPECT_EQ(sheet->Cell(2, 6), QStringLiteral("网银代发"));
}
