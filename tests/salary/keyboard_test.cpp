// Payroll keyed with the keyboard alone: Enter walks the items and adds the credit at the
// last one, the next employee is typed straight in, Ctrl+Enter adds from anywhere, Tab leaves
// the item grid for the buttons and Enter presses a focused button; the "增加成功！" box can
// be turned off in itself, which the user's settings keep and the 文件 menu undoes.
#include "tests/salary/salary_fixture.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace {

class Keyboard : public SalaryFixture {
protected:
    void TearDown() override { form().addNotice.SetQuiet(false); }

    // The editor open in the item grid, with the focus.
    QLineEdit* Editor() {
        QLineEdit* editor = nullptr;
        (void)QTest::qWaitFor([&] {
            editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            return editor && page()->DBGrid3->viewport()->isAncestorOf(editor);
        });
        return editor;
    }
    // Types each value over the selected one in the editor in focus (an empty one deletes it)
    // and presses Enter after it.
    void KeyValues(const QStringList& values) {
        for (const QString& value : values) {
            QLineEdit* editor = Editor();
            ASSERT_NE(editor, nullptr) << value.toStdString();
            if (value.isEmpty()) {
                QTest::keyClick(editor, Qt::Key_Delete);  // the selected old value
            }
            TypeText(editor, value);
            QTest::keyClick(editor, Qt::Key_Return);
            QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
    }
};

}  // namespace

TEST_F(Keyboard, ThreeEmployeesWithoutTheMouse) {
    // One click into the first value cell, then keys only.
    TypeItem(0, QStringLiteral("张三"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    KeyValues({QStringLiteral("财务"), QStringLiteral("6222001"), QStringLiteral("100"),
               QStringLiteral("E01"), QStringLiteral("奖金")});
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("张三|财务|6222001|100.00|E01|奖金")});
    EXPECT_EQ(dialogs().Texts(), QStringList{QStringLiteral("增加成功！")});
    EXPECT_EQ(dialogs().optOutsShown, QStringList{QStringLiteral("不再提示")});

    // The name is current and in edit with its text selected: typing replaces it. This time
    // "不再提示" is ticked in the box.
    QLineEdit* name = Editor();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(form().cds3.RecNo(), 0);
    EXPECT_EQ(name->selectedText(), QStringLiteral("张三"));
    dialogs().optOutAnswers = {true};
    KeyValues({QStringLiteral("李四"), QStringLiteral("财务"), QStringLiteral("6222002"),
               QStringLiteral("200"), QStringLiteral("E02"), QStringLiteral("奖金")});
    EXPECT_EQ(Rows().last(), QStringLiteral("李四|财务|6222002|200.00|E02|奖金"));
    EXPECT_TRUE(form().addNotice.Quiet());
    EXPECT_FALSE(form().NShowAddNotice->isChecked());

    // The third employee: Ctrl+Enter in the middle of the items adds with the values typed so
    // far, and no box comes; the status bar says so with the count.
    dialogs().Clear();
    KeyValues({QStringLiteral("王五"), QStringLiteral("财务"), QStringLiteral("6222003")});
    QLineEdit* amount = Editor();
    ASSERT_NE(amount, nullptr);
    TypeText(amount, QStringLiteral("300.5"));
    QTest::keyClick(amount, Qt::Key_Return, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(Rows().size(), 3);
    EXPECT_EQ(Rows().last(), QStringLiteral("王五|财务|6222003|300.50|E02|奖金"));
    EXPECT_TRUE(dialogs().messages.isEmpty()) << dialogs().Texts().join(u'\n').toStdString();
    EXPECT_EQ(form().noticePanel->text(), QStringLiteral("增加成功！共 3 笔"));
    EXPECT_EQ(Total(), QStringLiteral("600.50"));

    // A failure still shows its box.
    KeyValues({QStringLiteral("赵六"), QStringLiteral("财务"), QStringLiteral("")});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(Rows().size(), 3);
    ASSERT_EQ(dialogs().messages.size(), 1);
    EXPECT_EQ(dialogs().messages[0].kind, ScriptedDialogs::Kind::Warning);

    // The 文件 menu brings the box back.
    form().NShowAddNotice->trigger();
    EXPECT_FALSE(form().addNotice.Quiet());
}

TEST_F(Keyboard, TabLeavesTheItemGridAndEnterPressesTheButton) {
    TypeItem(0, QStringLiteral("张三"));
    KeyValues({});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCoreApplication::processEvents();
    // The name is stored, the grid left for the add button.
    EXPECT_EQ(form().cds3.Text(0, 2), QStringLiteral("张三"));
    ASSERT_EQ(QApplication::focusWidget(), page()->Button7);
    EXPECT_TRUE(page()->Button7->toolTip().contains(QStringLiteral("Ctrl+Enter")));
    // Enter on the focused button presses it: the add runs and refuses the missing account.
    QTest::keyClick(page()->Button7, Qt::Key_Return);
    ASSERT_EQ(dialogs().messages.size(), 1);
    EXPECT_EQ(dialogs().messages[0].kind, ScriptedDialogs::Kind::Warning);
    EXPECT_TRUE(Rows().isEmpty());
    // Shift+Tab from the button goes back into the grid.
    QTest::keyClick(page()->Button7, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), page()->DBGrid3);
}

// The choice made in the box outlives the window: a new window starts without the box.
TEST_F(Keyboard, TheChoiceIsKeptInTheUserSettings) {
    dialogs().optOutAnswers = {true};
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    ASSERT_TRUE(form().addNotice.Quiet());
    window.reset();
    window = std::make_unique<SalaryWindow>(Gb(kSixItems));
    window->Show();
    EXPECT_TRUE(form().addNotice.Quiet());
    EXPECT_FALSE(form().NShowAddNotice->isChecked());
    Add(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("200"));
    EXPECT_EQ(Rows().size(), 1);
    EXPECT_TRUE(dialogs().messages.isEmpty());
    EXPECT_EQ(form().noticePanel->text(), QStringLiteral("增加成功！共 1 笔"));
}

// Whole accounts and amounts in view: the columns take their contents' width, the spare width
// goes to the name, rows are numbered; the window comes back as the user left it.
TEST_F(Keyboard, GridsShowWholeValuesAndTheWindowIsRemembered) {
    form().resize(1366, 768);
    QCoreApplication::processEvents();
    const QString account = QStringLiteral("6222020200112233445");
    Add(QStringLiteral("张三"), account, QStringLiteral("39607.5"));
    Add(QStringLiteral("阿依古丽·买买提"), QStringLiteral("6222020200112233446"),
        QStringLiteral("100"));
    QCoreApplication::processEvents();
    DBGrid* grid = page()->DBGrid2;
    const QFontMetrics metrics(grid->font());
    int sum = 0;
    for (int c = 0; c < grid->ColumnCount(); ++c) {
        sum += grid->columnWidth(c);
    }
    EXPECT_GT(grid->columnWidth(2), metrics.horizontalAdvance(account)) << "员工账号";
    EXPECT_GT(grid->columnWidth(3), metrics.horizontalAdvance(QStringLiteral("39,607.50")));
    EXPECT_GT(grid->columnWidth(0), metrics.horizontalAdvance(QStringLiteral("阿依古丽·买买提")));
    EXPECT_EQ(sum, grid->viewport()->width()) << "the name takes the spare width";
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 3), Qt::TextAlignmentRole).toInt() &
                  Qt::AlignRight,
              Qt::AlignRight);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    EXPECT_EQ(grid->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("▶ 2"));
    if (qEnvironmentVariableIsSet("CORPPAY_SCREENSHOT")) {
        form().grab().save(qEnvironmentVariable("CORPPAY_SCREENSHOT"));
    }

    // A size the screen holds: a larger one is fitted to the screen when the window opens.
    const QRect area = form().screen()->availableGeometry();
    form().setGeometry(
        QRect(area.topLeft(),
              QSize(1100, 700).boundedTo(area.size()).expandedTo(form().minimumSizeHint())));
    QCoreApplication::processEvents();
    // The user narrows the account column by dragging its border.
    QHeaderView* header = grid->horizontalHeader();
    const int border = header->sectionViewportPosition(2) + header->sectionSize(2) - 1;
    const int y = header->height() / 2;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(border, y));
    QMouseEvent drag(QEvent::MouseMove, QPointF(border - 40, y),
                     header->viewport()->mapToGlobal(QPointF(border - 40, y)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &drag);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(border - 40, y));
    const int narrowed = grid->columnWidth(2);
    EXPECT_LT(narrowed, metrics.horizontalAdvance(account) + 10);
    const QRect placed = form().geometry();
    dialogs().questionAnswers = {true};  // leave the unexported credits
    form().close();
    window.reset();
    window = std::make_unique<SalaryWindow>(Gb(kSixItems));
    window->Show();
    EXPECT_EQ(form().geometry().size(), placed.size());
    QCoreApplication::processEvents();
    EXPECT_EQ(page()->DBGrid2->columnWidth(2), narrowed) << "the user's width is kept";
}
