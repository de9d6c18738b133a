// "数据导入" on the salary page: a payroll sheet read through the spreadsheet layer with the
// mapping typed on the parameter page, checked whole before any row is added.
#include <QDir>

#include "params/paramspage.h"
#include "tests/salary/salary_fixture.h"

namespace {

class SheetImport : public SalaryFixture {
protected:
    void Map(const char* name, const char* acct, const char* amount, const char* start) {
        ParamsPage* params = form().paramsPage;
        const std::pair<QLineEdit*, const char*> edits[] = {{params->conf_name, name},
                                                            {params->conf_acct, acct},
                                                            {params->conf_finalincome, amount},
                                                            {params->conf_startrow, start}};
        for (const auto& [edit, text] : edits) {
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            TypeText(edit, QString::fromUtf8(text));
        }
    }
    QString Import(const QByteArray& csv, const char* name = "payroll.csv") {
        window->dir.Write(QString::fromUtf8(name), csv);
        const QString path = window->dir.Path(QString::fromUtf8(name));
        dialogs().Clear();
        dialogs().fileAnswers = {path};
        Click(page()->Button11);
        return path;
    }
};

}  // namespace

TEST_F(SheetImport, ImportsTheRowsUpToTheFirstEmptyName) {
    Map("A", "B", "C", "2");
    const QString path =
        Import(Gb("姓名,账号,金额\r\n张三,6222001,1234.5678\r\n李四,6222002,0.009\r\n"
                  "王五,6222003,100\r\n,,\r\n赵六,6222004,5\r\n"));
    ASSERT_EQ(dialogs().messages.size(), 2) << dialogs().Texts().join(u'\n').toStdString();
    EXPECT_EQ(dialogs().messages[0].kind, ScriptedDialogs::Kind::Warning);
    EXPECT_EQ(
        dialogs().messages[0].text,
        QStringLiteral("有 1 笔金额超过两位小数，已四舍五入到分后导入：\n第 2 行：1234.5678 → "
                       "1234.57"));
    // The closing message tells what was read: rows imported, rows skipped, and the rows below
    // the empty name that ended the import.
    EXPECT_EQ(
        dialogs().messages[1].text,
        QStringLiteral("导入完毕！\n共导入 2 笔工资记录。\n金额为0或负数、未导入 1 笔：第 3 行\n"
                       "第 5 行的姓名为空，导入到此结束；其后还有 1 行数据未读取，请检查！"));
    EXPECT_EQ(dialogs().fileDialogsShown[0].defaultExt, QStringLiteral("*.XLS"));
    EXPECT_EQ(dialogs().fileDialogsShown[0].filterIndex, 3);
    EXPECT_EQ(Rows(), QStringList({QStringLiteral("张三|NULL|6222001|1234.57|NULL|NULL"),
                                   QStringLiteral("王五|NULL|6222003|100.00|NULL|NULL")}));
    // The shown total is that of the stored amounts, as the upload file's header will be.
    EXPECT_EQ(Total(), QStringLiteral("1,334.57"));
    EXPECT_EQ(page()->recordcount->text(), QStringLiteral("2"));
    EXPECT_EQ(page()->Label34->text(), QStringLiteral("文件名：") + path);
    EXPECT_EQ(form().PanelText(1), QStringLiteral("记录笔数：2"));

    // A sheet whose amounts are all skipped adds nothing: total and count stay those of the rows.
    form().SetPanelText(1, QStringLiteral("before"));
    Import(Gb("姓名,账号,金额\r\n甲,1,0.009\r\n乙,2,-5\r\n"));
    EXPECT_EQ(dialogs().Texts(),
              QStringList{QStringLiteral(
                  "导入完毕！\n共导入 0 笔工资记录。\n金额为0或负数、未导入 2 笔：第 2、3 行")});
    EXPECT_EQ(Total(), QStringLiteral("1,334.57"));
    EXPECT_EQ(form().PanelText(1), QStringLiteral("记录笔数：2"));
    EXPECT_EQ(page()->recordcount->text(), QStringLiteral("2"));
}

// Any bad row refuses the whole sheet with its row and column; an incomplete mapping sends the
// user to the parameter page; a file of another kind imports nothing.
TEST_F(SheetImport, RefusesWholeOrNotAtAll) {
    const QByteArray sheet = Gb("姓名,账号,金额\r\n张三,6222001,100\r\n");
    // One error box that holds the part, and nothing added.
    const auto refused = [&](const QString& part) {
        ASSERT_EQ(dialogs().messages.size(), 1);
        EXPECT_EQ(dialogs().messages[0].kind, ScriptedDialogs::Kind::ProgramError);
        EXPECT_TRUE(dialogs().messages[0].text.contains(part))
            << dialogs().messages[0].text.toStdString();
        EXPECT_TRUE(form().cds2.IsEmpty());
    };
    Map("A", "B", "C", "1");
    Import(sheet);
    refused(QStringLiteral("第 1 行"));

    Map("A", "", "C", "2");
    Import(sheet);
    EXPECT_EQ(dialogs().Texts(), QStringList({QStringLiteral("请录入完整的EXCEL导入配置参数"),
                                              QStringLiteral("导入完毕！")}));
    EXPECT_EQ(form().PageControl1->currentIndex(), 2);
    EXPECT_TRUE(form().cds2.IsEmpty());

    // A full-width space is no blank to the mapping check: the sheet names the letter instead.
    Map("　", "B", "C", "2");
    Import(sheet);
    refused(QStringLiteral("的列“　”不是有效的列字母"));

    Map("A", "B", "C", "2");
    Import(sheet, "payroll.txt");
    EXPECT_EQ(dialogs().Texts(), QStringList{QStringLiteral("导入完毕！")});
    EXPECT_TRUE(form().cds2.IsEmpty());
    Import(Gb("姓名,账号,金额\r\n,,\r\n"));
    EXPECT_EQ(dialogs().Texts(),
              QStringList({QStringLiteral("文件中没有数据！"), QStringLiteral("导入完毕！")}));
}

// A refused sheet's box says first that nothing was imported and what to change, in words a
// cashier acts on, then the reason with its row and column.
TEST_F(SheetImport, ARefusalSaysWhatToDoNext) {
    const struct {
        const char* sheet;
        const char* start;
        const char* text;
    } cases[] = {
        {"张三,,100\r\n", "1",
         "导入失败，没有导入任何记录。请在表格中填写“员工账号”后重新导入。\n"
         "工作表第 1 行 B 列：Field '员工账号' must have a value."},
        {"姓名,账号,金额\r\n张三,6222001,100\r\n", "1",
         "导入失败，没有导入任何记录。金额须是数字（如 1234.56，不带千位分隔符和货币符号），"
         "请在表格中改正后重新导入；如这一行是标题行，请在“参数设置”中改正数据起始行。\n"
         "工作表第 1 行 C 列：'金额' is not a valid floating point value."},
        {"张三,6222001,100\r\n", "x",
         "导入失败，没有导入任何记录。请在“参数设置”的EXCEL导入配置中改正后重新导入。\n"
         "'x' is not a valid integer value."},
        {"张三,6222 001,100\r\n", "1",
         "导入失败，没有导入任何记录。请在表格中改正这一格后重新导入。\n"
         "工作表第 1 行 B 列：“员工账号”只能是1到32位数字，不能带空格或横杠：“6222 001”."},
    };
    for (const auto& c : cases) {
        Map("A", "B", "C", c.start);
        Import(Gb(c.sheet));
        ASSERT_EQ(dialogs().messages.size(), 1) << c.sheet;
        EXPECT_EQ(dialogs().messages[0].kind, ScriptedDialogs::Kind::ProgramError);
        EXPECT_EQ(dialogs().messages[0].text, QString::fromUtf8(c.text));
        EXPECT_TRUE(form().cds2.IsEmpty());
    }
}

// The same payroll imported twice: asked before anything is added, the question naming the
// rows that already came from a file with the same bytes (whatever its name); whatever the
// answer, the shown count and total are those of the rows in the table, as the upload file's
// header.
TEST_F(SheetImport, ASecondSheetAsksAndTheFiguresStayThoseOfTheRows) {
    Map("A", "B", "C", "2");
    const QByteArray sheet = Gb("姓名,账号,金额\r\n张三,6222001,1000.10\r\n李四,6222002,20.05\r\n");
    Import(sheet);
    ASSERT_EQ(form().cds2.RecordCount(), 2);
    EXPECT_EQ(Total(), QStringLiteral("1,020.15"));
    const struct {
        int answer;
        int before;
        const char* sameAs;  // the earlier file named, nullptr: none
        int same;
        int rows;
        const char* total;
        const char* totalBefore;  // of the rows not yet exported, which 替换 would delete
    } cases[] = {{2, 2, "payroll.csv", 2, 2, "1,020.15", "1,020.15"},
                 {0, 2, "payroll.csv", 2, 4, "2,040.30", "1,020.15"},
                 {1, 4, "again.csv", 4, 2, "1,020.15", "2,040.30"}};
    for (const auto& c : cases) {
        window->dir.Write(QStringLiteral("again.csv"), sheet);
        dialogs().Clear();
        dialogs().choiceAnswers = {c.answer};
        dialogs().fileAnswers = {window->dir.Path(QStringLiteral("again.csv"))};
        Click(page()->Button11);
        ASSERT_FALSE(dialogs().messages.isEmpty());
        EXPECT_EQ(dialogs().messages[0].kind, ScriptedDialogs::Kind::Choice);
        const QString& text = dialogs().messages[0].text;
        EXPECT_TRUE(text.startsWith(
            QStringLiteral("表中已有 %1 笔工资记录。文件中的 2 笔记录是追加到"
                           "表中，还是替换表中的记录？\n其中 %1 笔工资记录（合计 %2 "
                           "元）尚未导出为上传文件，选“替换”将删除它们。\n\n")
                .arg(c.before)
                .arg(QString::fromUtf8(c.totalBefore))))
            << text.toStdString();
        EXPECT_TRUE(
            text.contains(QStringLiteral("注意：表中已有 %1 笔工资记录来自内容相同的文件“%2”")
                              .arg(c.same)
                              .arg(QString::fromUtf8(c.sameAs))))
            << text.toStdString();
        EXPECT_EQ(form().cds2.RecordCount(), c.rows) << c.answer;
        EXPECT_EQ(Total(), QString::fromUtf8(c.total)) << c.answer;
        EXPECT_EQ(page()->recordcount->text(), QString::number(c.rows));
        EXPECT_EQ(form().PanelText(1), QStringLiteral("记录笔数：%1").arg(c.rows));
        // A declined import says that nothing came in.
        if (c.answer == 2) {
            EXPECT_EQ(dialogs().messages.last().text,
                      QStringLiteral("导入完毕！\n未导入任何记录。"));
        }
    }
    // Another sheet is asked about without the notice: none of its rows is in the table yet.
    dialogs().Clear();
    dialogs().choiceAnswers = {2};
    Import(Gb("姓名,账号,金额\r\n王五,6222003,1.00\r\n"), "other.csv");
    ASSERT_FALSE(dialogs().messages.isEmpty());
    EXPECT_EQ(dialogs().messages[0].text,
              QStringLiteral("表中已有 2 笔工资记录。文件中的 1 笔记录是追加到表中，"
                             "还是替换表中的记录？\n其中 2 笔工资记录（合计 1,020.15 元）"
                             "尚未导出为上传文件，选“替换”将删除它们。"));
}

// A workbook whose first worksheet is hidden: the question names it before anything is added;
// 否 (the default) adds nothing, 是 imports it.
TEST_F(SheetImport, AHiddenWorksheetIsAskedAbout) {
    Map("A", "B", "C", "1");
    const QString path = QString::fromUtf8(CORPPAY_TEST_DATA) + QStringLiteral("/sheet/hidden.xls");
    for (const bool yes : {false, true}) {
        dialogs().Clear();
        dialogs().questionAnswers = {yes};
        dialogs().fileAnswers = {path};
        Click(page()->Button11);
        ASSERT_FALSE(dialogs().messages.isEmpty());
        EXPECT_EQ(dialogs().messages[0].kind, ScriptedDialogs::Kind::Question);
        EXPECT_EQ(dialogs().messages[0].text,
                  QStringLiteral("导入读取的是隐藏的工作表“去年”。\n\n仍要导入吗？"));
        EXPECT_EQ(Rows(), yes ? QStringList{QStringLiteral("去年|NULL|6222009|99999.00|NULL|NULL")}
                              : QStringList());
    }
}

// An amount in exponent form is how a spreadsheet shows a long number whose last digits it has
// already dropped: the sheet is refused at that cell, nothing is paid as rounded.
TEST_F(SheetImport, AnAmountInExponentFormIsRefused) {
    Map("A", "B", "C", "2");
    for (const char* amount : {"1.23457E+11", "1e5", "2.5E-1"}) {
        Import(Gb("姓名,账号,金额\r\n张三,6222001,100\r\n李四,6222002,") + amount + "\r\n");
        ASSERT_EQ(dialogs().messages.size(), 1) << amount;
        EXPECT_EQ(dialogs().messages[0].kind, ScriptedDialogs::Kind::ProgramError);
        EXPECT_TRUE(dialogs().messages[0].text.contains(
            QStringLiteral("金额“%1”是科学计数法").arg(QString::fromLatin1(amount))))
            << dialogs().messages[0].text.toStdString();
        EXPECT_EQ(form().cds2.RecordCount(), 0) << amount;
    }
}

// An imported credit keeps "NULL" in the items the sheet does not give. The grid shows what the
// upload file will carry: the department and number empty, the memo as the file writes it; an
// edit of the memo starts from that text, and the file then carries what was shown.
TEST_F(SheetImport, AnImportedRowShowsWhatTheFileCarries) {
    Map("A", "B", "C", "2");
    Import(Gb("姓名,账号,金额\r\n张三,6222001,100\r\n"));
    ASSERT_EQ(Rows(), QStringList{QStringLiteral("张三|NULL|6222001|100.00|NULL|NULL")});
    DBGrid* grid = page()->DBGrid2;
    QStringList shown;
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        shown.append(grid->model()->index(0, c).data().toString());
    }
    EXPECT_EQ(shown.join(u'|'), QStringLiteral("张三||6222001|100.00||网银代发"));

    // F2 on the memo: the editor holds the shown text; Enter on it changes nothing.
    const auto messages = dialogs().messages.size();
    const QModelIndex memo = grid->model()->index(0, 5);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(memo).center());
    QTest::keyClick(grid, Qt::Key_F2);
    QLineEdit* editor = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        return editor != nullptr;
    }));
    EXPECT_EQ(editor->text(), QStringLiteral("网银代发"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(dialogs().messages.size(), messages) << dialogs().Texts().join(u'\n').toStdString();
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("张三|NULL|6222001|100.00|NULL|NULL")});

    QDir().mkpath(window->dir.Path(QStringLiteral("out")));
    dialogs().Clear();
    dialogs().fileAnswers = {window->dir.Path(QStringLiteral("out/salary.txt"))};
    Click(page()->Button12);
    EXPECT_EQ(window->dir.Read(QStringLiteral("out/salary.txt")),
              Gb("1|100.00|\r\n1|6222001|张三|100.00|网银代发|\r\n"));
}
