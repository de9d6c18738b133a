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
    // Items that are none of the four names hold "NULL"; the amount is stored with two decimals.
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("张三|NULL|101|100.00|NULL|奖金")});
    EXPECT_EQ(page()->recordcount->text(), QStringLiteral("1"));
    EXPECT_EQ(form().PanelText(1), QStringLiteral("记录笔数：1"));
    EXPECT_EQ(Total(), QStringLiteral("100.00"));
    // The item grid keeps the values; the name is current and in edit for the next employee.
    EXPECT_EQ(form().cds3.RecNo(), 0);
    EXPECT_EQ(form().cds3.Text(0, 2), QStringLiteral("张三"));

    // Only the name and amount are typed anew; a name of five characters is kept whole, and the
    // amount is read as currency.
    TypeItem(0, QStringLiteral("欧阳娜娜娜"));
    TypeItem(3, QStringLiteral(".5"));
    Click(page()->Button7);
    EXPECT_EQ(Rows().last(), QStringLiteral("欧阳娜娜娜|NULL|101|0.50|NULL|奖金"));
    EXPECT_EQ(Total(), QStringLiteral("100.50"));
    EXPECT_EQ(form().cds2.RecNo(), 1) << "the new row is current";
    Add(QStringLiteral("阿依古丽·买买提"), QStringLiteral("103"), QStringLiteral("1e5"));
    EXPECT_EQ(Rows().last(), QStringLiteral("阿依古丽·买买提|NULL|103|100000.00|NULL|奖金"));
    EXPECT_EQ(Total(), QStringLiteral("100,100.50"));
    EXPECT_EQ(page()->recordcount->text(), QStringLiteral("3"));
    EXPECT_EQ(form().PanelText(1), QStringLiteral("记录笔数：3"));
    if (qEnvironmentVariableIsSet("CORPPAY_SCREENSHOT")) {
        form().resize(1280, 760);
        form().grab().save(qEnvironmentVariable("CORPPAY_SCREENSHOT"));
    }
}

TEST_F(Entry, AFailedAddSaysWhyAndChangesNothing) {
    Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
    const QStringList rows = Rows();
    struct Case {
        int row;
        const char* typed;
        const char* reason;
    } cases[] = {
        {2, "", "“员工账号”不能为空，请填写后再增加。"},
        {5, "", "“备注”不能为空，请填写后再增加。"},
        {3, "1,000.00", "“实际入账金额”：金额“1,000.00”不是有效的数字"},
        {3, "abc", "“实际入账金额”：金额“abc”不是有效的数字"},
        // Nothing is cut, nothing paid below a cent or for nothing.
        {3, "-1", "“实际入账金额”：金额“-1”必须大于0"},
        {3, "0", "“实际入账金额”：金额“0”必须大于0"},
        {3, "0.001", "“实际入账金额”：金额“0.001”超过两位小数"},
        {3, "100.005", "“实际入账金额”：金额“100.005”超过两位小数"},
        {3, "12345678901234", "“实际入账金额”：金额“12345678901234”超过13位整数"},
        {0, " ", "“姓名”不能为空！"},
        {0, "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三",
         "“姓名”超过64字节，不能截断：“一二三四五六七八九十一二三四五六七八九十一二三四…”"},
        {2, "622202020011223344556677889900112",
         "“员工账号”只能是1到32位数字，不能带空格或横杠：“622202020011223344556677…”"},
        {2, "6222 0202 0011", "“员工账号”只能是1到32位数字，不能带空格或横杠：“6222 0202 0011”"},
        {2, "6.22202020011223E18",
         "“员工账号”只能是1到32位数字，不能带空格或横杠：“6.22202020011223E18”"},
        {2, "#N/A", "“员工账号”只能是1到32位数字，不能带空格或横杠：“#N/A”"},
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
        TypeItem(0, QStringLiteral("张三"));
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
    EXPECT_EQ(Rows(), QStringList({QStringLiteral("张三|NULL|101|100.00|NULL|奖金"),
                                   QStringLiteral("王五|NULL|103|3.00|NULL|奖金")}));
    EXPECT_EQ(form().cds2.RecNo(), 1) << "the next row becomes current";
    EXPECT_EQ(Total(), QStringLiteral("103.00"));
    EXPECT_EQ(page()->recordcount->text(), QStringLiteral("2"));
    EXPECT_EQ(form().PanelText(1), QStringLiteral("记录笔数：2"));
}

// An edit in place meets the rules of a typed value: refused with the item named, the cell and
// the figures as they were; a sound edit is stored in its normal form and the figures follow.
TEST_F(Entry, EditsInPlaceAreCheckedAndTheFiguresFollowThem) {
    Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
    const struct {
        int column;
        const char* typed;
        const char* warning;
    } refused[] = {
        {3, "abc", "“实际入账金额”：金额“abc”不是有效的数字"},
        {3, "-1", "“实际入账金额”：金额“-1”必须大于0"},
        {3, "", "“实际入账金额”：金额“”不是有效的数字"},
        {2, "6222-0202", "“员工账号”只能是1到32位数字，不能带空格或横杠：“6222-0202”"},
        {0, " ", "“姓名”不能为空！"},
    };
    for (const auto& c : refused) {
        dialogs().Clear();
        TypeInto(page()->DBGrid2, 0, c.column, QString::fromUtf8(c.typed));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialogs().messages.isEmpty(); }));
        EXPECT_EQ(dialogs().Texts(), QStringList{QString::fromUtf8(c.warning)}) << c.typed;
        EXPECT_EQ(Rows(), QStringList{QStringLiteral("张三|NULL|101|100.00|NULL|奖金")});
        EXPECT_EQ(Total(), QStringLiteral("100.00"));
    }
    TypeInto(page()->DBGrid2, 0, 3, QStringLiteral("1e3"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("张三|NULL|101|1000.00|NULL|奖金")});
    EXPECT_EQ(Total(), QStringLiteral("1,000.00"));

    // Nothing to delete: said so, nothing else happens.
    Reset();
    dialogs().Clear();
    Click(page()->Button9);
    EXPECT_EQ(dialogs().Texts(), QStringList{QStringLiteral("无工资代发记录！")});
    EXPECT_TRUE(form().cds2.IsEmpty());
}

TEST_F(Entry, ResetEmptiesTheTableAndKeepsItemsAndStatusBar) {
    TestModel();
    for (int round = 0; round < 2; ++round) {
        if (round == 0) {
            Add(QStringLiteral("张三"), QStringLiteral("101"), QStringLiteral("100"));
            Add(QStringLiteral("李四"), QStringLiteral("102"), QStringLiteral("200"));
        }
        // Credits not yet exported: 否 (the default) keeps them, 是 empties the table; an
        // empty table is reset without a question.
        const QString question = QStringLiteral(
            "表中有 2 笔工资记录（合计 300.00 元）尚未导出为上传文件，复位将全部删除。\n\n"
            "确定复位吗？");
        if (round == 0) {
            dialogs().Clear();
            Click(page()->Button10);
            EXPECT_EQ(dialogs().Texts(), QStringList{question});
            EXPECT_EQ(form().cds2.RecordCount(), 2);
            EXPECT_EQ(Total(), QStringLiteral("300.00"));
        }
        dialogs().Clear();
        Reset();
        EXPECT_EQ(dialogs().Texts(), round == 0
                                         ? QStringList({question, QStringLiteral("复位成功！")})
                                         : QStringList{QStringLiteral("复位成功！")});
        EXPECT_TRUE(form().cds2.IsEmpty());
        EXPECT_EQ(Total(), QStringLiteral("0.00"));
        EXPECT_EQ(page()->recordcount->text(), QStringLiteral("0"));
        EXPECT_EQ(form().PanelText(1), QStringLiteral("记录笔数："));
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
