#include "lookup/banksearch.h"

#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "lookup/formparts.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dataset/packet.h"
#include "platform/text/initials.h"
#include "tests/batch/batch_fixture.h"

namespace {

constexpr int kDirectoryRows = 131021;

class BankSearch : public BatchFixture {
protected:
    // Opens the bank search through the entry form's button; act() runs while it is shown,
    // then the dialog is closed with the window's close command unless act() closed it.
    void Open(const std::function<void()>& act = [] {}) {
        page->cross->setChecked(true);
        QTimer::singleShot(0, &bank, [&] {
            act();
            bank.close();
        });
        QTest::mouseClick(page->SpeedButton3, Qt::LeftButton);
    }
    void Search(const QString& code, const QString& name) {
        bank.edBankcode->setText(code);
        bank.edlname->setText(name);
        QTest::mouseClick(bank.SpeedButton1, Qt::LeftButton);
    }
    // Opens it the same way and runs act() with the dialog the active window, so that keys go
    // where its focus is; closes it afterwards unless act() did.
    void Walk(const std::function<void()>& act) {
        page->cross->setChecked(true);
        QTimer::singleShot(0, &bank, [&] {
            QApplication::setActiveWindow(&bank);
            act();
            if (bank.isVisible()) {
                bank.close();
            }
        });
        QTest::mouseClick(page->SpeedButton3, Qt::LeftButton);
    }
    QString Heading(int column) { return bank.DBGrid1->ColumnTitle(column); }
    QString Count() { return bank.PanelText(1); }
    Dataset& cds() { return *bank.cds; }
};

}  // namespace

TEST_F(BankSearch, FirstShowingListsTheWholeDirectory) {
    EXPECT_FALSE(cds().Active()) << "nothing is parsed before the first showing";
    Open([&] {
        EXPECT_EQ(cds().RecordCount(), kDirectoryRows);
        EXPECT_EQ(cds().RecNo(), 0);
        // Chinese headings from the first showing, not the field names.
        EXPECT_EQ(Heading(0), QStringLiteral("银行机构号"));
        EXPECT_EQ(Heading(1), QStringLiteral("银行名称"));
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：131021"));
        EXPECT_EQ(cds().Def(0).size, 20);
        EXPECT_TRUE(cds().Def(0).required);
        EXPECT_EQ(cds().Def(1).size, 255);
    });
    // Closed without a search: the first row of the directory is taken.
    EXPECT_EQ(page->recbankcode->text(), QStringLiteral("105851002223"));
    EXPECT_EQ(page->recbank->currentText(), cds().Text(0, 1));
    EXPECT_EQ(bank.windowTitle(), QStringLiteral("银行检索"));
}

TEST_F(BankSearch, SearchByNameOrNumber) {
    Open([&] {
        Search(QString(), QStringLiteral("支行"));
        EXPECT_EQ(cds().FilterText(), QStringLiteral("LNAME LIKE '%支行%'"));
        EXPECT_EQ(Heading(0), QStringLiteral("银行机构号"));
        EXPECT_EQ(Heading(1), QStringLiteral("银行名称"));
        const int found = cds().RecordCount();
        EXPECT_GT(found, 0);
        EXPECT_LT(found, kDirectoryRows);
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：%1").arg(found));
        if (qEnvironmentVariableIsSet("CORPPAY_SCREENSHOT")) {
            bank.grab().save(qEnvironmentVariable("CORPPAY_SCREENSHOT"));
        }
        for (int r = 0; r < found; r += 97) {
            EXPECT_TRUE(cds().Text(r, 1).contains(QStringLiteral("支行")));
        }
        // The name box decides when both hold text.
        Search(QStringLiteral("105851002223"), QStringLiteral("支行"));
        EXPECT_EQ(cds().RecordCount(), found);
        Search(QStringLiteral("105851002223"), QString());
        EXPECT_EQ(cds().FilterText(), QStringLiteral("BANKCODE = '105851002223'"));
        EXPECT_EQ(cds().RecordCount(), 1);
        Search(QStringLiteral("105851"), QString());
        EXPECT_EQ(cds().RecordCount(), 0);
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：0"));
        // Both boxes empty: the whole directory, never the rows of a text no longer there.
        Search(QStringLiteral("105851002223"), QString());
        ASSERT_EQ(cds().RecordCount(), 1);
        Search(QString(), QString());
        EXPECT_EQ(cds().RecordCount(), kDirectoryRows);
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：131021"));
        // A quote is doubled, a blank finds nothing, and neither is an error.
        Search(QString(), QStringLiteral("A'B"));
        EXPECT_EQ(cds().FilterText(), QStringLiteral("LNAME LIKE '%A''B%'"));
        Search(QString(), QStringLiteral(" "));
        EXPECT_EQ(cds().RecordCount(), 0);
    });
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
}

TEST_F(BankSearch, ChosenRowFillsTheCrossBankBank) {
    QString code, name;
    Open([&] {
        Search(QString(), QStringLiteral("星澜聚川银行"));
        ASSERT_GT(cds().RecordCount(), 2);
        const QRect cell = bank.DBGrid1->visualRect(bank.DBGrid1->model()->index(2, 0));
        QTest::mouseClick(bank.DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        code = cds().Text(2, 0);
        name = cds().Text(2, 1);
        QTest::mouseDClick(bank.DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        EXPECT_FALSE(bank.isVisible());
    });
    EXPECT_EQ(page->recbankcode->text(), code);
    EXPECT_EQ(page->recbank->currentText(), name);
    EXPECT_EQ(page->recbank->findText(name), -1) << "the name is not added to the list";
    Add(QStringLiteral("某公司"), QStringLiteral("6222777"), QStringLiteral("3"));
    EXPECT_EQ(Field("cpflag"), QStringLiteral("跨行"));
    EXPECT_EQ(Field("recbankcode"), code);
}

TEST_F(BankSearch, ReopeningAfterSearches) {
    page->recbank->setEditText(QStringLiteral("keep"));
    page->recbankcode->setText(QStringLiteral("keep"));
    page->cross->setChecked(true);
    page->recbank->setEditText(QStringLiteral("keep"));
    page->recbankcode->setText(QStringLiteral("keep"));
    Open([&] {
        Search(QString(), QStringLiteral("没有这样的银行"));
        // A double-click on an empty grid does nothing.
        QTest::mouseDClick(bank.DBGrid1->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_TRUE(bank.isVisible());
    });
    EXPECT_EQ(page->recbankcode->text(), QStringLiteral("keep"));
    // The text is kept and searched again: still nothing, the headings Chinese.
    int found = 0;
    Open([&] {
        EXPECT_EQ(bank.edlname->text(), QStringLiteral("没有这样的银行"));
        EXPECT_TRUE(cds().Active());
        EXPECT_EQ(cds().RecordCount(), 0);
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：0"));
        EXPECT_EQ(Heading(0), QStringLiteral("银行机构号"));
        Search(QString(), QStringLiteral("支行"));
        found = cds().RecordCount();
        cds().Next();
    });
    // After a search with matches: the same rows again, from the first, Chinese headings.
    Open([&] {
        EXPECT_EQ(bank.edlname->text(), QStringLiteral("支行"));
        EXPECT_EQ(cds().RecordCount(), found);
        EXPECT_EQ(cds().RecNo(), 0);
        EXPECT_TRUE(cds().Filtered());
        EXPECT_EQ(Heading(0), QStringLiteral("银行机构号"));
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：%1").arg(found));
    });
}

// Every change of the name box runs the name search once the keys typed so far are taken in:
// a burst of keys makes one search, for the text as it stands.
TEST_F(BankSearch, TypingSearchesTheName) {
    Open([&] {
        int resets = 0;
        QObject::connect(bank.cds, &Dataset::Reset, &bank, [&] { ++resets; });
        // Letters as keys, Chinese text as an input method hands it over.
        const auto typed = [&](const char* text) {
            resets = 0;
            const QString s = QString::fromUtf8(text);
            if (s.front().unicode() < 0x80) {
                QTest::keyClicks(bank.edlname, s);
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(s);
                QCoreApplication::sendEvent(bank.edlname, &commit);
            }
            QCoreApplication::processEvents();
        };
        typed("支");
        EXPECT_EQ(cds().FilterText(), QStringLiteral("LNAME LIKE '%支%'"));
        EXPECT_EQ(Heading(0), QStringLiteral("银行机构号"));
        EXPECT_EQ(Heading(1), QStringLiteral("银行名称"));
        const int single = cds().RecordCount();
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：%1").arg(single));
        typed("行");
        EXPECT_EQ(cds().FilterText(), QStringLiteral("LNAME LIKE '%支行%'"));
        EXPECT_LE(cds().RecordCount(), single);
        EXPECT_GT(cds().RecordCount(), 0);
        EXPECT_EQ(cds().RecNo(), 0);
        EXPECT_EQ(resets, 1);

        // Emptied, the box lists the whole directory again.
        QTest::keyClick(bank.edlname, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(bank.edlname, Qt::Key_Backspace);
        QCoreApplication::processEvents();
        EXPECT_EQ(bank.edlname->text(), QString());
        EXPECT_EQ(cds().RecordCount(), kDirectoryRows);
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：131021"));

        // Four keys, one search, by the pinyin initials of the names too.
        typed("jsyh");
        EXPECT_EQ(resets, 1);
        EXPECT_EQ(cds().FilterText(), QStringLiteral("LNAME LIKE '%jsyh%'"));
        const int found = cds().RecordCount();
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：%1").arg(found));
        int construction = 0;
        for (int r = 0; r < found; ++r) {
            const QString name = cds().Text(r, 1);
            construction += name.contains(QStringLiteral("建设银行"));
            ASSERT_TRUE(name.contains(QStringLiteral("jsyh"), Qt::CaseInsensitive) ||
                        ContainsInitials(formparts::EmbeddedInitials().OfText(name),
                                         QStringLiteral("jsyh")))
                << name.toStdString();
        }
        EXPECT_GT(construction, 100);
        if (qEnvironmentVariableIsSet("CORPPAY_SCREENSHOT")) {
            bank.grab().save(qEnvironmentVariable("CORPPAY_SCREENSHOT"));
        }
    });
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
}

// Enter and "检索" search at once and take the place of a search the typing still has pending.
TEST_F(BankSearch, EnterAndTheButtonKeepTheirSearch) {
    Open([&] {
        bank.edBankcode->setText(QStringLiteral("105851002223"));
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("支行"));
        QCoreApplication::sendEvent(bank.edlname, &commit);
        QTest::keyClick(bank.edlname, Qt::Key_Return);
        EXPECT_EQ(cds().FilterText(), QStringLiteral("LNAME LIKE '%支行%'"));
        const int found = cds().RecordCount();
        QCoreApplication::processEvents();
        EXPECT_EQ(cds().RecordCount(), found);

        QTest::keyClick(bank.edlname, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(bank.edlname, Qt::Key_Backspace);
        QTest::keyClicks(bank.edlname, QStringLiteral("CDGX"));
        QTest::mouseClick(bank.SpeedButton1, Qt::LeftButton);
        EXPECT_EQ(cds().FilterText(), QStringLiteral("LNAME LIKE '%CDGX%'"));
        bool district = false;
        for (int r = 0; r < cds().RecordCount() && !district; ++r) {
            district = cds().Text(r, 1).contains(QStringLiteral("成都高新"));
        }
        EXPECT_TRUE(district);

        // The name box emptied and Enter pressed before the typing is taken in: the number
        // decides, as the button would have it, and its one row is taken.
        QTest::keyClick(bank.edlname, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(bank.edlname, Qt::Key_Backspace);
        QTest::keyClick(bank.edBankcode, Qt::Key_Return);
        EXPECT_EQ(cds().FilterText(), QStringLiteral("BANKCODE = '105851002223'"));
        EXPECT_EQ(cds().RecordCount(), 1);
        QCoreApplication::processEvents();
        EXPECT_EQ(cds().RecordCount(), 1);
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：1"));
        EXPECT_FALSE(bank.isVisible());
    });
    EXPECT_EQ(page->recbankcode->text(), QStringLiteral("105851002223"));
    EXPECT_EQ(page->recbank->currentText(), cds().Text(0, 1));
}

TEST(BankSearchData, DamagedPacketShowsTheErrorAndAnEmptyGrid) {
    TestDir dir;
    dir.Write(QStringLiteral("bad.bin"), QByteArray("\x96\x19\xe0\xbd\x01", 5));
    ScriptedDialogs dialogs;
    TfmBank bank(dialogs, nullptr, dir.Path(QStringLiteral("bad.bin")));
    QTimer::singleShot(0, &bank, [&] { bank.close(); });
    bank.Execute();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::ProgramError);
    EXPECT_TRUE(bank.cds->IsEmpty());
    EXPECT_EQ(bank.DBGrid1->model()->rowCount(), 0);
}

// The keys go where the focus is, as on a desktop.
namespace {
void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, static_cast<Qt::Key>(key), modifiers);
}
// Each character as a key carrying its text, as an X server sends it (a Chinese character
// typed through an input method arrives the same way under xdotool).
void Type(const QString& text) {
    for (QChar c : text) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        const int key = c.isLetterOrNumber() && c.unicode() < 0x80 ? c.toUpper().unicode() : 0;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(focus, &press);
        QApplication::sendEvent(focus, &release);
    }
}
}  // namespace

// A cashier's walk: search by pinyin initials and choose with the keyboard, then reopen and search
// again by typing straight away, and by typing after Tab has left the name box.
TEST_F(BankSearch, ReopenedSearchChoosesOnlyAShownRow) {
    page->cross->setChecked(true);
    // The first row shown for the text, as the user sees it: the grid has its headings and the
    // row's texts.
    QString code, name;
    const auto shownFirstRow = [&] {
        QCoreApplication::processEvents();
        QAbstractItemModel* model = bank.DBGrid1->model();
        ASSERT_EQ(model->columnCount(), 2);
        EXPECT_EQ(Heading(0), QStringLiteral("银行机构号"));
        EXPECT_EQ(Heading(1), QStringLiteral("银行名称"));
        ASSERT_GT(model->rowCount(), 0);
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：%1").arg(model->rowCount()));
        const QModelIndex first = model->index(0, 0);
        EXPECT_EQ(bank.DBGrid1->currentIndex().row(), 0);
        EXPECT_TRUE(
            bank.DBGrid1->viewport()->rect().contains(bank.DBGrid1->visualRect(first).topLeft()));
        code = model->data(first).toString();
        name = model->data(model->index(0, 1)).toString();
    };
    Walk([&] {
        EXPECT_EQ(QApplication::focusWidget(), bank.edlname);
        QTest::mouseClick(bank.edlname, Qt::LeftButton);
        Type(QStringLiteral("gsyhcdgx"));
        shownFirstRow();
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), bank.DBGrid1);
        Press(Qt::Key_Return);
        EXPECT_FALSE(bank.isVisible());
    });
    EXPECT_TRUE(name.contains(QStringLiteral("工商银行")) && name.contains(QStringLiteral("成都")))
        << name.toStdString();
    EXPECT_EQ(page->recbank->currentText(), name);
    EXPECT_EQ(page->recbankcode->text(), code);

    // Reopened: the old text selected in the name box, so typing replaces it, over the rows it
    // finds.
    const QString wanted = QStringLiteral("建设银行重庆");
    Walk([&] {
        EXPECT_EQ(QApplication::focusWidget(), bank.edlname);
        EXPECT_EQ(bank.edlname->selectedText(), QStringLiteral("gsyhcdgx"));
        const QString chosen = name;
        shownFirstRow();
        EXPECT_EQ(name, chosen);
        Type(wanted);
        EXPECT_EQ(bank.edlname->text(), wanted);
        shownFirstRow();
        Press(Qt::Key_Return);  // searches; with more than one row, on to the first of them
        EXPECT_EQ(QApplication::focusWidget(), bank.DBGrid1);
        Press(Qt::Key_Return);
    });
    EXPECT_TRUE(name.contains(wanted)) << name.toStdString();
    EXPECT_EQ(page->recbank->currentText(), name);
    EXPECT_EQ(page->recbankcode->text(), code);

    // Tab leaves the name box first: the keys typed on the grid still search by name, and Tab
    // on the grid goes on to the next box instead of walking into the wide name column.
    Walk([&] {
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), bank.DBGrid1);
        Type(QStringLiteral("农业银行"));
        EXPECT_EQ(QApplication::focusWidget(), bank.edlname);
        EXPECT_EQ(bank.edlname->text(), QStringLiteral("农业银行"));
        shownFirstRow();
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), bank.DBGrid1);
        Press(Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), bank.DBGrid1);
        EXPECT_EQ(bank.DBGrid1->currentIndex().column(), 0);
        Press(Qt::Key_Backtab);
        // A current row scrolled out of sight is shown first, not taken blind.
        bank.DBGrid1->verticalScrollBar()->setValue(bank.DBGrid1->verticalScrollBar()->maximum());
        Press(Qt::Key_Return);
        EXPECT_TRUE(bank.isVisible());
        EXPECT_EQ(bank.DBGrid1->verticalScrollBar()->value(), 0);
        Press(Qt::Key_Return);
        EXPECT_FALSE(bank.isVisible());
    });
    EXPECT_TRUE(name.contains(QStringLiteral("农业银行"))) << name.toStdString();
    EXPECT_EQ(page->recbank->currentText(), name);
    EXPECT_EQ(page->recbankcode->text(), code);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
}

namespace {

// The bank search walked by keys alone.
class BankKeys : public BankSearch {
protected:
    // From the name box, where every showing starts: both boxes emptied, the focus back there.
    void EmptyBoxes() {
        ASSERT_EQ(QApplication::focusWidget(), bank.edlname);
        Press(Qt::Key_Delete);  // the old text is selected
        Press(Qt::Key_Backtab);
        ASSERT_EQ(QApplication::focusWidget(), bank.edBankcode);
        Press(Qt::Key_A, Qt::ControlModifier);
        Press(Qt::Key_Delete);
        Press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), bank.edlname);
    }
    // Every row the grid shows, as the user reads it, holds the text in its name.
    void EveryShownRowHolds(const QString& text) {
        QAbstractItemModel* model = bank.DBGrid1->model();
        ASSERT_GT(model->rowCount(), 0);
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：%1").arg(model->rowCount()));
        for (int r = 0; r < model->rowCount(); ++r) {
            ASSERT_TRUE(model->data(model->index(r, 1)).toString().contains(text)) << r;
        }
    }
};

}  // namespace

// Enter in a search box searches at once, then takes the row when exactly one is shown, as
// choosing it in the grid does; with more, the focus goes to the first row, where the next Enter
// takes it; with none, nothing is left to go to.
TEST_F(BankKeys, EnterInASearchBoxTakesTheOnlyRowElseGoesToTheGrid) {
    const struct {
        bool numberBox;
        const char* typed;
        int rows;          // shown after Enter
        const char* code;  // taken by that Enter, nullptr when the dialog stays open
        const char* name;
    } cases[] = {
        {false, "大连城中村镇银行沙河口支行", 1, "320222000119", "大连城中村镇银行沙河口支行"},
        {true, "403314000193", 1, "403314000193", "中国邮政储蓄银行镇江分行"},
        {false, "沙河口", 62, nullptr, nullptr},
        {false, "没有这样的银行", 0, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        page->recbank->setEditText(QStringLiteral("keep"));
        page->recbankcode->setText(QStringLiteral("keep"));
        dialogs.Clear();
        QString takenByGrid;
        Walk([&] {
            EmptyBoxes();
            if (c.numberBox) {
                Press(Qt::Key_Backtab);
            }
            QWidget* box = QApplication::focusWidget();
            // Enter at once: the search the typing has pending is run first.
            Type(QString::fromUtf8(c.typed));
            Press(Qt::Key_Return);
            EXPECT_EQ(cds().RecordCount(), c.rows);
            EXPECT_EQ(Count(), QStringLiteral("记录笔数：%1").arg(c.rows));
            if (c.code != nullptr) {
                EXPECT_FALSE(bank.isVisible());
                return;
            }
            ASSERT_TRUE(bank.isVisible());
            if (c.rows == 0) {
                EXPECT_EQ(QApplication::focusWidget(), box);
                EXPECT_EQ(dialogs.beeps, 1);
                return;
            }
            ASSERT_EQ(QApplication::focusWidget(), bank.DBGrid1);
            const QModelIndex first = bank.DBGrid1->model()->index(0, 0);
            EXPECT_EQ(bank.DBGrid1->currentIndex(), first);
            EXPECT_TRUE(bank.DBGrid1->viewport()->rect().contains(
                bank.DBGrid1->visualRect(first).topLeft()));
            takenByGrid =
                bank.DBGrid1->model()->data(bank.DBGrid1->model()->index(0, 1)).toString();
            Press(Qt::Key_Return);
            EXPECT_FALSE(bank.isVisible());
        });
        if (c.code != nullptr) {
            EXPECT_EQ(page->recbankcode->text(), QString::fromUtf8(c.code));
            EXPECT_EQ(page->recbank->currentText(), QString::fromUtf8(c.name));
        } else if (c.rows > 0) {
            EXPECT_TRUE(takenByGrid.contains(QString::fromUtf8(c.typed)));
            EXPECT_EQ(page->recbank->currentText(), takenByGrid);
        } else {
            EXPECT_EQ(page->recbankcode->text(), QStringLiteral("keep"));
        }
    }
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
}

// The grid always lists what the boxes say: reopened, the dialog keeps the texts and searches for
// them again, so Tab Tab Enter takes a row the user asked for, never the directory's first; a
// number typed without Enter is searched as a name is; both boxes empty list everything.
TEST_F(BankKeys, GridAlwaysListsWhatTheBoxesSay) {
    const QString wanted = QStringLiteral("沙河口");
    Walk([&] {
        EmptyBoxes();
        Type(wanted);
        Press(Qt::Key_Escape);
    });
    QString name;
    Walk([&] {
        EXPECT_EQ(bank.edlname->selectedText(), wanted);
        EveryShownRowHolds(wanted);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), bank.DBGrid1);
        name = bank.DBGrid1->model()->data(bank.DBGrid1->model()->index(0, 1)).toString();
        Press(Qt::Key_Return);
        EXPECT_FALSE(bank.isVisible());
    });
    EXPECT_TRUE(name.contains(wanted)) << name.toStdString();
    EXPECT_EQ(page->recbank->currentText(), name);

    // Keys faster than the search: Tab Tab Enter arrive before the typed text was searched. The
    // Enter shows the rows of the text instead of taking one of the old list; the next takes one.
    const QString other = QStringLiteral("镇江分行");
    Walk([&] {
        Type(other);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), bank.DBGrid1);
        Press(Qt::Key_Return);
        ASSERT_TRUE(bank.isVisible());
        EXPECT_EQ(dialogs.beeps, 1);
        EveryShownRowHolds(other);
        name = bank.DBGrid1->model()->data(bank.DBGrid1->model()->index(0, 1)).toString();
        Press(Qt::Key_Return);
        EXPECT_FALSE(bank.isVisible());
    });
    EXPECT_TRUE(name.contains(other)) << name.toStdString();
    EXPECT_EQ(page->recbank->currentText(), name);

    // The number box, without Enter: the grid follows it, and so does the next showing.
    Walk([&] {
        EmptyBoxes();
        Press(Qt::Key_Backtab);
        Type(QStringLiteral("320222000119"));
        QCoreApplication::processEvents();
        EXPECT_EQ(cds().RecordCount(), 1);
        EveryShownRowHolds(QStringLiteral("沙河口支行"));
        Press(Qt::Key_Escape);
    });
    Walk([&] {
        EXPECT_EQ(bank.edBankcode->text(), QStringLiteral("320222000119"));
        EXPECT_EQ(cds().RecordCount(), 1);
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：1"));
        // Emptied, both boxes list the whole directory, whether typed away or searched.
        EmptyBoxes();
        QCoreApplication::processEvents();
        EXPECT_EQ(cds().RecordCount(), kDirectoryRows);
        QTest::mouseClick(bank.SpeedButton1, Qt::LeftButton);
        EXPECT_EQ(cds().RecordCount(), kDirectoryRows);
        EXPECT_EQ(Count(), QStringLiteral("记录笔数：131021"));
        Press(Qt::Key_Escape);
    });
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
}

// Clicking a name keeps its number in view: the grid never scrolls sideways, at the size the
// dialog opens with and at its narrowest, and both columns fit.
TEST_F(BankKeys, ClickingANameKeepsTheNumberInView) {
    Walk([&] {
        EmptyBoxes();
        Type(QStringLiteral("支行"));
        QCoreApplication::processEvents();
        for (const bool narrow : {false, true}) {
            SCOPED_TRACE(narrow ? "narrowest" : "as opened");
            if (narrow) {
                bank.resize(bank.minimumSizeHint().width(), bank.height());
                QCoreApplication::processEvents();
            }
            DBGrid* grid = bank.DBGrid1;
            const QRect view = grid->viewport()->rect();
            const int row = 3;
            const QRect nameCell = grid->visualRect(grid->model()->index(row, 1)).intersected(view);
            ASSERT_FALSE(nameCell.isEmpty());
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, nameCell.center());
            EXPECT_EQ(grid->currentIndex().row(), row);
            EXPECT_EQ(grid->horizontalScrollBar()->value(), 0);
            EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);
            const QRect number = grid->visualRect(grid->model()->index(row, 0));
            const QRect name = grid->visualRect(grid->model()->index(row, 1));
            EXPECT_GE(number.left(), 0);
            EXPECT_LE(name.right(), view.right());
            EXPECT_GE(number.width(), grid->fontMetrics().horizontalAdvance(cds().Text(row, 0)));
        }
        Press(Qt::Key_Escape);
    });
}
