#include "tests/batch/batch_fixture.h"

namespace {
using Entry = BatchFixture;
}  // namespace

TEST_F(Entry, AddChecksInOrderAndAddsNothingOnRefusal) {
    struct Case {
        const char* account;
        const char* amount;
        const char* name;
        const char* expected;
    } cases[] = {
        {"6222 0001", "0", "王五", "转账金额不能为0！"},
        {"6222 0001", "0.01", "王五", "账号不能带空格或横杠！"},
        {"6222-0001", "5", "王五", "账号不能带空格或横杠！"},
        {"62220001", "5", "王|五", "“收款方”不能包含“|”或换行符！"},
    };
    for (const Case& c : cases) {
        dialogs.Clear();
        Fill(QString::fromUtf8(c.name), QString::fromUtf8(c.account), QString::fromUtf8(c.amount));
        Click(page->Button1);
        ASSERT_EQ(dialogs.messages.size(), 1) << c.expected;
        EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Warning);
        EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(c.expected));
        EXPECT_TRUE(form.cds1.IsEmpty());
        EXPECT_EQ(page->recver->currentText(), QString::fromUtf8(c.name)) << "the form is kept";
    }
    // An empty amount box reads 0 and is refused as well.
    dialogs.Clear();
    Fill(QStringLiteral("王五"), QStringLiteral("62220001"), QStringLiteral("1"));
    page->amt->Clear();
    Click(page->Button1);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("转账金额不能为0！")});
}

TEST_F(Entry, AddStoresTheFormResetsTheRecipientAndRemembersThePayeeOnce) {
    page->payer->setEditText(QStringLiteral("甲公司"));
    Fill(QStringLiteral("王五"), QStringLiteral("62220003"), QStringLiteral("1234.5"),
         QStringLiteral("证券交易结算资金和期货交易保证"), QStringLiteral("加急"));
    page->edremark->setText(QStringLiteral("备注一"));
    Click(page->Button1);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("增加成功！")});
    EXPECT_EQ(Rows(),
              QStringList{QStringLiteral("公司|6230001|62220003|王五||星澜聚川银行|CNY|1234.50|"
                                         "证券交易结算资金和期货交易保证|加急|备注一")});
    EXPECT_EQ(form.PanelText(1), QStringLiteral("记录笔数：1"));
    // The recipient part is reset; the payer, the purpose and the remittance mode are kept.
    EXPECT_EQ(page->recver->currentText(), QString());
    EXPECT_EQ(page->recacct->currentText(), QString());
    EXPECT_EQ(page->recobject->currentText(), QStringLiteral("公司"));
    EXPECT_EQ(page->recbank->currentText(), QStringLiteral("星澜聚川银行"));
    EXPECT_EQ(page->remittype->currentText(), QStringLiteral("加急"));
    EXPECT_EQ(page->use->currentText(), QStringLiteral("证券交易结算资金和期货交易保证"));
    EXPECT_EQ(page->amt->ShuZhi(), QStringLiteral("0"));
    EXPECT_EQ(page->edremark->text(), QString());
    EXPECT_EQ(page->payer->currentText(), QStringLiteral("甲公司"));
    EXPECT_EQ(page->payacct->currentText(), QStringLiteral("6230001"));
    const QByteArray learned = Roster();
    // The empty bank number is written in quotes, so the line reads back with four fields.
    EXPECT_TRUE(learned.endsWith(Gb("王五|62220003|星澜聚川银行|\"\"\r\n")));
    // The same account again, and an account found in any field of a roster line: no new line.
    Add(QStringLiteral("王五"), QStringLiteral("62220003"), QStringLiteral("1"));
    Add(QStringLiteral("某人"), QStringLiteral("104651000001"), QStringLiteral("1"));
    EXPECT_EQ(Roster(), learned);
    EXPECT_EQ(form.cds1.RecordCount(), 3);
    EXPECT_EQ(form.PanelText(1), QStringLiteral("记录笔数：3"));
}

TEST_F(Entry, CrossBankStoresItsFlagAndBankNumber) {
    page->cross->setChecked(true);
    EXPECT_TRUE(page->SpeedButton3->isEnabled());
    EXPECT_FALSE(page->recobject->isEnabled());
    page->recbank->setEditText(QStringLiteral("中国银行成都分行"));
    page->recbankcode->setText(QStringLiteral("104651000001"));
    Add(QStringLiteral("李四"), QStringLiteral("6222009"), QStringLiteral("10"));
    EXPECT_EQ(Field("cpflag"), QStringLiteral("跨行"));
    EXPECT_EQ(Field("recbankcode"), QStringLiteral("104651000001"));
    EXPECT_FALSE(page->cross->isChecked());
    EXPECT_FALSE(page->SpeedButton3->isEnabled());
    EXPECT_EQ(page->recbankcode->text(), QString());
}

TEST_F(Entry, FailedPostIsReportedAndTheFormKept) {
    Fill(QStringLiteral("王五"), QStringLiteral("62220003"), QStringLiteral("1"));
    page->remittype->setCurrentIndex(-1);
    Click(page->Button1);
    EXPECT_EQ(dialogs.Texts(),
              QStringList{QStringLiteral("增加记录失败：！Field '方式' must have a value")});
    EXPECT_TRUE(form.cds1.IsEmpty());
    EXPECT_EQ(form.cds1.GetState(), Dataset::State::Browse);
    EXPECT_EQ(page->recver->currentText(), QStringLiteral("王五"));
}

// A roster that cannot be written does not undo the add: the row is added once, the form is
// reset as after any add, and one warning says why the payee was not kept.
TEST_F(Entry, RosterThatCannotBeWrittenStillAddsOnce) {
    const QString roster = config.Path(QStringLiteral("config\\recvers.ini"));
    struct Case {
        bool remove;
        QString reason;
    } cases[] = {
        {true, QStringLiteral("Cannot open file ") + roster},
        {false, QStringLiteral("Cannot create file ") + roster},
    };
    for (const Case& c : cases) {
        QFile::remove(roster);
        if (!c.remove) {
            dir.Write(QStringLiteral("config/recvers.ini"), Gb("张三|6222001|星澜聚川银行|1\r\n"));
            QFile::setPermissions(roster, QFile::ReadOwner);
        }
        Reset();
        dialogs.Clear();
        Add(QStringLiteral("王五"), QStringLiteral("62220003"), QStringLiteral("1"));
        EXPECT_EQ(dialogs.Texts(),
                  QStringList(
                      {QStringLiteral("增加成功！"),
                       QStringLiteral("收款人未能保存到收款人名册：") + c.reason +
                           QStringLiteral("\n指令不受影响；请检查名册文件是否存在、能否写入。")}));
        EXPECT_EQ(dialogs.messages.last().kind, ScriptedDialogs::Kind::Warning);
        EXPECT_EQ(form.cds1.RecordCount(), 1);
        EXPECT_EQ(page->recver->currentText(), QString());
        EXPECT_EQ(page->recacct->currentText(), QString());
        // A second click has nothing to add.
        dialogs.Clear();
        Click(page->Button1);
        EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("转账金额不能为0！")});
        EXPECT_EQ(form.cds1.RecordCount(), 1);
        QFile::setPermissions(roster, QFile::ReadOwner | QFile::WriteOwner);
    }
}

TEST_F(Entry, RowLimitOfOneHundred) {
    for (int i = 0; i < 100; ++i) {
        Add(QStringLiteral("王五"), QStringLiteral("62220003"), QStringLiteral("1"));
    }
    EXPECT_EQ(form.cds1.RecordCount(), 100);
    dialogs.Clear();
    Add(QStringLiteral("王五"), QStringLiteral("62220003"), QStringLiteral("1"));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("达到批量支付指令数量上限！")});
    EXPECT_EQ(form.cds1.RecordCount(), 100);
}

TEST_F(Entry, ModifyDeleteResetAndLoadBack) {
    // Modify needs a name and an account, and passes the add button's checks but the row
    // limit: an empty amount box or an account with a blank changes nothing.
    Click(page->Button2);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    Add(QStringLiteral("王五"), QStringLiteral("62220003"), QStringLiteral("1"));
    emit page->DBGrid1->DblClick();
    page->cross->setChecked(true);
    page->recbankcode->setText(QStringLiteral("104651000001"));
    Fill(QStringLiteral("赵六"), QStringLiteral("62220004"), QStringLiteral("2"));
    page->amt->Clear();
    dialogs.Clear();
    Click(page->Button2);
    page->amt->SetShuZhi(QStringLiteral("2"));
    page->recacct->setEditText(QStringLiteral("6222 0004"));
    Click(page->Button2);
    EXPECT_EQ(dialogs.Texts(), QStringList({QStringLiteral("转账金额不能为0！"),
                                            QStringLiteral("账号不能带空格或横杠！")}));
    EXPECT_EQ(Field("recver"), QStringLiteral("王五"));
    page->recacct->setEditText(QStringLiteral("62220004"));
    dialogs.Clear();
    Click(page->Button2);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("修改成功！")});
    EXPECT_EQ(Field("recver"), QStringLiteral("赵六"));
    EXPECT_EQ(Field("amt"), QStringLiteral("2.00"));
    EXPECT_EQ(Field("cpflag"), QStringLiteral("跨行"));

    // Double-click loads the row back.
    page->cross->setChecked(false);
    Fill(QString(), QString(), QStringLiteral("9"));
    emit page->DBGrid1->DblClick();
    EXPECT_TRUE(page->cross->isChecked());
    EXPECT_EQ(page->recver->currentText(), QStringLiteral("赵六"));
    EXPECT_EQ(page->recbankcode->text(), QStringLiteral("104651000001"));
    EXPECT_EQ(page->amt->ShuZhi(), QStringLiteral("2.00"));
    EXPECT_EQ(page->remittype->currentText(), QStringLiteral("普通"));

    dialogs.Clear();
    Click(page->Button3);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("删除成功！")});
    EXPECT_TRUE(form.cds1.IsEmpty());
    dialogs.Clear();
    Click(page->Button3);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::ProgramError);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("Cannot perform this operation on an empty dataset."));
    // Double-clicking an empty grid does nothing.
    page->recver->setEditText(QStringLiteral("x"));
    emit page->DBGrid1->DblClick();
    EXPECT_EQ(page->recver->currentText(), QStringLiteral("x"));

    for (int i = 0; i < 3; ++i) {
        Add(QStringLiteral("王五"), QStringLiteral("62220003"), QStringLiteral("1"));
    }
    // Rows not yet exported: 复位 asks, naming count and total; 否 (the default) keeps them.
    const QString question = QStringLiteral(
        "表中有 3 笔指令（合计 3.00 元）尚未导出为上传文件，复位将全部删除。\n\n确定复位吗？");
    dialogs.Clear();
    Click(page->Button4);
    EXPECT_EQ(dialogs.messages,
              QList<ScriptedDialogs::Message>(
                  {{ScriptedDialogs::Kind::Question, QStringLiteral("Confirm"), question}}));
    EXPECT_EQ(form.cds1.RecordCount(), 3);
    dialogs.Clear();
    dialogs.questionAnswers = {true};
    Click(page->Button4);
    EXPECT_EQ(dialogs.Texts(), QStringList({question, QStringLiteral("复位成功！")}));
    EXPECT_TRUE(form.cds1.IsEmpty());
    EXPECT_EQ(form.PanelText(1), QStringLiteral("记录笔数：")) << "an empty table has no count";
    // Nothing left to lose: no question.
    dialogs.Clear();
    Click(page->Button4);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("复位成功！")});
}

TEST_F(Entry, LoadBackMapsTheFlags) {
    struct Case {
        const char* flag;
        const char* recobject;
        bool cross;
    } cases[] = {{"公司", "公司", false},
                 {"私人", "私人", false},
                 {"跨行", "", true},
                 {"其他", "公司", false}};
    Add(QStringLiteral("王五"), QStringLiteral("62220003"), QStringLiteral("1"));
    for (const Case& c : cases) {
        form.cds1.Edit();
        form.cds1.FieldByName(QStringLiteral("cpflag")).SetAsString(QString::fromUtf8(c.flag));
        form.cds1.Post();
        emit page->DBGrid1->DblClick();
        EXPECT_EQ(page->recobject->currentText(), QString::fromUtf8(c.recobject)) << c.flag;
        EXPECT_EQ(page->cross->isChecked(), c.cross) << c.flag;
    }
}

// Each press shows the position it asks for; at the lower limit that is -1, and the position
// stays 0, as with the system's spinner.
TEST_F(Entry, SpinnerShowsThePositionEachPressAsksFor) {
    EXPECT_EQ(page->edseq->text(), QStringLiteral("1"));
    const struct {
        QToolButton* button;
        const char* shown;
    } presses[] = {{page->UpDown1->DownButton(), "-1"},
                   {page->UpDown1->DownButton(), "-1"},
                   {page->UpDown1->UpButton(), "1"},
                   {page->UpDown1->UpButton(), "2"},
                   {page->UpDown1->DownButton(), "1"}};
    for (const auto& press : presses) {
        QTest::mouseClick(press.button, Qt::LeftButton);
        EXPECT_EQ(page->edseq->text(), QString::fromLatin1(press.shown));
    }
    // Up to the upper limit, 100, and once more.
    for (int i = 0; i < 100; ++i) {
        QTest::mouseClick(page->UpDown1->UpButton(), Qt::LeftButton);
    }
    EXPECT_EQ(page->edseq->text(), QStringLiteral("101"));
    QTest::mouseClick(page->UpDown1->DownButton(), Qt::LeftButton);
    EXPECT_EQ(page->edseq->text(), QStringLiteral("99"));
}

TEST_F(Entry, AmountTypedIntoTheBoxIsStoredInPlainForm) {
    Fill(QStringLiteral("王五"), QStringLiteral("62220003"), QStringLiteral("0"));
    page->amt->Clear();
    QApplication::setActiveWindow(&form);
    page->amt->setFocus();
    QTest::keyClicks(page->amt, QStringLiteral("12345.6"));
    EXPECT_EQ(page->amt->text(), QStringLiteral("12,345.60"));
    Click(page->Button1);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("增加成功！")});
    EXPECT_EQ(Field("amt"), QStringLiteral("12345.60"));
}

// Ctrl+Enter adds the instruction wherever the focus is on the page, the amount box included;
// Enter on a focused button presses it. With "不再提示" ticked in the box, the next add
// reports itself in the status bar instead.
TEST_F(Entry, CtrlEnterAddsAndEnterPressesAFocusedButton) {
    Fill(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    page->amt->setFocus();
    dialogs.optOutAnswers = {true};
    QTest::keyClick(page->amt, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(form.cds1.RecordCount(), 1);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("增加成功！")});
    EXPECT_TRUE(page->Button1->toolTip().contains(QStringLiteral("Ctrl+Enter")));
    dialogs.Clear();
    Fill(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("200"));
    page->Button1->setFocus();
    QTest::keyClick(page->Button1, Qt::Key_Return);
    EXPECT_EQ(form.cds1.RecordCount(), 2);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
    EXPECT_EQ(form.noticePanel->text(), QStringLiteral("增加成功！共 2 笔"));
    form.addNotice.SetQuiet(false);
}

// 修改指令 writes over the row that was loaded into the form, never the row the cursor was moved
// to afterwards to look at another payment; a loaded row that is gone is refused.
TEST_F(Entry, ModifyChangesTheLoadedRowWhereverTheCursorIs) {
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    page->cross->setChecked(true);
    page->recbankcode->setText(QStringLiteral("104651000001"));
    Fill(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("200"));
    Click(page->Button1);
    ASSERT_EQ(form.cds1.RecordCount(), 2);
    DBGrid* grid = page->DBGrid1;
    const auto cell = [&](int row) {
        return grid->visualRect(grid->model()->index(row, 3)).center();
    };
    // Load row 1, then click row 2 to look at it.
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell(0));
    ASSERT_EQ(page->recver->currentText(), QStringLiteral("张三"));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(1));
    ASSERT_EQ(form.cds1.RecNo(), 1);
    EXPECT_TRUE(grid->model()->index(0, 0).data(Qt::BackgroundRole).isValid())
        << "the loaded row is marked";
    EXPECT_FALSE(grid->model()->index(1, 0).data(Qt::BackgroundRole).isValid());
    page->amt->setFocus();
    page->amt->selectAll();
    QTest::keyClicks(page->amt, QStringLiteral("999"));
    dialogs.Clear();
    Click(page->Button2);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("修改成功！")});
    EXPECT_EQ(form.cds1.Text(0, 3), QStringLiteral("张三"));
    EXPECT_EQ(form.cds1.Text(0, 7), QStringLiteral("999.00"));
    EXPECT_EQ(form.cds1.Text(1, 3), QStringLiteral("李四")) << "the row looked at is untouched";
    EXPECT_EQ(form.cds1.Text(1, 7), QStringLiteral("200.00"));
    // The loaded row deleted: 修改 changes nothing and says why.
    form.cds1.MoveTo(0);
    dialogs.Clear();
    Click(page->Button3);
    ASSERT_EQ(form.cds1.RecordCount(), 1);
    dialogs.Clear();
    Click(page->Button2);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Warning);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("不能修改")));
    EXPECT_EQ(form.cds1.Text(0, 3), QStringLiteral("李四"));
    EXPECT_EQ(form.cds1.Text(0, 7), QStringLiteral("200.00"));
}

// A refused add leaves no half row behind, not even while its box is open; unticking 跨行 gives
// 收款对象 its choice back, so the next add is not refused for a field nobody emptied.
TEST_F(Entry, AFailedAddLeavesNoHalfRow) {
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    int rowsWhileShown = -1;
    dialogs.whileShown = [&](const ScriptedDialogs::Message&) {
        rowsWhileShown = form.cds1.RecordCount();
    };
    dialogs.Clear();
    Fill(QString(), QStringLiteral("6222002"), QStringLiteral("1"));
    Click(page->Button1);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("增加记录失败：！")));
    EXPECT_EQ(rowsWhileShown, 1) << "the half row was gone before the box opened";
    EXPECT_EQ(form.cds1.RecordCount(), 1);
    EXPECT_EQ(page->batchCount->text(), QStringLiteral("共 1 笔"));

    // 私人, 跨行 ticked and unticked: 私人 again, and the add goes through.
    dialogs.whileShown = nullptr;
    page->recobject->setCurrentIndex(page->recobject->findText(QStringLiteral("私人")));
    QTest::mouseClick(page->cross, Qt::LeftButton, {}, QPoint(5, page->cross->height() / 2));
    ASSERT_TRUE(page->cross->isChecked());
    EXPECT_EQ(page->recobject->currentText(), QString());
    QTest::mouseClick(page->cross, Qt::LeftButton, {}, QPoint(5, page->cross->height() / 2));
    ASSERT_FALSE(page->cross->isChecked());
    EXPECT_EQ(page->recobject->currentText(), QStringLiteral("私人"));
    dialogs.Clear();
    Fill(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("1"));
    Click(page->Button1);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("增加成功！")});
    EXPECT_EQ(Field("cpflag"), QStringLiteral("私人"));
}
