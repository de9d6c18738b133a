#include <QAbstractItemView>

#include "params/rosterlines.h"
#include "platform/text/ansi.h"
#include "store/record.h"
#include "tests/params/params_fixture.h"

namespace {

using Kind = ScriptedDialogs::Kind;

// How the user puts an account into a box.
enum class Way { DownKey, UpKey, PopupClick, Typed };

struct Choice {
    Way way;
    const char* text;  // the account typed, or the entry clicked in the popup
    // The texts the group shows afterwards: name, account, bank (and bank number).
    const char* shown;
};

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
    // Puts an account into an editable combo box as the user does.
    void Choose(QComboBox* box, const Choice& c) {
        switch (c.way) {
            case Way::DownKey:
            case Way::UpKey:
                QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
                QTest::keyClick(box, c.way == Way::DownKey ? Qt::Key_Down : Qt::Key_Up);
                break;
            case Way::PopupClick: {
                box->showPopup();
                QAbstractItemView* view = box->view();
                ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
                // The popup takes no click in the double-click time after it opened.
                QTest::qWait(QApplication::doubleClickInterval() + 50);
                const int row = box->findText(QString::fromUtf8(c.text));
                ASSERT_GE(row, 0) << c.text;
                const QRect rect = view->visualRect(view->model()->index(row, 0));
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
                ASSERT_FALSE(view->isVisible());
                break;
            }
            case Way::Typed:
                Type(box, QString::fromUtf8(c.text));
                break;
        }
    }
};

}  // namespace

TEST_F(Rosters, AddCompanyAccount) {
    const auto refused = Box(Kind::Warning, QStringLiteral("该账号已经添加过，不能再次提交了！"));
    const auto added = Box(Kind::Information, QStringLiteral("账号添加成功！"));
    const auto empty = Box(Kind::Warning, QStringLiteral("请输入企业账号！"));
    struct Case {
        const char* name;
        const char* account;
        const char* bank;
        ScriptedDialogs::Message box;
        const char* line;  // the line appended, or nullptr
    } cases[] = {
        // Only the account field of a line counts, as it is written.
        {"乙公司", "6230001", "行", refused, nullptr},
        {"乙公司", "甲公司", "行", added, "乙公司|甲公司|行"},
        {"乙公司", "ABC", "行", added, "乙公司|ABC|行"},
        {"乙公司", "ABC", "行", refused, nullptr},
        {"乙公司", "6230002", "星澜聚川银行", added, "乙公司|6230002|星澜聚川银行"},
        // A blank or an empty field is quoted, so that the line keeps its three fields...
        {"乙 公司", "6230003", "", added, "\"乙 公司\"|6230003|\"\""},
        // ...and counts as a duplicate from then on.
        {"乙 公司", "6230003", "", refused, nullptr},
        {"a,b", "6230005", "x\"y", added, "\"a,b\"|6230005|\"x\"\"y\""},
        // No account, no line: not even one matching the empty bank of 乙 公司.
        {"乙公司", "", "", empty, nullptr},
        {"乙公司", "   ", "行", empty, nullptr},
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
    const QByteArray all =
        Gb("甲公司|6230001|星澜聚川银行\r\n丁公司|abc|某行\r\n戊公司|ABC|某行\r\n"
           "己公司|6230009|\"\"\r\n");
    dir.Write(QStringLiteral("config/owner.ini"), all);
    ShowAgain();
    const auto missing = Box(Kind::Information, QStringLiteral("该账号不存在！"));
    const auto deleted = Box(Kind::Warning, QStringLiteral("该账号删除成功！"));
    auto asked = [this](const char* line) {
        return Box(Kind::Question, QStringLiteral("确定删除企业账号“") + QString::fromUtf8(line) +
                                       QStringLiteral("”吗？"));
    };
    struct Case {
        const char* typed;
        bool yes;  // the answer to the question
        QList<ScriptedDialogs::Message> boxes;
        const char* file;
        const char* list;
    } cases[] = {
        // Typed keys are never completed to a listed account.
        {"623", true, {missing}, nullptr, "6230001,abc,ABC,6230009"},
        {"6230008", true, {missing}, nullptr, "6230001,abc,ABC,6230009"},
        // A company name or a bank is no account.
        {"甲公司", true, {missing}, nullptr, "6230001,abc,ABC,6230009"},
        {"某行", true, {missing}, nullptr, "6230001,abc,ABC,6230009"},
        // An empty box finds nothing to delete, not even the line with the empty bank.
        {"",
         true,
         {Box(Kind::Warning, QStringLiteral("请输入企业账号！"))},
         nullptr,
         "6230001,abc,ABC,6230009"},
        {" ",
         true,
         {Box(Kind::Warning, QStringLiteral("请输入企业账号！"))},
         nullptr,
         "6230001,abc,ABC,6230009"},
        // 否 keeps the line.
        {"ABC", false, {asked("戊公司 ABC 某行")}, nullptr, "6230001,abc,ABC,6230009"},
        // The account as written: ABC is not abc.
        {"ABC",
         true,
         {asked("戊公司 ABC 某行"), deleted},
         "甲公司|6230001|星澜聚川银行\r\n丁公司|abc|某行\r\n己公司|6230009|\"\"\r\n",
         "6230001,abc,6230009"},
        {"6230009",
         true,
         {asked("己公司 6230009"), deleted},
         "甲公司|6230001|星澜聚川银行\r\n丁公司|abc|某行\r\n",
         "6230001,abc"},
    };
    for (const Case& c : cases) {
        const QByteArray before = File("owner.ini");
        Type(page->conf_payacct, QString::fromUtf8(c.typed));
        dialogs.questionAnswers = {c.yes};
        Click(page->Button16);
        EXPECT_EQ(dialogs.messages, c.boxes) << c.typed;
        EXPECT_EQ(File("owner.ini"), c.file ? Gb(c.file) : before) << c.typed;
        EXPECT_EQ(Items(page->conf_payacct).join(u','), QString::fromUtf8(c.list));
        EXPECT_EQ(Items(page->conf_owner_acct).join(u','), QString::fromUtf8(c.list));
        EXPECT_EQ(page->conf_payacct->currentText(), QString::fromUtf8(c.typed));
    }
}

TEST_F(Rosters, AddPayee) {
    const auto refused =
        Box(Kind::Warning, QStringLiteral("该收款人名册已经添加过，不能再次提交了！"));
    const auto added = Box(Kind::Information, QStringLiteral("收款人名册添加成功！"));
    const auto empty = Box(Kind::Warning, QStringLiteral("请输入收款人账号！"));
    struct Case {
        const char* name;
        const char* account;
        const char* bank;
        const char* number;
        ScriptedDialogs::Message box;
        const char* line;
    } cases[] = {
        // Every line with an account field counts, the 3-field line of 6222001 too.
        {"张三", "6222001", "星澜聚川银行", "", refused, nullptr},
        // A bank number is no account.
        {"某人", "104651000001", "行", "2", added, "某人|104651000001|行|2"},
        {"某人", "104651000001", "行", "2", refused, nullptr},
        // The split makes "五" the account of the unquoted "王 五" line, not 6222003.
        {"王 五", "6222003", "某行", "1", added, "\"王 五\"|6222003|某行|1"},
        {"王 五", "6222003", "某行", "1", refused, nullptr},
        // No account, no line.
        {"某人", "", "行", "", empty, nullptr},
        {"某人", "  ", "行", "", empty, nullptr},
        {"某人", "\u3000", "行", "", empty, nullptr},
        {"某人", "6222009", "行", "2|3",
         Box(Kind::Warning, QStringLiteral("开户行编号不能包含“|”或换行符！")), nullptr},
        {"某|人", "6222009", "行", "2",
         Box(Kind::Warning, QStringLiteral("收款人户名不能包含“|”或换行符！")), nullptr},
    };
    // A new payee shows in the list at once.
    QStringList listed = {QStringLiteral("6222001"), QStringLiteral("6222002"),
                          QStringLiteral("五")};
    for (const Case& c : cases) {
        const QByteArray before = File("recvers.ini");
        AddPayee(QString::fromUtf8(c.name), QString::fromUtf8(c.account), QString::fromUtf8(c.bank),
                 QString::fromUtf8(c.number));
        EXPECT_EQ(dialogs.messages, QList<ScriptedDialogs::Message>{c.box}) << c.account;
        EXPECT_EQ(File("recvers.ini"), c.line ? before + Gb(c.line) + "\r\n" : before);
        if (c.line) {
            listed.append(QString::fromUtf8(c.account));
        }
        EXPECT_EQ(Items(page->conf_skmc_acct), listed);
    }
}

TEST_F(Rosters, DeletePayee) {
    const QByteArray all =
        Gb("张三|6222001|星澜聚川银行|\r\n李四|6222002|中国银行|104651000001\r\n王 "
           "五|6222003|某行|1\r\n"
           "赵六|6222004|星澜聚川银行|\"\"\r\n");
    dir.Write(QStringLiteral("config/recvers.ini"), all);
    ShowAgain();
    const auto missing = Box(Kind::Information, QStringLiteral("该收款人不存在！"));
    const auto empty = Box(Kind::Warning, QStringLiteral("请输入收款人账号！"));
    const auto deleted = Box(Kind::Warning, QStringLiteral("该收款人删除成功！"));
    auto asked = [this](const char* line) {
        return Box(Kind::Question, QStringLiteral("确定删除收款人“") + QString::fromUtf8(line) +
                                       QStringLiteral("”吗？"));
    };
    struct Case {
        const char* typed;
        bool yes;
        QList<ScriptedDialogs::Message> boxes;
        const char* file;  // nullptr: unchanged
        const char* list;
    } cases[] = {
        {"6222009", true, {missing}, nullptr, "6222001,6222002,五,6222004"},
        // A bank, a bank number or a name is no account.
        {"中国银行", true, {missing}, nullptr, "6222001,6222002,五,6222004"},
        {"104651000001", true, {missing}, nullptr, "6222001,6222002,五,6222004"},
        {"王", true, {missing}, nullptr, "6222001,6222002,五,6222004"},
        // An empty box deletes nothing, not even the line with the empty bank number.
        {"", true, {empty}, nullptr, "6222001,6222002,五,6222004"},
        {"   ", true, {empty}, nullptr, "6222001,6222002,五,6222004"},
        // 否 keeps the line the question names.
        {"6222001",
         false,
         {asked("张三 6222001 星澜聚川银行")},
         nullptr,
         "6222001,6222002,五,6222004"},
        // Any line with the account field, whatever its field count.
        {"6222001",
         true,
         {asked("张三 6222001 星澜聚川银行"), deleted},
         "李四|6222002|中国银行|104651000001\r\n王 五|6222003|某行|1\r\n赵六|6222004|星澜聚川银行|"
         "\"\"\r\n",
         "6222002,五,6222004"},
        {"五",
         true,
         {asked("王 五 6222003"), deleted},
         "李四|6222002|中国银行|104651000001\r\n赵六|6222004|星澜聚川银行|\"\"\r\n",
         "6222002,6222004"},
        {"6222004",
         true,
         {asked("赵六 6222004 星澜聚川银行"), deleted},
         "李四|6222002|中国银行|104651000001\r\n",
         "6222002"},
    };
    for (const Case& c : cases) {
        const QByteArray before = File("recvers.ini");
        Type(page->conf_skmc_acct, QString::fromUtf8(c.typed));
        dialogs.questionAnswers = {c.yes};
        Click(page->Button17);
        EXPECT_EQ(dialogs.messages, c.boxes) << c.typed;
        EXPECT_EQ(File("recvers.ini"), c.file ? Gb(c.file) : before) << c.typed;
        EXPECT_EQ(Items(page->conf_skmc_acct).join(u','), QString::fromUtf8(c.list)) << c.typed;
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
    dialogs.questionAnswers = {true};
    Click(page->Button16);
    EXPECT_EQ(dialogs.Texts(), QStringList({QStringLiteral("确定删除企业账号“丁公司 abc 某行”吗？"),
                                            QStringLiteral("Cannot create file ") + owner + u'.'}));
    EXPECT_EQ(Items(page->conf_owner_acct),
              QStringList({QStringLiteral("6230001"), QStringLiteral("abc")}));
    // A missing payee file.
    const QString recvers = dir.Path(QStringLiteral("config/recvers.ini"));
    QFile::remove(recvers);
    Type(page->conf_skmc_acct, QStringLiteral("6222009"));
    for (QPushButton* button : {page->Button18, page->Button17}) {
        Click(button);
        EXPECT_EQ(dialogs.Texts(),
                  QStringList{QStringLiteral("Cannot open file ") + recvers + u'.'});
        EXPECT_FALSE(QFile::exists(recvers));
    }
}

// Choosing or typing a listed account shows the line it stands for, the one 删除 then removes:
// of two lines with one account the first, and after deleting it the next.
TEST_F(Rosters, ChoosingAnAccountShowsItsLine) {
    dir.Write(QStringLiteral("config/recvers.ini"),
              Gb("张三|6222001|星澜聚川银行|\r\n李四|6222002|中国银行|104651000001\r\n"
                 "张三丰|6222001|某行|9\r\n"));
    dir.Write(QStringLiteral("config/owner.ini"),
              Gb("甲公司|6230001|星澜聚川银行\r\n丙公司|6230002|中国银行\r\n"
                 "乙公司|6230001|某行\r\n"));
    ShowAgain();
    auto payeeShown = [this] {
        return QStringList({page->conf_skmc_name->text(), page->conf_skmc_acct->currentText(),
                            page->conf_skmc_issuebank->text(), page->conf_skmc_issuebankno->text()})
            .join(u'/');
    };
    auto companyShown = [this] {
        return QStringList({page->conf_owner->text(), page->conf_payacct->currentText(),
                            page->conf_owner_issuebank->text()})
            .join(u'/');
    };
    // The payee box, from empty.
    Type(page->conf_skmc_acct, QString());
    const Choice payeeSteps[] = {
        {Way::DownKey, "", "张三/6222001/星澜聚川银行/"},
        {Way::DownKey, "", "李四/6222002/中国银行/104651000001"},
        // The second entry of 6222001 shows the first line, which 删除 would remove.
        {Way::DownKey, "", "张三/6222001/星澜聚川银行/"},
        {Way::UpKey, "", "李四/6222002/中国银行/104651000001"},
        // Typing is not disturbed before the text is a listed account...
        {Way::Typed, "622200", "李四/622200/中国银行/104651000001"},
        {Way::Typed, "6222000", "李四/6222000/中国银行/104651000001"},
        // ...and shows the line once it is.
        {Way::Typed, "6222001", "张三/6222001/星澜聚川银行/"},
        {Way::PopupClick, "6222002", "李四/6222002/中国银行/104651000001"},
        {Way::PopupClick, "6222001", "张三/6222001/星澜聚川银行/"},
    };
    for (const Choice& c : payeeSteps) {
        Choose(page->conf_skmc_acct, c);
        EXPECT_EQ(payeeShown(), QString::fromUtf8(c.shown)) << c.text;
    }
    // A name typed over the shown one does not decide what is deleted: the question names the
    // file's line, and after it the group shows the line the account now stands for.
    Type(page->conf_skmc_name, QStringLiteral("张三丰"));
    dialogs.questionAnswers = {true};
    Click(page->Button17);
    EXPECT_EQ(dialogs.Texts(),
              QStringList({QStringLiteral("确定删除收款人“张三 6222001 星澜聚川银行”吗？"),
                           QStringLiteral("该收款人删除成功！")}));
    EXPECT_EQ(File("recvers.ini"),
              Gb("李四|6222002|中国银行|104651000001\r\n张三丰|6222001|某行|9\r\n"));
    EXPECT_EQ(payeeShown(), QStringLiteral("张三丰/6222001/某行/9"));

    // The company box.
    const Choice companySteps[] = {
        {Way::Typed, "6230002", "丙公司/6230002/中国银行"},
        {Way::PopupClick, "6230001", "甲公司/6230001/星澜聚川银行"},
        {Way::DownKey, "", "丙公司/6230002/中国银行"},
        {Way::DownKey, "", "甲公司/6230001/星澜聚川银行"},
        {Way::Typed, "623000", "甲公司/623000/星澜聚川银行"},
        {Way::Typed, "6230002", "丙公司/6230002/中国银行"},
        {Way::PopupClick, "6230001", "甲公司/6230001/星澜聚川银行"},
    };
    for (const Choice& c : companySteps) {
        Choose(page->conf_payacct, c);
        EXPECT_EQ(companyShown(), QString::fromUtf8(c.shown)) << c.text;
    }
    dialogs.questionAnswers = {true};
    Click(page->Button16);
    EXPECT_EQ(dialogs.Texts(),
              QStringList({QStringLiteral("确定删除企业账号“甲公司 6230001 星澜聚川银行”吗？"),
                           QStringLiteral("该账号删除成功！")}));
    EXPECT_EQ(companyShown(), QStringLiteral("乙公司/6230001/某行"));
}

// A question names a line by its values up to 40 characters each: a whole 32-digit account, a
// huge name or bank cut short.
TEST_F(Rosters, TheQuestionCutsLongValues) {
    const QString name = QString(300, u'长');
    const QString account = QString(32, u'6');
    // A character beyond the first plane is never split.
    const QString bank = QStringLiteral("银行") + QString(37, u'x') +
                         QString::fromUcs4(U"\U00020000") + QString(5000, u'x');
    const QByteArray line =
        ansi::Encode(name + u'|' + account + u'|' + bank + QStringLiteral("|1\r\n"));
    dir.Write(QStringLiteral("config/recvers.ini"), line);
    ShowAgain();
    Type(page->conf_skmc_acct, account);
    EXPECT_EQ(page->conf_skmc_name->text(), name);
    Click(page->Button17);
    EXPECT_EQ(dialogs.Texts(),
              QStringList{QStringLiteral("确定删除收款人“") + name.left(40) + QStringLiteral("… ") +
                          account + u' ' + bank.left(39) + QStringLiteral("…”吗？")});
    EXPECT_EQ(File("recvers.ini"), line);
}

// Every list of the page follows the files: its own adds and deletes at once, the payees the
// batch page learns and any other change when the page is shown again; texts typed stay.
TEST_F(Rosters, TheListsFollowTheFiles) {
    BatchPage* batch = form.batchPage;
    AddPayee(QStringLiteral("赵六"), QStringLiteral("6222004"), QStringLiteral("某行"),
             QStringLiteral("4"));
    EXPECT_EQ(Items(page->conf_skmc_acct),
              QStringList({QStringLiteral("6222001"), QStringLiteral("6222002"),
                           QStringLiteral("五"), QStringLiteral("6222004")}));
    // A payee the batch page learns by 增加指令.
    ClickTab(0);
    batch->payacct->setEditText(QStringLiteral("6230001"));
    Type(batch->recver, QStringLiteral("孙七"));
    Type(batch->recacct, QStringLiteral("6222007"));
    batch->amt->SetShuZhi(QStringLiteral("5"));
    Type(batch->use, QStringLiteral("货款"));
    dialogs.Clear();
    QTest::mouseClick(batch->Button1, Qt::LeftButton);
    ASSERT_EQ(dialogs.Texts(), QStringList{QStringLiteral("增加成功！")});
    ASSERT_TRUE(File("recvers.ini").endsWith(Gb("孙七|6222007|星澜聚川银行|\"\"\r\n")));
    // A company line written into the file while the page was away.
    dir.Write(QStringLiteral("config/owner.ini"),
              File("owner.ini") + Gb("庚公司|6230008|某行\r\n"));
    // Texts typed before leaving are kept.
    ClickTab(2);
    Type(page->conf_skmc_name, QStringLiteral("新人"));
    Type(page->conf_skmc_acct, QStringLiteral("6222010"));
    ShowAgain();
    EXPECT_EQ(
        Items(page->conf_skmc_acct),
        QStringList({QStringLiteral("6222001"), QStringLiteral("6222002"), QStringLiteral("五"),
                     QStringLiteral("6222004"), QStringLiteral("6222007")}));
    EXPECT_EQ(page->conf_skmc_name->text(), QStringLiteral("新人"));
    EXPECT_EQ(page->conf_skmc_acct->currentText(), QStringLiteral("6222010"));
    const QStringList companies = {QStringLiteral("6230001"), QStringLiteral("abc"),
                                   QStringLiteral("6230008")};
    EXPECT_EQ(Items(page->conf_payacct), companies);
    EXPECT_EQ(Items(page->conf_owner_acct), companies);
    // The learned payee is chosen and deleted like any other.
    Choose(page->conf_skmc_acct, {Way::PopupClick, "6222007", ""});
    EXPECT_EQ(page->conf_skmc_name->text(), QStringLiteral("孙七"));
    dialogs.questionAnswers = {true};
    Click(page->Button17);
    EXPECT_EQ(dialogs.Texts(),
              QStringList({QStringLiteral("确定删除收款人“孙七 6222007 星澜聚川银行”吗？"),
                           QStringLiteral("该收款人删除成功！")}));
    EXPECT_EQ(Items(page->conf_skmc_acct),
              QStringList({QStringLiteral("6222001"), QStringLiteral("6222002"),
                           QStringLiteral("五"), QStringLiteral("6222004")}));
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
