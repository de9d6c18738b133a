// The main window over a configuration directory of the test's own, with the scripted dialog
// service, and helpers that type item values into the item grid and press the salary page's
// buttons as a user does.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/mainwindow.h"
#include "batch/batchpage.h"
#include "controls/numeditnew.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dialogs/scripteddialogs.h"
#include "salary/salarypage.h"
#include "tests/common/faultydisk.h"
#include "tests/common/testdir.h"

// The item file of the examples: six items, "memo" in position 5.
inline const char* const kSixItems =
    "1,姓名,name\r\n2,部门名称,deptname\r\n3,员工账号,acct\r\n4,实际入账金额,finalincome\r\n"
    "5,员工编号,codeno\r\n6,备注,memo\r\n";

// Types text as a user does: ASCII characters as keys, every other character as the text an
// input method commits.
inline void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 32 && c.unicode() < 127) {
            QTest::keyClick(widget, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(widget, &commit);
        }
    }
}

// Types text into a grid cell as a user does: a click on the cell, F2 to edit, the old text
// selected and replaced by the typed keys. The value is stored when the focus moves on.
inline void TypeInto(DBGrid* grid, int row, int column, const QString& text) {
    const QModelIndex cell = grid->model()->index(row, column);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    QTest::keyClick(grid, Qt::Key_F2);
    // A click on a cell of the current row opens the editor itself, after the double-click
    // interval, and F2 waits for that.
    QLineEdit* editor = nullptr;
    (void)QTest::qWaitFor([&] {
        editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        return editor != nullptr;
    });
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(editor, Qt::Key_Delete);
    }
    TypeText(editor, text);
}

// One main window over its own configuration; the item file is given, the other files are
// the minimal sound ones.
class SalaryWindow {
public:
    explicit SalaryWindow(const QByteArray& items, bool writeItems = true) {
        if (writeItems) {
            dir.Write(QStringLiteral("config/salary.ini"), items);
        }
        dir.Write(QStringLiteral("config/owner.ini"), Gb("甲公司|6230001|星澜聚川银行\r\n"));
        dir.Write(QStringLiteral("config/recvers.ini"), Gb("张三|6222001|星澜聚川银行|\r\n"));
    }
    void Show() {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        form.PageControl1->setCurrentIndex(1);
        // Lay the page out, so that its cells have their places.
        QCoreApplication::processEvents();
    }

    TestDir dir;
    ConfigDir config{dir.Base()};
    ScriptedDialogs dialogs;
    TestDisk disk;
    Tmform form{dialogs, config, nullptr, disk.Writer()};
    SalaryPage* page = form.salaryPage;
};

class SalaryFixture : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<SalaryWindow>(Gb(kSixItems));
        window->Show();
        ASSERT_TRUE(dialogs().messages.isEmpty()) << dialogs().Texts().join(u'\n').toStdString();
    }

    // Checks the salary grid's model on every change from here on (a cost per change that
    // grows with the rows, so only where the rows are few).
    void TestModel() {
        new QAbstractItemModelTester(page()->DBGrid2->model(),
                                     QAbstractItemModelTester::FailureReportingMode::Fatal,
                                     page()->DBGrid2);
    }

    ScriptedDialogs& dialogs() { return window->dialogs; }
    SalaryPage* page() { return window->page; }
    Tmform& form() { return window->form; }

    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // 复位, answering 是 when it asks about credits not yet exported.
    void Reset() {
        dialogs().questionAnswers = {true};
        Click(page()->Button10);
        dialogs().questionAnswers.clear();
    }

    // Types text into the value cell of an item row.
    void TypeItem(int row, const QString& text) { TypeInto(page()->DBGrid3, row, 2, text); }
    // Types one employee's values into the six-item grid and presses "增加指令".
    void Add(const QString& name, const QString& acct, const QString& amount,
             const QString& memo = QStringLiteral("奖金")) {
        TypeItem(0, name);
        TypeItem(2, acct);
        TypeItem(3, amount);
        TypeItem(5, memo);
        Click(page()->Button7);
    }
    // The rows of the salary table, fields joined by "|".
    QStringList Rows() {
        Dataset& t = form().cds2;
        QStringList rows;
        for (int r = 0; r < t.RecordCount(); ++r) {
            QStringList values;
            for (int f = 0; f < t.FieldCount(); ++f) {
                values.append(t.Text(r, f));
            }
            rows.append(values.join(u'|'));
        }
        return rows;
    }
    QString Total() { return page()->ne_sumamt->text(); }

    std::unique_ptr<SalaryWindow> window;
};
