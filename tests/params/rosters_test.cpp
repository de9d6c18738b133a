#include "params/rosterlines.h"
#include "store/record.h"
#include "tests/params/params_fixture.h"

namespace {

using Kind = ScriptedDialogs::Kind;

class Rosters : public ParamsFixture {
protected:
    void SetUp() override {
        WriteConfig();
        dir.Write(QStringLiteral("config/owner.ini"),
                  Gb("甲公司|6230001|星澜聚川银行\r\n丁公司|abc|某行\r\n"));
        dir.Write(QStringLiteral("config/recvers.ini"),
                  Gb("张三|6222001|星澜聚川银行|\r\n李四|6222002|中国银行|104651000001\r\n"
                     "王 五|6222003|某行|1\r\n"));
        Show();
        ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
    }
    void AddAccount(const QString& name, const QString& account, const QString& bank) {
        Type(page->conf_owner, name);
        Type(page->conf_payacct, account);
        Type(page->conf_owner_issuebank, bank);
        Click(page->Button13);
    }
    void AddPayee(const QString& name, const QString& account, const QString& bank,
                  const QString& number) {
        Type(page->conf_skmc_name, name);
        Type(page->conf_skmc_acct, account);
        Type(page->conf_skmc_issuebank, bank);
        Type(page->conf_skmc_issuebankno, number);
        Click(page->Button18);
    }
};

}  // namespace

TEST_F(Rosters, AddCompanyAccount) {
    const auto refused = Box(Kind::Warning, QStringLiteral("该账号已经添加过，不能再次提交了！"));
    const auto added = Box(Kind::Information, QStringLiteral("账号添加成功！"));
    struct Case {
        const char* name;
        const char* account;
        const char* bank;
        ScriptedDialogs::Message box;
        const char* line;  // the line appended, or nullptr
    } cases[] = {
        // Any field of a 3-field line counts, letter case ignored.
        {"乙公司", "6230001", "行", refused, nullptr},
        {"乙公司", "甲公司", "行", refused, nullptr},
        {"乙公司", "星澜聚川银行", "行", refused, nullptr},
        {"乙公司", "ABC", "行", refused, nullptr},
        {"乙公司", "6230002", "星澜聚川银行", added, "乙公司|6230002|星澜聚川银行"},
        // A blank or an empty field is quoted, so that the line keeps its three fields...
        {"乙 公司", "6230003", "", added, "\"乙 公司\"|6230003|\"\""},
        // ...and counts as a duplicate from then on.
        {"乙 公司", "6230003", "", refused, nullptr},
        {"a,b", "6230005", "x\"y", added, "\"a,b\"|6230005|\"x\"\"y\""},
        // "|" cannot be carried by a roster line.
        {"甲|乙", "6230006", "行", Box(Kind::Warning, QStringLiteral("户名不能包含“|”或换行符！")),
         nullptr},
        {"甲", "62|30006", "行",
         Box(Kind::Warning, QStringLiteral("企业账号不能包含“|”或换行符！")), nullptr},
        {"甲", "6230006", "|", Box(Kind::Warning, QStringLiteral("开户银行不能包含“|”或换行符！")),
         nullptr},
    };
    QStringList accounts = {QStringLiteral("6230001"), QStringLiteral("abc")};
    page->conf_owner_acct->setEditText(QStringLiteral("kept"));
    for (const Case& c : cases) {
        const QByteArray before = File("owner.ini");
        AddAccount(QString::fromUtf8(c.name), QString::fromUtf8(c.account),
                   QString::fromUtf8(c.bank));
        EXPECT_EQ(dialogs.messages, QList<ScriptedDialogs::Message>{c.box}) << c.account;
        if (c.line) {
            EXPECT_EQ(File("owner.ini"), before + Gb(c.line) + "\r\n");
            accounts.append(QString::fromUtf8(c.account));
            // The line reads back as the three typed texts.
            EXPECT_EQ(record::Split(QString::fromUtf8(c.line), record::Pipes::Replace),
                      QStringList({QString::fromUtf8(c.name), QString::fromUtf8(c.account),
                                   QString::fromUtf8(c.bank)}));
        } else {
            EXPECT_EQ(File("owner.ini"), before);
        }
        EXPECT_EQ(Items(page->conf_payacct), accounts);
        EXPECT_EQ(Items(page->conf_owner_acct), accounts);
        EXPECT_EQ(page->conf_payacct->currentText(), QString::fromUtf8(c.account));
        EXPECT_EQ(page->conf_owner_acct->currentText(), QStringLiteral("kept"));
    }
}

TEST_F(Rosters, DeleteCompanyAccount) {
    dir.Write(QStringLiteral("config/owner.ini"),
              Gb("甲公司|6230001|星澜聚川银行\r\n丁公司|abc|某行\r\n戊公司|ABC|某行\r\n"));
    struct Case {
        const char* typed;
        ScriptedDialogs::Message box;
        const char* file;
        const char* list;
    } cases[] = {
        // Typed keys are never completed to a listed account.
        {"623", Box(Kind::Information, QStringLiteral("该账号不存在！")),
         "甲公司|6230001|星澜聚川银行\r\n丁公司|abc|某行\r\n戊公司|ABC|某行\r\n", "6230001,abc"},
        {"6230009", Box(Kind::Information, QStringLiteral("该账号不存在！")),
         "甲公司|6230001|星澜聚川银行\r\n丁公司|abc|某行\r\n戊公司|ABC|某行\r\n", "6230001,abc"},
        // Of two lines with the same account only the first goes.
        {"ABC", Box(Kind::Warning, QStringLiteral("该账号删除成功！")),
         "甲公司|6230001|星澜聚川银行\r\n戊公司|ABC|某行\r\n", "6230001"},
        // A company name removes its line and leaves the lists.
        {"甲公司", Box(Kind::Warning, QStringLiteral("该账号删除成功！")), "戊公司|ABC|某行\r\n",
         "6230001"},
    };
    for (const Case& c : cases) {
        Type(page->conf_payacct, QString::fromUtf8(c.typed));
        Click(page->Button16);
        EXPECT_EQ(dialogs.messages, QList<ScriptedDialogs::Message>{c.box}) << c.typed;
        EXPECT_EQ(File("owner.ini"), Gb(c.file));
        EXPECT_EQ(Items(page->conf_payacct).join(u','), QString::fromUtf8(c.list));
        EXPECT_EQ(Items(page->conf_owner_acct).join(u','), QString::fromUtf8(c.list));
        EXPECT_EQ(page->conf_payacct->currentText(), QString::fromUtf8(c.typed));
    }
}

TEST_F(Rosters, AddPayee) {
    const auto refused =
        Box(Kind::Warning, QStringLiteral("该收款人名册已经添加过，不能再次提交了！"));
    const auto added = Box(Kind::Information, QStringLiteral("收款人名册添加成功！"));
    struct Case {
        const char* name;
        const char* account;
        const char* bank;
        const char* number;
        ScriptedDialogs::Message box;
        const char* line;
    } cases[] = {
        // Only 4-field lines are duplicates: not the 3-field line of 6222001, not the 5-field
        // line of 6222003.
        {"张三", "6222001", "星澜聚川银行", "", added, "张三|6222001|星澜聚川银行|\"\""},
        {"张三", "6222001", "星澜聚川银行", "", refused, nullptr},
        {"王 五", "6222003", "某行", "1", added, "\"王 五\"|6222003|某行|1"},
        {"某人", "104651000001", "行", "2", refused, nullptr},
        {"某人", "6222009", "行", "2|3",
         Box(Kind::Warning, QStringLiteral("开户行编号不能包含“|”或换行符！")), nullptr},
        {"某|人", "6222009", "行", "2",
         Box(Kind::Warning, QStringLiteral("收款人户名不能包含“|”或换行符！")), nullptr},
    };
    const QStringList listed = Items(page->conf_skmc_acct);
    for (const Case& c : cases) {
        const QByteArray before = File("recvers.ini");
        AddPayee(QString::fromUtf8(c.name), QString::fromUtf8(c.account), QString::fromUtf8(c.bank),
                 QString::fromUtf8(c.number));
        EXPECT_EQ(dialogs.messages, QList<ScriptedDialogs::Message>{c.box}) << c.account;
        EXPECT_EQ(File("recvers.ini"), c.line ? before + Gb(c.line) + "\r\n" : before);
        EXPECT_EQ(Items(page->conf_skmc_acct), listed);
    }
}

TEST_F(Rosters, DeletePayee) {
    struct Case {
        const char* typed;
        ScriptedDialogs::Message box;
        const char* file;
    } cases[] = {
        {"6222009", Box(Kind::Information, QStringLiteral("该收款人不存在！")),
         "张三|6222001|星澜聚川银行|\r\n李四|6222002|中国银行|104651000001\r\n王 "
         "五|6222003|某行|1\r\n"},
        // Any line, whatever its field count, and any of its fields.
        {"6222001", Box(Kind::Warning, QStringLiteral("该收款人删除成功！")),
         "李四|6222002|中国银行|104651000001\r\n王 五|6222003|某行|1\r\n"},
        {"五", Box(Kind::Warning, QStringLiteral("该收款人删除成功！")),
         "李四|6222002|中国银行|104651000001\r\n"},
        {"中国银行", Box(Kind::Warning, QStringLiteral("该收款人删除成功！")), ""},
    };
    const QStringList listed = Items(page->conf_skmc_acct);
    for (const Case& c : cases) {
        Type(page->conf_skmc_acct, QString::fromUtf8(c.typed));
        Click(page->Button17);
        EXPECT_EQ(dialogs.messages, QList<ScriptedDialogs::Message>{c.box}) << c.typed;
        EXPECT_EQ(File("recvers.ini"), Gb(c.file));
        EXPECT_EQ(Items(page->conf_skmc_acct), listed);
    }
}

TEST_F(Rosters, AFileThatCannotBeReadOrWrittenChangesNothing) {
    // A read-only company file: the save fails, no list changes, no success.
    const QString owner = dir.Path(QStringLiteral("config/owner.ini"));
    const QByteArray before = File("owner.ini");
    QFile::setPermissions(owner, QFile::ReadOwner | QFile::ReadUser);
    AddAccount(QStringLiteral("乙公司"), QStringLiteral("6230002"), QStringLiteral("行"));
    EXPECT_EQ(dialogs.messages,
              QList<ScriptedDialogs::Message>(
                  {Box(Kind::ProgramError, QStringLiteral("Cannot create file ") + owner + u'.')}));
    EXPECT_EQ(File("owner.ini"), before);
    EXPECT_EQ(Items(page->conf_payacct),
              QStringList({QStringLiteral("6230001"), QStringLiteral("abc")}));
    Type(page->conf_payacct, QStringLiteral("abc"));
    Click(page->Button16);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Cannot create file ") + owner + u'.'});
    EXPECT_EQ(Items(page->conf_owner_acct),
              QStringList({QStringLiteral("6230001"), QStringLiteral("abc")}));
    // A missing payee file.
    const QString recvers = dir.Path(QStringLiteral("config/recvers.ini"));
    QFile::remove(recvers);
    for (QPushButton* button : {page->Button18, page->Button17}) {
        Click(button);
        EXPECT_EQ(dialogs.Texts(),
                  QStringList{QStringLiteral("Cannot open file ") + recvers + u'.'});
        EXPECT_FALSE(QFile::exists(recvers));
    }
}

TEST(RosterLines, WhatALineCannotCarry) {
    const std::pair<QStringList, std::optional<qsizetype>> cases[] = {
        {{QStringLiteral("a b"), QStringLiteral("\"x,\""), QString()}, std::nullopt},
        {{QStringLiteral("a"), QStringLiteral("b\r")}, 1},
        {{QStringLiteral("a\nb"), QStringLiteral("|")}, 0},
        {{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c|")}, 2},
    };
    for (const auto& [values, position] : cases) {
        EXPECT_EQ(params::FirstUnwritable(values), position) << values.join(u'/').toStdString();
    }
}
