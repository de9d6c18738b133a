#include "app/mainwindow.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDate>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include "app/aboutbox.h"
#include "batch/batchpage.h"
#include "controls/numeditnew.h"
#include "lookup/banksearch.h"
#include "lookup/rosterpicker.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dialogs/scripteddialogs.h"
#include "salary/salarypage.h"
#include "tests/common/testdir.h"

namespace {

// The main window over a configuration directory of the test's own.
class MainWindow : public ::testing::Test {
protected:
    void WriteSampleConfig() {
        dir.Write(QStringLiteral("config/salary.ini"),
                  Gb("1,姓名,name\r\n2,部门名称,deptname\r\n3,员工账号,acct\r\n"));
        dir.Write(QStringLiteral("config/owner.ini"), Gb("公司|6230|星澜聚川银行\r\n"));
        dir.Write(QStringLiteral("config/recvers.ini"), QByteArray());
    }
    void Show() {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    TestDir dir;
    ConfigDir config{dir.Base()};
    ScriptedDialogs dialogs;
    Tmform form{dialogs, config};
};

}  // namespace

TEST_F(MainWindow, FrameMenuAndStatusBar) {
    WriteSampleConfig();
    Show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("星澜聚川银行企业网银批量支付工具【2014版】 "));
    QTabWidget* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->count(), 3);
    const char* names[] = {"tabBatch", "tabSalary", "TabSheet1"};
    const char* captions[] = {"批量支付", "工资代发", "参数管理"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), QString::fromUtf8(names[i]));
        EXPECT_EQ(pages->tabText(i), QString::fromUtf8(captions[i]));
    }
    QStringList items;
    for (QAction* menu : form.menuBar()->actions()) {
        items.append(menu->objectName().isEmpty() ? menu->menu()->objectName()
                                                  : menu->objectName());
        items.append(menu->text());
        for (QAction* a : menu->menu()->actions()) {
            items.append(a->objectName() + u'=' +
                         (a->isSeparator() ? QStringLiteral("-") : a->text()));
        }
    }
    EXPECT_EQ(form.menuBar()->objectName(), QStringLiteral("MainMenu1"));
    EXPECT_EQ(
        items,
        QStringList({QStringLiteral("N1"), QStringLiteral("文件(&F) "),
                     QStringLiteral("N4=批量支付(&B)"), QStringLiteral("N5=工资代发(&S)"),
                     QStringLiteral("N6=参数管理(&P)"), QStringLiteral("NExports=导出记录(&E)"),
                     QStringLiteral("NShowAddNotice=增加成功后弹出提示框(&N)"),
                     QStringLiteral("N7=-"), QStringLiteral("N8=退出(&X)"), QStringLiteral("N2"),
                     QStringLiteral("帮助(&H)"), QStringLiteral("N3=关于(&A)"),
                     QStringLiteral("N9=注册(&R)")}));
    EXPECT_EQ(form.PanelText(0), QStringLiteral("星澜聚川银行"));
    EXPECT_EQ(form.PanelText(1), QStringLiteral("记录笔数："));
    EXPECT_EQ(form.PanelText(2), QStringLiteral("系统日期：") +
                                     QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd ")));
    form.N6->trigger();
    EXPECT_EQ(pages->currentIndex(), 2);
    form.N5->trigger();
    EXPECT_EQ(pages->currentIndex(), 1);
    form.N4->trigger();
    EXPECT_EQ(pages->currentIndex(), 0);
    // The table engine is built in: "注册" has nothing to do and shows nothing.
    form.N9->trigger();
    form.N9->trigger();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(pages->currentIndex(), 0);
}

TEST_F(MainWindow, FirstShowBuildsTablesAndGridTitles) {
    WriteSampleConfig();
    Show();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
    DBGrid* grid = form.batchPage->DBGrid1;
    QStringList titles;
    for (int i = 0; i < grid->ColumnCount(); ++i) {
        titles.append(grid->model()->headerData(i, Qt::Horizontal).toString());
    }
    EXPECT_EQ(titles.join(u','),
              QStringLiteral("公私标志,付款账号,收款账号,收款方,收款方开户行编号,收款方开户行名称,"
                             "币种,金额,用途,方式,备注"));
    EXPECT_EQ(form.cds1.FieldByName(QStringLiteral("remittype")).DisplayLabel(),
              QStringLiteral("方式"));
    EXPECT_EQ(form.cds1.FieldCount(), 11);
    EXPECT_EQ(form.batchPage->remittype->currentText(), QStringLiteral("普通"));
    EXPECT_EQ(form.batchPage->recbank->currentText(), QStringLiteral("星澜聚川银行"));
    EXPECT_EQ(form.batchPage->paybank->currentText(), QStringLiteral("星澜聚川银行"));
    EXPECT_EQ(form.cds3.RecordCount(), 3);
    EXPECT_EQ(form.cds3.RecNo(), 0);
    EXPECT_EQ(*form.ItemFieldNames, QStringList({QStringLiteral("name"), QStringLiteral("deptname"),
                                                 QStringLiteral("acct")}));
    EXPECT_EQ(form.salaryPage->DBGrid2->ColumnTitle(1), QStringLiteral("部门名称"));
    EXPECT_EQ(form.salaryPage->DBGrid3->ColumnTitle(2), QStringLiteral("项目数据"));
    EXPECT_TRUE(form.cds3.Fields(1).ReadOnly());
    EXPECT_FALSE(form.cds3.Fields(2).ReadOnly());
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
    if (qEnvironmentVariableIsSet("CORPPAY_SCREENSHOT")) {
        form.resize(1280, 760);
        form.grab().save(qEnvironmentVariable("CORPPAY_SCREENSHOT"));
    }
}

TEST_F(MainWindow, EmptyConfigReportsEachUnreadableFileAndStillPreparesThePages) {
    Show();
    auto error = [&](const char16_t* file) {
        return ScriptedDialogs::Message{
            ScriptedDialogs::Kind::ProgramError, Dialogs::ApplicationTitle(),
            QStringLiteral("Cannot open file ") + config.Path(QString::fromUtf16(file)) + u'.'};
    };
    // The item file first, then the company accounts the parameter page starts with.
    EXPECT_EQ(dialogs.messages, QList<ScriptedDialogs::Message>(
                                    {error(u"config\\salary.ini"), error(u"config\\owner.ini")}));
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
    EXPECT_EQ(form.cds1.FieldCount(), 11);
    // The steps after the failing ones ran.
    EXPECT_EQ(form.batchPage->paybank->currentText(), QStringLiteral("星澜聚川银行"));
    EXPECT_EQ(form.batchPage->recbank->currentText(), QStringLiteral("星澜聚川银行"));
    EXPECT_EQ(form.batchPage->amt->text(), QString());
    EXPECT_EQ(form.cds3.RecordCount(), 0);
    EXPECT_EQ(form.cds2.FieldCount(), 0);
    EXPECT_TRUE(form.cds3.Fields(1).ReadOnly());
    // A same-bank instruction is added with its bank (the missing payee roster is the batch
    // page's own report).
    BatchPage* batch = form.batchPage;
    dialogs.Clear();
    batch->payacct->setEditText(QStringLiteral("6230001"));
    batch->recver->setEditText(QStringLiteral("王五"));
    batch->recacct->setEditText(QStringLiteral("62220003"));
    batch->amt->SetShuZhi(QStringLiteral("10"));
    batch->use->setEditText(QStringLiteral("工资"));
    batch->remittype->setCurrentIndex(0);
    QTest::mouseClick(batch->Button1, Qt::LeftButton);
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("增加成功！"));
    ASSERT_EQ(form.cds1.RecordCount(), 1);
    EXPECT_EQ(form.cds1.FieldByName(QStringLiteral("recbank")).AsString(),
              QStringLiteral("星澜聚川银行"));
}

TEST(SampleConfig, StartsWithoutAnErrorBox) {
    // The configuration shipped beside the executable.
    const ConfigDir config(QStringLiteral(CORPPAY_SOURCE_DIR));
    ScriptedDialogs dialogs;
    Tmform form(dialogs, config);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
    EXPECT_EQ(form.ItemFieldNames->size(), 6);
    EXPECT_EQ(form.cds2.FieldCount(), 6);
}
