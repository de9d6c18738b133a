#include <QDir>
#include "store/profile.h"

#include "tests/params/params_fixture.h"

namespace {

class Mapping : public ParamsFixture {
protected:
    void SetUp() override {
        WriteConfig();
        Show();
    }
    QString Ini() { return dir.Path(QStringLiteral("config/salarymap.ini")); }
    QString Read(const char* section, const char* key) {
        return profile::ReadString(Ini(), QString::fromLatin1(section), QString::fromLatin1(key),
                                   QStringLiteral("<none>"));
    }
};

// Shows a picker through its button on the batch page and returns its rows; the picker is
// closed with the window's close command.
QStringList PickerRows(QToolButton* button, RosterPicker& picker) {
    QStringList rows;
    QTimer::singleShot(0, &picker, [&] {
        for (int i = 0; i < picker.list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = picker.list->topLevelItem(i);
            rows.append(item->text(0) + u'|' + item->text(1) + u'|' + item->text(2));
        }
        picker.close();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    return rows;
}

}  // namespace

TEST_F(Mapping, SetWritesTheFourKeysAsTypedAndTheNextStartReadsThem) {
    // Typing stops at the edits' lengths.
    Type(page->conf_name, QStringLiteral("BXY"));
    Type(page->conf_acct, QString());
    Type(page->conf_finalincome, QStringLiteral("e"));
    Type(page->conf_startrow, QString());
    EXPECT_EQ(page->conf_name->text(), QStringLiteral("BX"));
    Click(page->Button14);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(Read("excel", "name"), QStringLiteral("BX"));
    EXPECT_EQ(Read("excel", "acct"), QString());
    EXPECT_EQ(Read("excel", "finalincome"), QStringLiteral("e"));
    EXPECT_EQ(Read("option", "startrow"), QString());
    EXPECT_EQ(Read("corpacct", "corpacct1"), QStringLiteral("6230001"));

    // The salary payer account, from the group that is never shown.
    page->conf_owner_acct->setEditText(QStringLiteral("6230004"));
    page->Button15->click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(Read("corpacct", "corpacct1"), QStringLiteral("6230004"));

    ScriptedDialogs again;
    Tmform next(again, config);
    next.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&next));
    EXPECT_EQ(next.paramsPage->conf_name->text(), QStringLiteral("BX"));
    EXPECT_EQ(next.paramsPage->conf_startrow->text(), QString()) << "not the default 1";
    EXPECT_EQ(next.paramsPage->conf_salary_payer->text(), QStringLiteral("丙公司"));
}

TEST_F(Mapping, AnUnwritableMappingFileIsReported) {
    const QString unable = QStringLiteral("Unable to write to ") + Ini() + u'.';
    const QByteArray before = File("salarymap.ini");
    QFile::setPermissions(Ini(), QFile::ReadOwner | QFile::ReadUser);
    Type(page->conf_name, QStringLiteral("Z"));
    Click(page->Button14);
    EXPECT_EQ(dialogs.messages,
              QList<ScriptedDialogs::Message>({Box(ScriptedDialogs::Kind::ProgramError, unable)}));
    page->Button15->click();
    EXPECT_EQ(File("salarymap.ini"), before);
    // Without the config directory the file cannot be created.
    QDir(dir.Path(QStringLiteral("config"))).removeRecursively();
    Click(page->Button14);
    EXPECT_EQ(dialogs.Texts(), QStringList{unable});
    EXPECT_FALSE(QFile::exists(Ini()));
}

TEST_F(Mapping, ThePickersShowEachRosterChangeAtOnce) {
    BatchPage* batch = form.batchPage;
    Type(page->conf_owner, QStringLiteral("戊 公司"));
    Type(page->conf_payacct, QStringLiteral("6230009"));
    Type(page->conf_owner_issuebank, QStringLiteral("星澜聚川银行"));
    Click(page->Button13);
    form.PageControl1->setCurrentIndex(0);
    EXPECT_EQ(PickerRows(batch->SpeedButton2, payerPicker),
              QStringList({QStringLiteral("甲公司|6230001|星澜聚川银行"),
                           QStringLiteral("丙公司|6230004|中国银行"),
                           QStringLiteral("戊 公司|6230009|星澜聚川银行")}));
    form.PageControl1->setCurrentIndex(2);
    Type(page->conf_skmc_name, QStringLiteral("赵 六"));
    Type(page->conf_skmc_acct, QStringLiteral("6222009"));
    Type(page->conf_skmc_issuebank, QStringLiteral("某行"));
    Type(page->conf_skmc_issuebankno, QString());
    Click(page->Button18);
    Type(page->conf_skmc_acct, QStringLiteral("6222001"));
    dialogs.questionAnswers = {true};
    Click(page->Button17);
    form.PageControl1->setCurrentIndex(0);
    EXPECT_EQ(PickerRows(batch->SpeedButton1, recverPicker),
              QStringList({QStringLiteral("李四|6222002|中国银行成都分行"),
                           QStringLiteral("张三|李|6222"), QStringLiteral("赵 六|6222009|某行")}));
}
