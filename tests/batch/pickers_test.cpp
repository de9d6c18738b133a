#include <QInputMethodEvent>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

#include "tests/batch/batch_fixture.h"

namespace {

class Pickers : public BatchFixture {
protected:
    // Opens a picker through its button; while it is shown, act() runs, then the picker is
    // closed with the window's close command.
    void Pick(QToolButton* button, RosterPicker& picker, const std::function<void()>& act) {
        QTimer::singleShot(0, &picker, [&] {
            shownRows = picker.list->topLevelItemCount();
            act();
            picker.close();
        });
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void SelectRow(RosterPicker& picker, int row) {
        QTreeWidgetItem* item = picker.list->topLevelItem(row);
        QTest::mouseClick(picker.list->viewport(), Qt::LeftButton, {},
                          picker.list->visualItemRect(item).center());
    }
    static QStringList Items(QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i) {
            items.append(box->itemText(i));
        }
        return items;
    }
    int shownRows = -1;
};

}  // namespace

TEST_F(Pickers, PayeePickerFillsThePayeeControls) {
    dir.Write(QStringLiteral("config/recvers.ini"),
              Gb("张三|6222001|星澜聚川银行|\r\n\r\n两段|6222\r\n张三 李|6222|某银行|1234\r\n"
                 "李四|6222002|中国银行成都分行|104651000001\r\n"));
    Pick(page->SpeedButton1, recverPicker, [&] {
        SelectRow(recverPicker, 2);
        if (qEnvironmentVariableIsSet("CORPPAY_SCREENSHOT")) {
            recverPicker.grab().save(qEnvironmentVariable("CORPPAY_SCREENSHOT"));
        }
    });
    EXPECT_EQ(shownRows, 3);
    EXPECT_EQ(page->recver->currentText(), QStringLiteral("李四"));
    EXPECT_EQ(page->recacct->currentText(), QStringLiteral("6222002"));
    EXPECT_EQ(page->recbank->currentText(), QStringLiteral("中国银行成都分行"));
    // Another bank's payee is paid cross-bank, with the number the roster keeps.
    EXPECT_TRUE(page->cross->isChecked());
    EXPECT_EQ(page->recbankcode->text(), QStringLiteral("104651000001"));
    // The line with a blank in its name lists its first three fields.
    Pick(page->SpeedButton1, recverPicker, [&] {
        EXPECT_EQ(recverPicker.list->topLevelItem(1)->text(2), QStringLiteral("6222"));
        SelectRow(recverPicker, 2);
    });
    EXPECT_EQ(Items(page->recver), QStringList({QStringLiteral("李四"), QStringLiteral("李四")}));
    // A double-click on the empty area closes the dialog; the list was rebuilt, so nothing is
    // selected and nothing changes.
    page->recver->setEditText(QStringLiteral("x"));
    Pick(page->SpeedButton1, recverPicker, [&] {
        QTest::mouseDClick(recverPicker.list->viewport(), Qt::LeftButton, {},
                           QPoint(5, recverPicker.list->viewport()->height() - 5));
        EXPECT_FALSE(recverPicker.isVisible());
    });
    EXPECT_EQ(page->recver->currentText(), QStringLiteral("x"));
}

TEST_F(Pickers, PayerPickerListsOnlyThreeFieldLines) {
    Pick(page->SpeedButton2, payerPicker, [&] { SelectRow(payerPicker, 0); });
    EXPECT_EQ(shownRows, 1) << "a name with a blank makes four fields";
    EXPECT_EQ(page->payer->currentText(), QStringLiteral("甲公司"));
    EXPECT_EQ(page->payacct->currentText(), QStringLiteral("6230001"));
    EXPECT_EQ(page->paybank->currentText(), QStringLiteral("星澜聚川银行"));
    EXPECT_EQ(payerPicker.windowTitle(), QStringLiteral("名册管理"));
    EXPECT_EQ(payerPicker.list->objectName(), QStringLiteral("payerlist"));
    EXPECT_EQ(recverPicker.list->objectName(), QStringLiteral("reverlist"));
}

TEST_F(Pickers, MissingRosterShowsTheErrorAndAnEmptyList) {
    QFile::remove(dir.Path(QStringLiteral("config/owner.ini")));
    page->payer->setEditText(QStringLiteral("keep"));
    Pick(page->SpeedButton2, payerPicker, [&] {
        // The button re-reads the file: the error again, the list still empty.
        QTest::mouseClick(payerPicker.SpeedButton1, Qt::LeftButton);
    });
    EXPECT_EQ(shownRows, 0);
    const QString text = QStringLiteral("Cannot open file ") +
                         config.Path(QStringLiteral("config\\owner.ini")) + u'.';
    EXPECT_EQ(dialogs.Texts(), QStringList({text, text}));
    EXPECT_EQ(page->payer->currentText(), QStringLiteral("keep"));
}

namespace {

// A roster of mixed lines: Chinese and Latin names, an account with letters, a line with two
// fields that no picker lists.
QByteArray MixedRoster() {
    return Gb(
        "张三|6222001|星澜聚川银行|\r\n"
        "李四|6222002|中国银行成都分行|104651000001\r\n"
        "两段|6222\r\n"
        "ABC贸易公司|6230888|星澜聚川银行|\r\n"
        "长城商行|6222ABC9|中国建设银行|\r\n");
}

QStringList Listed(const RosterPicker& picker) {
    QStringList names;
    for (int i = 0; i < picker.list->topLevelItemCount(); ++i) {
        names.append(picker.list->topLevelItem(i)->text(0));
    }
    return names;
}

// Replaces the name box's text the way a user does: select all, then the keys, or Chinese text
// as an input method hands it over; then lets the program take the typing in.
void Type(QLineEdit* box, const QString& text) {
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    if (!text.isEmpty() && text.front().unicode() < 0x80) {
        QTest::keyClicks(box, text);
    } else if (!text.isEmpty()) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(box, &commit);
    }
    QCoreApplication::processEvents();
}

}  // namespace

// A row stays when the text is part of its name or account, letter case ignored, or when its
// name's pinyin initials spell the text; the bank is not searched.
TEST_F(Pickers, NameBoxFiltersTheRosterAsTheUserTypes) {
    dir.Write(QStringLiteral("config/recvers.ini"), MixedRoster());
    const QString zhang = QStringLiteral("张三"), li = QStringLiteral("李四"),
                  abc = QStringLiteral("ABC贸易公司"), changcheng = QStringLiteral("长城商行");
    const struct {
        const char* text;
        QStringList names;
    } cases[] = {
        {"张", {zhang}},
        {"zs", {zhang}},                     // 张三 by its initials
        {"ZS", {zhang}},                     // letter case ignored
        {"abc", {abc, changcheng}},          // the name, and the account 6222ABC9
        {"6222", {zhang, li, changcheng}},   // part of the account
        {"cc", {changcheng}},                // 长 reads cháng
        {"zc", {changcheng}},                // and zhǎng
        {"my", {abc}},                       // 贸易 inside the name
        {"成都", {}},                        // the bank is not searched
        {"zsl", {}},                         // 张三 and 李四 are separate rows
        {"", {zhang, li, abc, changcheng}},  // an empty box lists everything
    };
    Pick(page->SpeedButton1, recverPicker, [&] {
        EXPECT_EQ(Listed(recverPicker), cases[std::size(cases) - 1].names);
        for (const auto& c : cases) {
            Type(recverPicker.edname, QString::fromUtf8(c.text));
            EXPECT_EQ(Listed(recverPicker), c.names) << c.text;
        }
        Type(recverPicker.edname, QStringLiteral("zs"));
        if (qEnvironmentVariableIsSet("CORPPAY_SCREENSHOT")) {
            recverPicker.grab().save(qEnvironmentVariable("CORPPAY_SCREENSHOT"));
        }
    });
    EXPECT_EQ(shownRows, 4);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
}

// The chosen row stays chosen while it is listed; a row that the filter takes out of the list
// is no longer chosen, and closing the dialog then changes nothing.
TEST_F(Pickers, FilteringKeepsOnlyAListedChoice) {
    dir.Write(QStringLiteral("config/recvers.ini"), MixedRoster());
    Pick(page->SpeedButton1, recverPicker, [&] {
        SelectRow(recverPicker, 1);
        Type(recverPicker.edname, QStringLiteral("62220"));
        EXPECT_EQ(Listed(recverPicker),
                  QStringList({QStringLiteral("张三"), QStringLiteral("李四")}));
        ASSERT_TRUE(recverPicker.Selection());
        Type(recverPicker.edname, QStringLiteral("ls"));
    });
    EXPECT_EQ(page->recver->currentText(), QStringLiteral("李四"));
    EXPECT_EQ(page->recacct->currentText(), QStringLiteral("6222002"));

    page->recver->setEditText(QStringLiteral("keep"));
    Pick(page->SpeedButton1, recverPicker, [&] {
        EXPECT_EQ(Listed(recverPicker), QStringList({QStringLiteral("李四")}));
        SelectRow(recverPicker, 0);
        Type(recverPicker.edname, QStringLiteral("张"));
        EXPECT_FALSE(recverPicker.Selection());
    });
    EXPECT_EQ(page->recver->currentText(), QStringLiteral("keep"));
}

// "名册" reads the file again and lists it filtered by the box, and so does every opening, with
// the text the box kept.
TEST_F(Pickers, RosterButtonRereadsTheFileAndFilters) {
    dir.Write(QStringLiteral("config/owner.ini"), MixedRoster());
    Pick(page->SpeedButton2, payerPicker, [&] {
        Type(payerPicker.edname, QStringLiteral("张"));
        EXPECT_EQ(Listed(payerPicker), QStringList({QStringLiteral("张三")}));
        dir.Write(QStringLiteral("config/owner.ini"),
                  MixedRoster() + Gb("张飞|6230999|星澜聚川银行\r\n王五|6230777|星澜聚川银行\r\n"));
        EXPECT_EQ(Listed(payerPicker), QStringList({QStringLiteral("张三")}));
        QTest::mouseClick(payerPicker.SpeedButton1, Qt::LeftButton);
        EXPECT_EQ(Listed(payerPicker),
                  QStringList({QStringLiteral("张三"), QStringLiteral("张飞")}));
    });
    Pick(page->SpeedButton2, payerPicker, [&] {
        EXPECT_EQ(payerPicker.edname->text(), QStringLiteral("张"));
        EXPECT_EQ(Listed(payerPicker),
                  QStringList({QStringLiteral("张三"), QStringLiteral("张飞")}));
        Type(payerPicker.edname, QString());
    });
    EXPECT_EQ(shownRows, 2);
    // The payer picker still lists three-field lines only.
    EXPECT_EQ(payerPicker.list->topLevelItemCount(), 5);
}

// Escape closes a lookup without touching the form; Enter on a row chooses it.
TEST_F(Pickers, EscapeCancelsAndEnterChooses) {
    page->recver->setEditText(QStringLiteral("x"));
    QTimer::singleShot(0, &recverPicker, [&] {
        SelectRow(recverPicker, 1);
        QTest::keyClick(recverPicker.list, Qt::Key_Escape);
    });
    QTest::mouseClick(page->SpeedButton1, Qt::LeftButton);
    EXPECT_FALSE(recverPicker.isVisible());
    EXPECT_EQ(page->recver->currentText(), QStringLiteral("x"));
    QTimer::singleShot(0, &recverPicker, [&] {
        SelectRow(recverPicker, 1);
        QTest::keyClick(recverPicker.list, Qt::Key_Return);
    });
    QTest::mouseClick(page->SpeedButton1, Qt::LeftButton);
    EXPECT_FALSE(recverPicker.isVisible());
    EXPECT_EQ(page->recver->currentText(), QStringLiteral("李四"));

    // The bank search: Escape at once picks no branch.
    page->cross->setChecked(true);
    page->recbank->setEditText(QStringLiteral("某银行"));
    page->recbankcode->setText(QStringLiteral("keep"));
    QTimer::singleShot(0, &bank, [&] { QTest::keyClick(bank.DBGrid1, Qt::Key_Escape); });
    QTest::mouseClick(page->SpeedButton3, Qt::LeftButton);
    EXPECT_FALSE(bank.isVisible());
    EXPECT_EQ(page->recbank->currentText(), QStringLiteral("某银行"));
    EXPECT_EQ(page->recbankcode->text(), QStringLiteral("keep"));
    // Enter on the grid takes the current branch.
    QTimer::singleShot(0, &bank, [&] { QTest::keyClick(bank.DBGrid1, Qt::Key_Return); });
    QTest::mouseClick(page->SpeedButton3, Qt::LeftButton);
    EXPECT_FALSE(bank.isVisible());
    EXPECT_EQ(page->recbankcode->text(), bank.cds->Fields(0).AsString());
    EXPECT_FALSE(page->recbankcode->text().isEmpty());
}

namespace {

// A key as a keyboard sends it, with the text an X server puts on it.
struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    const char* text = "";
};
const Key kTab{Qt::Key_Tab, Qt::NoModifier, "\t"};
const Key kBacktab{Qt::Key_Backtab, Qt::ShiftModifier, ""};
const Key kDown{Qt::Key_Down};
const Key kReturn{Qt::Key_Return, Qt::NoModifier, "\r"};
const Key kKeypadEnter{Qt::Key_Enter, Qt::KeypadModifier, "\r"};
const Key kEscape{Qt::Key_Escape, Qt::NoModifier, "\x1b"};

// Presses and releases a key on the widget that has the keyboard focus, which must be in the
// picker.
void PressKey(const RosterPicker& picker, const Key& key) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    ASSERT_TRUE(picker.isAncestorOf(focus)) << focus->metaObject()->className();
    QTest::sendKeyEvent(QTest::Click, focus, key.key, QString::fromLatin1(key.text), key.modifiers);
}

// Types lower-case letters into whatever has the focus.
void TypeLetters(const RosterPicker& picker, const char* letters) {
    for (const char* c = letters; *c != '\0'; ++c) {
        const char text[] = {*c, '\0'};
        PressKey(picker, {Qt::Key(Qt::Key_A + (*c - 'a')), Qt::NoModifier, text});
    }
}

// Each roster holds one line whose name's initials spell "cn", among others that do not.
void WriteCnRosters(TestDir& dir) {
    dir.Write(QStringLiteral("config/recvers.ini"),
              Gb("张三|6222001|星澜聚川银行|\r\n陈宁|6222003|星澜聚川银行|\r\n"
                 "李四|6222002|中国银行成都分行|104651000001\r\n"));
    dir.Write(QStringLiteral("config/owner.ini"),
              Gb("甲公司|6230001|星澜聚川银行\r\n陈宁商贸|6230003|星澜聚川银行\r\n"
                 "丙公司|6230002|星澜聚川银行\r\n"));
}

struct EnterWalk {
    const char* name;
    bool payer;          // the payer picker, else the payee picker
    const char* filter;  // letters typed into the name box first
    std::vector<Key> keys;
    bool atOnce = false;  // all keys before the program handles any, as when typed fast
    const char* chosen;   // the name the form then shows; nullptr: the picker stays open
};

void PrintTo(const EnterWalk& w, std::ostream* os) {
    *os << w.name;
}

class PickerEnter : public Pickers, public ::testing::WithParamInterface<EnterWalk> {};

}  // namespace

// Enter takes the row the user marked, wherever the focus is in the picker, or the only row the
// filter leaves; with no row to take it beeps and keeps the picker open.
TEST_P(PickerEnter, TakesTheMarkedRowOrStaysOpen) {
    const EnterWalk& w = GetParam();
    WriteCnRosters(dir);
    RosterPicker& picker = w.payer ? static_cast<RosterPicker&>(payerPicker) : recverPicker;
    QComboBox* nameBox = w.payer ? page->payer : page->recver;
    nameBox->setEditText(QStringLiteral("keep"));
    bool open = false;
    QTimer::singleShot(0, &picker, [&] {
        QApplication::setActiveWindow(&picker);  // as the window manager does
        EXPECT_EQ(QApplication::focusWidget(), picker.edname);
        TypeLetters(picker, w.filter);
        for (const Key& key : w.keys) {
            if (!w.atOnce) {
                QCoreApplication::processEvents();
            }
            PressKey(picker, key);
        }
        open = picker.isVisible();
        if (open) {
            PressKey(picker, kEscape);
        }
        if (picker.isVisible()) {
            ADD_FAILURE() << "Escape did not close the picker";
            picker.reject();
        }
    });
    QTest::mouseClick(w.payer ? page->SpeedButton2 : page->SpeedButton1, Qt::LeftButton);
    EXPECT_FALSE(picker.isVisible());
    if (w.chosen == nullptr) {
        EXPECT_TRUE(open);
        EXPECT_EQ(dialogs.beeps, 1);
        EXPECT_EQ(nameBox->currentText(), QStringLiteral("keep"));
    } else {
        EXPECT_FALSE(open);
        EXPECT_EQ(dialogs.beeps, 0);
        EXPECT_EQ(nameBox->currentText(), QString::fromUtf8(w.chosen));
    }
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Walks, PickerEnter,
    ::testing::Values(
        EnterWalk{"OnlyRowEnterInNameBox", false, "cn", {kReturn}, false, "陈宁"},
        EnterWalk{"OnlyRowEnterTypedWithTheFilter", true, "cn", {kReturn}, true, "陈宁商贸"},
        EnterWalk{"OnlyRowTabDownEnter", false, "cn", {kTab, kDown, kReturn}, false, "陈宁"},
        EnterWalk{"OnlyRowTabDownKeypadEnter",
                  true,
                  "cn",
                  {kTab, kDown, kKeypadEnter},
                  false,
                  "陈宁商贸"},
        EnterWalk{"FocusFrameRow", false, "", {kTab, kReturn}, false, "张三"},
        EnterWalk{"DownMovesToTheNextRow", false, "", {kTab, kDown, kReturn}, false, "陈宁"},
        EnterWalk{"SelectedRowFromNameBox",
                  false,
                  "",
                  {kTab, kDown, kDown, kBacktab, kReturn},
                  false,
                  "李四"},
        EnterWalk{"SelectedRowFromRosterButton",
                  true,
                  "",
                  {kTab, kDown, kTab, kReturn},
                  false,
                  "陈宁商贸"},
        EnterWalk{"SeveralRowsNoneMarked", true, "", {kReturn}, false, nullptr},
        EnterWalk{"NoRowListed", false, "qq", {kTab, kReturn}, false, nullptr}),
    [](const ::testing::TestParamInfo<EnterWalk>& info) { return std::string(info.param.name); });

// Every opening starts in the name box with the kept filter selected, so that typing replaces
// it; the second choice of the same picker fills the form again.
TEST_F(Pickers, ReopenedPickerStartsInTheNameBoxWithTheFilterSelected) {
    WriteCnRosters(dir);
    const struct {
        QToolButton* button;
        RosterPicker& picker;
        QComboBox* nameBox;
        QComboBox* accountBox;
        const char* second;  // the letters of the second choice
        const char* secondName;
        const char* secondAccount;
    } sides[] = {
        {page->SpeedButton1, recverPicker, page->recver, page->recacct, "zs", "张三", "6222001"},
        {page->SpeedButton2, payerPicker, page->payer, page->payacct, "jgs", "甲公司", "6230001"},
    };
    for (const auto& side : sides) {
        RosterPicker& picker = side.picker;
        const auto open = [&](const std::function<void()>& act) {
            QTimer::singleShot(0, &picker, [&] {
                QApplication::setActiveWindow(&picker);
                EXPECT_EQ(QApplication::focusWidget(), picker.edname) << side.second;
                act();
                if (picker.isVisible()) {
                    ADD_FAILURE() << "still open " << side.second;
                    picker.reject();
                }
            });
            QTest::mouseClick(side.button, Qt::LeftButton);
        };
        open([&] {
            TypeLetters(picker, "cn");
            for (const Key& key : {kTab, kDown, kReturn}) {
                QCoreApplication::processEvents();
                PressKey(picker, key);
            }
        });
        EXPECT_TRUE(side.nameBox->currentText().startsWith(QStringLiteral("陈宁")));
        open([&] {
            EXPECT_EQ(picker.edname->selectedText(), QStringLiteral("cn"));
            TypeLetters(picker, side.second);
            QCoreApplication::processEvents();
            EXPECT_EQ(picker.edname->text(), QString::fromLatin1(side.second));
            PressKey(picker, kReturn);
        });
        EXPECT_EQ(side.nameBox->currentText(), QString::fromUtf8(side.secondName));
        EXPECT_EQ(side.accountBox->currentText(), QString::fromUtf8(side.secondAccount));
        open([&] {
            EXPECT_EQ(picker.edname->selectedText(), QString::fromLatin1(side.second));
            PressKey(picker, kReturn);
        });
        EXPECT_EQ(side.nameBox->currentText(), QString::fromUtf8(side.secondName));
    }
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
}
