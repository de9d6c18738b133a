// The main window over a configuration directory of the test's own, with the scripted dialog
// service and the pickers, showing the parameter page; helpers to type into its controls and
// press its buttons as a user does.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "app/aboutbox.h"
#include "app/mainwindow.h"
#include "batch/batchpage.h"
#include "lookup/banksearch.h"
#include "lookup/rosterpicker.h"
#include "params/paramspage.h"
#include "platform/dialogs/scripteddialogs.h"
#include "tests/common/testdir.h"
#include "tests/common/typing.h"

class ParamsFixture : public ::testing::Test {
protected:
    // The configuration every test starts from; a test may write its own before Show().
    void WriteConfig() {
        dir.Write(QStringLiteral("config/salary.ini"), Gb("1,姓名,name\r\n"));
        dir.Write(
            QStringLiteral("config/owner.ini"),
            Gb("甲公司|6230001|星澜聚川银行\r\n乙 公司|6230002|星澜聚川银行\r\n两段|6230003\r\n"
               "丙公司|6230004|中国银行\r\n"));
        dir.Write(QStringLiteral("config/recvers.ini"),
                  Gb("张三|6222001|星澜聚川银行|\r\n李四|6222002|中国银行成都分行|104651000001\r\n"
                     "张三 李|6222|某银行|1234\r\n\r\n\"未闭合\r\n"));
        dir.Write(QStringLiteral("config/salarymap.ini"),
                  Gb("[excel]\r\nname=A\r\nacct=C\r\nfinalincome=D\r\n[option]\r\nstartrow=2\r\n"
                     "[corpacct]\r\ncorpacct1=6230001\r\n"));
    }
    void Show() {
        form.SetDialogs(&recverPicker, &payerPicker, &bank, &about);
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        form.PageControl1->setCurrentIndex(2);
        QCoreApplication::processEvents();
    }

    static void Type(QWidget* widget, const QString& text) { TypeReplacing(widget, text); }
    // Clicks the tab of a page of the main window, as a user switches pages, and lets the
    // switch finish.
    void ClickTab(int index) {
        QTabBar* tabs = form.PageControl1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(index).center());
        QCoreApplication::processEvents();
        ASSERT_EQ(form.PageControl1->currentIndex(), index);
    }
    // Leaves the parameter page for the batch page and comes back.
    void ShowAgain() {
        ClickTab(0);
        ClickTab(2);
    }
    void Click(QPushButton* button) {
        dialogs.Clear();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static QStringList Items(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i) {
            items.append(box->itemText(i));
        }
        return items;
    }
    QByteArray File(const char* name) {
        return dir.Read(QStringLiteral("config/") + QString::fromLatin1(name));
    }
    // A box as the scripted service records it: a message box or a 是/否 question.
    ScriptedDialogs::Message Box(ScriptedDialogs::Kind kind, const QString& text) {
        using Kind = ScriptedDialogs::Kind;
        const char* captions[] = {"Warning", "Information", "Error"};
        QString caption;
        if (kind == Kind::ProgramError) {
            caption = Dialogs::ApplicationTitle();
        } else if (kind == Kind::Question) {
            caption = QStringLiteral("Confirm");
        } else {
            EXPECT_LE(static_cast<int>(kind), static_cast<int>(Kind::Error));
            caption = QString::fromLatin1(captions[std::min(static_cast<int>(kind), 2)]);
        }
        return {kind, caption, text};
    }

    TestDir dir;
    ConfigDir config{dir.Base()};
    ScriptedDialogs dialogs;
    Tmform form{dialogs, config};
    TfmRecver recverPicker{dialogs, config, &form};
    Tfrpayer payerPicker{dialogs, config, &form};
    TfmBank bank{dialogs, &form};
    TAboutBox about{&form};
    ParamsPage* page = form.paramsPage;
};
