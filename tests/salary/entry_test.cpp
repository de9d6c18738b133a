#include "tests/salary/salary_fixture.h"

namespace {
using Entry = SalaryFixture;
}  // namespace

TEST_F(Entry, AddBuildsACreditFromTheItemsAndKeepsCountAndTotal) {
    TestModel();
    EXPECT_EQ(page()->recordcount->text(), QString());
    EXPECT_EQ(Total(), QStringLiteral("0.00"));
    Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
    EXPECT_EQ(dialogs().messages,
              QList<ScriptedDialogs::Message>(
                  {{ScriptedDialogs::Kind::Information, QStringLiteral("Information"),
                    QStringLiteral("增加成功！")}}));
    // Items that are none of the four names hold "NULL"; the amount is stored as typed.
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("张三|NULL|101|100|NULL|奖金")});
    EXPECT_EQ(page()->recordcount->text(), QStringLiteral("1"));
    EXPECT_EQ(form().PanelText(1), QStringLiteral("记录笔数：1"));
    EXPECT_EQ(Total(), QStringLiteral("100.00"));
    // The item grid keeps the values, its cursor on the memo row.
    EXPECT_EQ(form().cds3.RecNo(), 5);
    EXPECT_EQ(form().cds3.Text(0, 2), QStringLiteral("张三"));

    // Only the amount is typed anew; the first item keeps at most 8 bytes.
    TypeItem(0, QStringLiteral("欧阳娜娜娜"));
    TypeItem(3, QStringLiteral("100.5"));
    Click(page()->Button7);
    EXPECT_EQ(Rows().last(), QStringLiteral("欧阳娜娜|NULL|101|100.5|NULL|奖金"));
    EXPECT_EQ(Total(), QStringLiteral("200.50"));
    EXPECT_EQ(form().cds2.RecNo(), 1) << "the new row is current";
    // A negative amount and zero are taken as well.
    Add(QStringLiteral("王五"), QStringLiteral("103"), QStringLiteral("-50"));
    Add(QStringLiteral("赵六"), QStringLiteral("104"), QStringLiteral("0"));
    EXPECT_EQ(Total(), QStringLiteral("150.50"));
    EXPECT_EQ(page()->recordcount->text(), QStringLiteral("4"));
    EXPECT_EQ(form().PanelText(1), QStringLiteral("记录笔数：4"));
    if (qEnvironmentVariableIsSet("CORPPAY_SCREENSHOT")) {
        form().resize(1280, 760);
        form().grab().save(qEnvironmentVariable("CORPPAY_SCREENSHOT"));
    }
}

TEST_F(Entry, TheTotalIsRoundedAtEveryStep) {
    Add(QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("0.005"));
    EXPECT_EQ(Total(), QStringLiteral("0.01"));
    Add(QStringLiteral("乙"), QStringLiteral("2"), QStringLiteral("0.005"));
    EXPECT_EQ(Total(), QStringLiteral("0.02"));
    EXPECT_DOUBLE_EQ(page()->ne_sumamt->Value(), 0.02);
}

TEST_F(Entry, AFailedAddSaysWhyAndChangesNothing) {
    Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
    const QStringList rows = Rows();
    struct Case {
        int row;
        const char* typed;
        const char* reason;
    } cases[] = {
        {2, "", "Field '员工账号' must have a value"},
        {5, "", "Field '备注' must have a value"},
        {3, "1,000.00", "'1,000.00' is not a valid floating point value"},
        {3, "abc", "'abc' is not a valid floating point value"},
    };
    for (const Case& c : cases) {
        dialogs().Clear();
        TypeItem(c.row, QString::fromUtf8(c.typed));
        Click(page()->Button7);
        EXPECT_EQ(dialogs().messages,
                  QList<ScriptedDialogs::Message>(
                      {{ScriptedDialogs::Kind::Warning, QStringLiteral("Warning"),
                        QStringLiteral("增加失败：") + QString::fromUtf8(c.reason)}}))
            << c.reason;
        EXPECT_EQ(Rows(), rows);
        EXPECT_EQ(form().cds2.RecNo(), 0);
        EXPECT_EQ(Total(), QStringLiteral("100.00"));
        EXPECT_EQ(page()->recordcount->text(), QStringLiteral("1"));
        // Put the sound value back for the next case.
        TypeItem(2, QStringLiteral("101"));
        TypeItem(3, QStringLiteral("100"));
        TypeItem(5, QStringLiteral("奖金"));
    }
}

TEST_F(Entry, TheEntryButtonStopsAtOneThousandRows) {
    for (int i = 0; i < 999; ++i) {
        page()->AppendSalaryRow({{QStringLiteral("name"), QStringLiteral("某")},
                                 {QStringLiteral("acct"), QString::number(i)},
                                 {QStringLiteral("finalincome"), QStringLiteral("1")},
                                 {QStringLiteral("memo"), QStringLiteral("m")}});
    }
    Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
    EXPECT_EQ(dialogs().Texts(), QStringList{QStringLiteral("增加成功！")});
    EXPECT_EQ(form().cds2.RecordCount(), 1000);
    const auto full =
        QList<ScriptedDialogs::Message>({{ScriptedDialogs::Kind::Warning, QStringLiteral("Warning"),
                                          QStringLiteral("达到工资代发指令数量上限！")}});
    dialogs().Clear();
    Click(page()->Button7);
    EXPECT_EQ(dialogs().messages, full);
    EXPECT_EQ(form().cds2.RecordCount(), 1000);
    // Beyond the limit (as an import may go) the button keeps refusing.
    page()->AppendSalaryRow({{QStringLiteral("name"), QStringLiteral("某")},
                             {QStringLiteral("acct"), QStringLiteral("x")},
                             {QStringLiteral("finalincome"), QStringLiteral("1")},
                             {QStringLiteral("memo"), QStringLiteral("m")}});
    dialogs().Clear();
    Click(page()->Button7);
    EXPECT_EQ(dialogs().messages, full);
    EXPECT_EQ(form().cds2.RecordCount(), 1001);
}

TEST_F(Entry, DeleteTakesTheCurrentRowsAmountOffTheTotal) {
    TestModel();
    Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
    Add(QStringLiteral("李四"), QStringLiteral("102"), QStringLiteral("20.5"));
    Add(QStringLiteral("王五"), QStringLiteral("103"), QStringLiteral("3"));
    DBGrid* grid = page()->DBGrid2;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(1, 0)).center());
    ASSERT_EQ(form().cds2.RecNo(), 1);
    dialogs().Clear();
    Click(page()->Button9);
    EXPECT_EQ(dialogs().messages,
              QList<ScriptedDialogs::Message>(
                  {{ScriptedDialogs::Kind::Information, QStringLiteral("Information"),
                    QStringLiteral("删除成功！")}}));
    EXPECT_EQ(Rows(), QStringList({QStringLiteral("张三|NULL|101|100|NULL|奖金"),
                                   QStringLiteral("王五|NULL|103|3|NULL|奖金")}));
    EXPECT_EQ(form().cds2.RecNo(), 1) << "the next row becomes current";
    EXPECT_EQ(Total(), QStringLiteral("103.00"));
    EXPECT_EQ(page()->recordcount->text(), QStringLiteral("2"));
    EXPECT_EQ(form().PanelText(1), QStringLiteral("记录笔数：3")) << "not set by a deletion";
}

TEST_F(Entry, DeleteOfARowWithoutANumberOrOfNothingShowsTheConversionError) {
    Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
    // An edit in place in the salary grid, posted when the button takes the focus.
    TypeInto(page()->DBGrid2, 0, 3, QStringLiteral("abc"));
    dialogs().Clear();
    Click(page()->Button9);
    EXPECT_EQ(dialogs().Texts(),
              QStringList{QStringLiteral("'abc' is not a valid floating point value.")});
    EXPECT_EQ(dialogs().messages[0].kind, ScriptedDialogs::Kind::ProgramError);
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("张三|NULL|101|abc|NULL|奖金")});
    EXPECT_EQ(Total(), QStringLiteral("100.00")) << "an edit in place changes no figure";

    Click(page()->Button10);
    dialogs().Clear();
    Click(page()->Button9);
    EXPECT_EQ(dialogs().Texts(),
              QStringList{QStringLiteral("'' is not a valid floating point value.")});
    EXPECT_TRUE(form().cds2.IsEmpty());
}

TEST_F(Entry, ResetEmptiesTheTableAndKeepsItemsAndStatusBar) {
    TestModel();
    for (int round = 0; round < 2; ++round) {
        if (round == 0) {
            Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
            Add(QStringLiteral("李四"), QStringLiteral("102"), QStringLiteral("200"));
        }
        dialogs().Clear();
        Click(page()->Button10);
        EXPECT_EQ(dialogs().messages,
                  QList<ScriptedDialogs::Message>(
                      {{ScriptedDialogs::Kind::Information, QStringLiteral("Information"),
                        QStringLiteral("复位成功！")}}));
        EXPECT_TRUE(form().cds2.IsEmpty());
        EXPECT_EQ(Total(), QStringLiteral("0.00"));
        EXPECT_EQ(page()->recordcount->text(), QStringLiteral("0"));
        EXPECT_EQ(form().PanelText(1), QStringLiteral("记录笔数：2"));
        EXPECT_EQ(form().cds3.Text(0, 2), QStringLiteral("李四"));
    }
}

TEST_F(Entry, TheItemGridEditsValuesOnlyAndKeepsOneRowPerItem) {
    DBGrid* grid = page()->DBGrid3;
    QStringList titles;
    for (int i = 0; i < grid->ColumnCount(); ++i) {
        titles.append(grid->ColumnTitle(i));
    }
    EXPECT_EQ(titles.join(u','), QStringLiteral("序号,项目名称,项目数据"));
    const Qt::ItemFlags editable = Qt::ItemIsEditable;
    EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, 0)) & editable);
    EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, 1)) & editable);
    EXPECT_TRUE(grid->model()->flags(grid->model()->index(0, 2)) & editable);
    // The caption cannot be typed over.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(1, 1)).center());
    QTest::keyClicks(grid, QStringLiteral("x"));
    QTest::keyClick(grid, Qt::Key_F2);
    EXPECT_EQ(QApplication::focusWidget(), grid);
    // Keys that add or remove rows elsewhere leave the item rows as they are.
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {{Qt::Key_Insert, {}}, {Qt::Key_Delete, Qt::ControlModifier},
                {Qt::Key_Delete, {}}, {Qt::Key_End, Qt::ControlModifier},
                {Qt::Key_Down, {}},   {Qt::Key_Down, {}}};
    for (const auto& k : keys) {
        QTest::keyClick(grid, k.key, k.modifiers);
    }
    EXPECT_EQ(form().cds3.RecordCount(), 6);
    EXPECT_EQ(form().cds3.Text(1, 1), QStringLiteral("部门名称"));
}
