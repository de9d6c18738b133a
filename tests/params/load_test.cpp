#include "tests/params/params_fixture.h"

namespace {

using Load = ParamsFixture;

// The page's texts and lists in one line, for comparing whole pages.
QString PageState(ParamsPage* p) {
    auto items = [](const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i) {
            items.append(box->itemText(i));
        }
        return u'[' + items.join(u',') + u']';
    };
    return QStringList({p->conf_owner->text(), p->conf_payacct->currentText(),
                        items(p->conf_payacct), p->conf_owner_issuebank->text(),
                        p->conf_salary_payer->text(), p->conf_owner_acct->currentText(),
                        items(p->conf_owner_acct), p->conf_name->text(), p->conf_acct->text(),
                        p->conf_finalincome->text(), p->conf_startrow->text(),
                        items(p->conf_skmc_acct), p->conf_skmc_name->text(),
                        p->conf_skmc_acct->currentText(), p->conf_skmc_issuebank->text(),
                        p->conf_skmc_issuebankno->text()})
        .join(u'/');
}

}  // namespace

TEST_F(Load, TheFirstShowFillsThePage) {
    WriteConfig();
    Show();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
    // The last 3-field company line shows; the payer account names its own line's company;
    // every payee line with a second field gives it, a blank splitting the name.
    EXPECT_EQ(PageState(page),
              QStringLiteral("丙公司/6230004/[6230001,6230004]/中国银行/甲公司/6230001/"
                             "[6230001,6230004]/A/C/D/2/[6222001,6222002,李]////"));
    EXPECT_FALSE(page->GroupBox8->isVisibleTo(&form));
    EXPECT_TRUE(page->GroupBox7->isVisibleTo(&form));
    const char* titles[][2] = {{"GroupBox9", "企业账号维护："},
                               {"GroupBox10", "收款人名册维护："},
                               {"GroupBox7", "设置工资单导入对应关系："},
                               {"GroupBox8", "工资发放账号："}};
    for (const auto& [name, title] : titles) {
        auto* box = page->findChild<QGroupBox*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box->title(), QString::fromUtf8(title));
    }
    if (qEnvironmentVariableIsSet("CORPPAY_SCREENSHOT")) {
        form.resize(1280, 760);
        form.grab().save(qEnvironmentVariable("CORPPAY_SCREENSHOT"));
    }
}

TEST(LoadCases, WhatEachFileGives) {
    struct Case {
        const char* owner;    // nullptr: no file
        const char* map;      // nullptr: no file
        const char* recvers;  // nullptr: no file
        const char* error;    // the file named in the error box, or nullptr
        const char* state;
    } cases[] = {
        // Without a payer account the payer name is the last company's; without the mapping
        // file its defaults.
        {"甲|a1|行\r\n乙|a2|行\r\n", nullptr, "", nullptr,
         "乙/a2/[a1,a2]/行/乙//[a1,a2]////1/[]////"},
        // The account is found without regard to letter case.
        {"甲|ABC|行\r\n乙|a2|行\r\n", "[corpacct]\r\ncorpacct1=abc\r\n", "", nullptr,
         "乙/a2/[ABC,a2]/行/甲/abc/[ABC,a2]////1/[]////"},
        // An empty company file leaves the company group empty; an empty start row stays so.
        {"", "[option]\r\nstartrow=\r\n", "甲|x\r\n", nullptr, "//[]////[]/////[x]////"},
        // Quoted fields read back whole.
        {"\"甲 公司\"|a1|\"\"\r\n", "", "\"王 五\"|p1|\"\"|\"\"\r\n", nullptr,
         "甲 公司/a1/[a1]//甲 公司//[a1]////1/[p1]////"},
        // A value longer than the edit takes by typing is still shown whole.
        {"", "[excel]\r\nname=ABC\r\n[option]\r\nstartrow=12\r\n", "", nullptr,
         "//[]////[]/ABC///12/[]////"},
        // A missing company file stops the page as designed; a missing payee file leaves its
        // list empty.
        {nullptr, "[excel]\r\nname=A\r\n", "甲|x\r\n", "config\\owner.ini",
         "//[]////[]////1/[]////"},
        {"甲|a1|行\r\n", "[excel]\r\nname=A\r\n", nullptr, "config\\recvers.ini",
         "甲/a1/[a1]/行/甲//[a1]/A///1/[]////"},
    };
    for (const Case& c : cases) {
        TestDir dir;
        dir.Write(QStringLiteral("config/salary.ini"), Gb("1,姓名,name\r\n"));
        const std::pair<const char*, const char*> files[] = {{"config/owner.ini", c.owner},
                                                             {"config/salarymap.ini", c.map},
                                                             {"config/recvers.ini", c.recvers}};
        for (const auto& [name, text] : files) {
            if (text) {
                dir.Write(QString::fromLatin1(name), Gb(text));
            }
        }
        const ConfigDir config(dir.Base());
        ScriptedDialogs dialogs;
        Tmform form(dialogs, config);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        EXPECT_EQ(PageState(form.paramsPage), QString::fromUtf8(c.state)) << c.state;
        EXPECT_EQ(dialogs.Texts(),
                  c.error ? QStringList{QStringLiteral("Cannot open file ") +
                                        config.Path(QString::fromLatin1(c.error)) + u'.'}
                          : QStringList());
    }
}
