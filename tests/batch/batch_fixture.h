// The main window over a configuration directory of the test's own, with the scripted dialog
// service and the pickers, and helpers to fill the entry form through its widgets.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/aboutbox.h"
#include "app/mainwindow.h"
#include "batch/batchpage.h"
#include "batch/updown.h"
#include "controls/numeditnew.h"
#include "lookup/banksearch.h"
#include "lookup/rosterpicker.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dialogs/scripteddialogs.h"
#include "tests/common/faultydisk.h"
#include "tests/common/testdir.h"

class BatchFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write(QStringLiteral("config/salary.ini"), Gb("1,姓名,name\r\n"));
        dir.Write(QStringLiteral("config/owner.ini"),
                  Gb("甲公司|6230001|星澜聚川银行\r\n乙 公司|6230002|星澜聚川银行\r\n"));
        dir.Write(
            QStringLiteral("config/recvers.ini"),
            Gb("张三|6222001|星澜聚川银行|\r\n李四|6222002|中国银行成都分行|104651000001\r\n"));
        form.SetDialogs(&recverPicker, &payerPicker, &bank, &about);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        ASSERT_TRUE(dialogs.messages.isEmpty());
    }

    // Fills the recipient part of the form the way a user does.
    void Fill(const QString& name, const QString& account, const QString& amount,
              const QString& purpose = QStringLiteral("工资，奖金"),
              const QString& mode = QStringLiteral("普通")) {
        page->payacct->setEditText(QStringLiteral("6230001"));
        page->recver->setEditText(name);
        page->recacct->setEditText(account);
        page->amt->SetShuZhi(amount);
        page->use->setEditText(purpose);
        page->remittype->setCurrentIndex(page->remittype->findText(mode));
    }
    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Types a text into a cell of the instruction grid and presses Enter, as a user edits in
    // place; a warning it causes is shown once the editor has closed.
    void TypeIntoCell(int row, const char* field, const QString& text) {
        DBGrid* grid = page->DBGrid1;
        const int column = form.cds1.FieldByName(QString::fromLatin1(field)).Index();
        const QModelIndex index = grid->model()->index(row, column);
        grid->scrollTo(index);
        // A click on the current row opens the editor once the double-click time has passed.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        if (grid->viewport()->findChild<QLineEdit*>() == nullptr) {
            QTest::keyClick(grid, Qt::Key_F2);
        }
        auto* editor = grid->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        // Chinese text comes from an input method, as a commit of the whole text.
        if (text.toLatin1() == text.toUtf8()) {
            QTest::keyClicks(editor, text);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(editor, &commit);
        }
        QTest::keyClick(editor, Qt::Key_Return);
        // Enter commits through a queued call, and the warning follows it.
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
    }

    // 复位, answering 是 when it asks about rows not yet exported.
    void Reset() {
        dialogs.questionAnswers = {true};
        Click(page->Button4);
        dialogs.questionAnswers.clear();
    }
    void Add(const QString& name, const QString& account, const QString& amount) {
        Fill(name, account, amount);
        Click(page->Button1);
    }
    QString Field(const char* name) {
        return form.cds1.FieldByName(QString::fromLatin1(name)).AsString();
    }
    QStringList Rows() {
        QStringList rows;
        for (int r = 0; r < form.cds1.RecordCount(); ++r) {
            QStringList values;
            for (int f = 0; f < form.cds1.FieldCount(); ++f) {
                values.append(form.cds1.Text(r, f));
            }
            rows.append(values.join(u'|'));
        }
        return rows;
    }
    QByteArray Roster() { return dir.Read(QStringLiteral("config/recvers.ini")); }

    TestDir dir;
    ConfigDir config{dir.Base()};
    ScriptedDialogs dialogs;
    TestDisk disk;
    Tmform form{dialogs, config, nullptr, disk.Writer()};
    TfmRecver recverPicker{dialogs, config, &form};
    Tfrpayer payerPicker{dialogs, config, &form};
    TfmBank bank{dialogs, &form};
    TAboutBox about{&form};
    BatchPage* page = form.batchPage;
};
