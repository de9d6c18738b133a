// The amount box driven through real key, input-method, paste and focus events: what it shows,
// where the caret stands, which keys beep and what its properties read.
#include "controls/numeditnew.h"
#include "platform/dialogs/scripteddialogs.h"
#include "platform/text/apperror.h"
#include "tests/common/testdir.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QVBoxLayout>

#include <limits>
#include <memory>
#include <vector>

namespace {

// Presses keys: plain characters as typed, <name> for the others. Ctrl with a letter carries the
// control character an X server sends with it (Ctrl+A U+0001).
void Press(QWidget* w, const char* keys) {
    struct Named {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    static const Named named[] = {
        {"bs", Qt::Key_Backspace, Qt::NoModifier},
        {"del", Qt::Key_Delete, Qt::NoModifier},
        {"left", Qt::Key_Left, Qt::NoModifier},
        {"right", Qt::Key_Right, Qt::NoModifier},
        {"home", Qt::Key_Home, Qt::NoModifier},
        {"end", Qt::Key_End, Qt::NoModifier},
        {"ret", Qt::Key_Return, Qt::NoModifier},
        {"esc", Qt::Key_Escape, Qt::NoModifier},
        {"s-left", Qt::Key_Left, Qt::ShiftModifier},
        {"s-right", Qt::Key_Right, Qt::ShiftModifier},
        {"s-ins", Qt::Key_Insert, Qt::ShiftModifier},
        {"s-del", Qt::Key_Delete, Qt::ShiftModifier},
        {"c-ins", Qt::Key_Insert, Qt::ControlModifier},
        {"^a", Qt::Key_A, Qt::ControlModifier},
        {"^c", Qt::Key_C, Qt::ControlModifier},
        {"^q", Qt::Key_Q, Qt::ControlModifier},
        {"^v", Qt::Key_V, Qt::ControlModifier},
        {"^x", Qt::Key_X, Qt::ControlModifier},
        {"^z", Qt::Key_Z, Qt::ControlModifier},
        {"^Z", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier},
        {"^bs", Qt::Key_Backspace, Qt::ControlModifier},
    };
    const std::string text(keys);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '<') {
            QTest::keyClick(w, text[i]);
            continue;
        }
        const std::size_t end = text.find('>', i);
        const std::string name = text.substr(i + 1, end - i - 1);
        bool found = false;
        for (const Named& n : named) {
            if (name != n.name) {
                continue;
            }
            found = true;
            if (n.key >= Qt::Key_A && n.key <= Qt::Key_Z) {
                const QString text(QChar(n.key - Qt::Key_A + 1));
                QTest::sendKeyEvent(QTest::Click, w, n.key, text, n.modifiers);
            } else {
                QTest::keyClick(w, n.key, n.modifiers);
            }
        }
        EXPECT_TRUE(found) << "unknown key " << name;
        i = end;
    }
}

// A window with the amount box and a second edit to take the focus from it.
class BoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&host_);
        other_ = new QLineEdit(&host_);
        edit_ = new TNumEditNew(&host_);
        layout->addWidget(other_);
        layout->addWidget(edit_);
        edit_->SetDialogs(&dialogs_);
        QObject::connect(edit_, &TNumEditNew::OnRefuse,
                         [this](const QString& reason) { status_.append(reason); });
        host_.resize(240, 80);
        host_.show();
        host_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host_));
        other_->setFocus(Qt::OtherFocusReason);
    }

    // Gives the box the focus as the Tab key does.
    void Focus() {
        other_->setFocus(Qt::TabFocusReason);
        edit_->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(edit_->hasFocus());
    }

    // Puts text on the clipboard and pastes it through QLineEdit's own standard menu, whose paste
    // inserts the text unfiltered (the box's context menu types it instead): what the change
    // handling makes of text that did not come through the keys.
    void PasteFromMenu(const QString& text) {
        QApplication::clipboard()->setText(text);
        std::unique_ptr<QMenu> menu(edit_->createStandardContextMenu());
        QAction* paste = nullptr;  // Qt's untranslated menu text names it
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith(QStringLiteral("&Paste"))) {
                paste = action;
            }
        }
        ASSERT_NE(paste, nullptr);
        ASSERT_TRUE(paste->isEnabled());
        paste->trigger();
    }

    void Commit(const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(edit_, &event);
    }

    // Opens the box's own context menu with the mouse and clicks the entry of that (untranslated)
    // text.
    void ChooseFromMenu(const char* text) {
        QContextMenuEvent open(QContextMenuEvent::Mouse, edit_->rect().center(),
                               edit_->mapToGlobal(edit_->rect().center()));
        QApplication::sendEvent(edit_, &open);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text().section(u'\t', 0, 0) == QString::fromUtf8(text)) {
                chosen = action;
            }
        }
        ASSERT_NE(chosen, nullptr) << text;
        ASSERT_TRUE(chosen->isEnabled()) << text;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << text;
    }

    // Drags a text over the box and lets go, with the events a drag delivers.
    void Drop(const QString& text) {
        QMimeData data;
        data.setText(text);
        const QPoint at = edit_->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(edit_, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(edit_, &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(edit_, &drop);
    }

    ScriptedDialogs dialogs_;
    QStringList status_;  // what the box asked the status bar to show
    QWidget host_;
    QLineEdit* other_ = nullptr;
    TNumEditNew* edit_ = nullptr;
};

// ---- Typing ----------------------------------------------------------------------------------

struct Step {
    const char* keys;
    const char* text;  // the box's text afterwards
    int caret;         // the cursor position afterwards
    int beeps;         // beeps so far
};

enum class Start { CaretInFront, SelectAll };

struct TypingCase {
    const char* name;
    const char* shuZhi = nullptr;  // written before the focus; nullptr keeps the new box
    bool clear = false;            // Clear after writing shuZhi
    Start start = Start::CaretInFront;
    int decimals = 2;
    int limit = 9;
    bool canNegative = false;
    bool readOnly = false;
    std::vector<Step> steps;
};

void PrintTo(const TypingCase& c, std::ostream* os) {
    *os << c.name;
}

class Typing : public BoxTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(Typing, ShowsTextCaretAndBeeps) {
    const TypingCase& c = GetParam();
    edit_->SetXiaoShuWei(c.decimals);
    edit_->SetZhengShuWei(c.limit);
    edit_->SetCanNegative(c.canNegative);
    edit_->SetReadOnly(c.readOnly);
    if (c.shuZhi != nullptr) {
        edit_->SetShuZhi(QString::fromUtf8(c.shuZhi));
    }
    if (c.clear) {
        edit_->Clear();
    }
    edit_->SetAutoSelect(c.start == Start::SelectAll);
    Focus();
    for (const Step& step : c.steps) {
        Press(edit_, step.keys);
        EXPECT_EQ(edit_->text(), QString::fromUtf8(step.text)) << "after " << step.keys;
        EXPECT_EQ(edit_->cursorPosition(), step.caret) << "after " << step.keys;
        EXPECT_EQ(dialogs_.beeps, step.beeps) << "after " << step.keys;
    }
    EXPECT_TRUE(dialogs_.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    AmountBox, Typing,
    ::testing::Values(
        TypingCase{.name = "CalculatorEntry",
                   .steps = {{"1", "1.00", 1, 0},
                             {"2", "12.00", 2, 0},
                             {"3", "123.00", 3, 0},
                             {"4", "1,234.00", 5, 0},
                             {".", "1,234.00", 6, 0},
                             {"5", "1,234.50", 7, 0},
                             {"6", "1,234.56", 8, 0}}},
        TypingCase{.name = "NineDigitsThenRefused",
                   .steps = {{"123456789", "123,456,789.00", 11, 0},
                             {"1", "123,456,789.00", 11, 1},
                             {".", "123,456,789.00", 12, 1},
                             {"5", "123,456,789.50", 13, 1}}},
        TypingCase{.name = "NegativeTakesOneDigitLess",
                   .shuZhi = "12345678",
                   .canNegative = true,
                   .steps = {{"-", "-12,345,678.00", 11, 0}, {"9", "-12,345,678.00", 11, 1}}},
        TypingCase{.name = "BackspaceBehindPoint",
                   .shuZhi = "1234.56",
                   .steps = {{"<right>", "1,234.56", 6, 0}, {"<bs>", "123.56", 3, 0}}},
        TypingCase{.name = "DeleteInFrontOfPoint",
                   .shuZhi = "1234.56",
                   .steps = {{"<del>", "1,234.56", 5, 0}}},
        TypingCase{
            .name = "BackspaceLastIntegerDigit", .shuZhi = "5", .steps = {{"<bs>", "0.00", 1, 0}}},
        TypingCase{.name = "DigitsOverAutoSelection",
                   .start = Start::SelectAll,
                   .steps = {{"7", "7.00", 1, 0}, {"8", "78.00", 2, 0}}},
        TypingCase{.name = "TypingAfterClear",
                   .shuZhi = "12.5",
                   .clear = true,
                   .start = Start::SelectAll,
                   .steps = {{"3", "3.00", 1, 0}}},
        TypingCase{.name = "SignSurvivesClear",
                   .shuZhi = "-5",
                   .clear = true,
                   .start = Start::SelectAll,
                   .steps = {{"3", "-3.00", 2, 0}}},
        TypingCase{.name = "DecimalsRoundBehindPoint",
                   .shuZhi = "1.23",
                   .steps = {{"<end>", "1.23", 4, 0}, {"4", "1.23", 4, 0}, {"9", "1.24", 4, 0}}},
        TypingCase{.name = "SignToggles",
                   .shuZhi = "1234.56",
                   .canNegative = true,
                   .steps = {{"-", "-1,234.56", 6, 0}, {"-", "1,234.56", 5, 0}}},
        TypingCase{.name = "MinusRefusedWithoutSign",
                   .shuZhi = "1234.56",
                   .steps = {{"-", "1,234.56", 5, 1}}},
        TypingCase{.name = "MinusDeletesSelection",
                   .shuZhi = "1234.56",
                   .steps = {{"<s-left><s-left><s-left>", "1,234.56", 2, 0}, {"-", "1.56", 3, 0}}},
        TypingCase{.name = "MinusOverWholeText",
                   .shuZhi = "1234.56",
                   .start = Start::SelectAll,
                   .steps = {{"-", "0.00", 1, 0}}},
        TypingCase{.name = "RefusedCharactersBeep",
                   .shuZhi = "12",
                   .steps = {{"a", "12.00", 2, 1},
                             {" ", "12.00", 2, 2},
                             {",", "12.00", 2, 3},
                             {"<ret>", "12.00", 2, 4},
                             {"<esc>", "12.00", 2, 5},
                             {"<^q>", "12.00", 2, 6},
                             {"<^bs>", "12.00", 2, 7}}},
        TypingCase{.name = "DigitOverSelectionPastLimit",
                   .shuZhi = "123456789",
                   .start = Start::SelectAll,
                   .steps = {{"5", "5.00", 1, 0}}},
        TypingCase{.name = "DigitOverSelectedDecimals",
                   .shuZhi = "1234.56",
                   .steps = {{"<end><s-left><s-left>", "1,234.56", 6, 0}, {"7", "1,234.70", 5, 0}}},
        TypingCase{.name = "PointStepsRight",
                   .shuZhi = "1234.56",
                   .steps = {{".", "1,234.56", 6, 0},
                             {".", "1,234.56", 7, 0},
                             {".", "1,234.56", 8, 0},
                             {".", "1,234.56", 8, 0}}},
        TypingCase{.name = "NoDecimals",
                   .shuZhi = "0",
                   .decimals = 0,
                   .steps = {{"1", "1", 1, 0},
                             {"2", "12", 2, 0},
                             {"34", "1,234", 5, 0},
                             {"<bs>", "123", 3, 0},
                             {"<left><del>", "123", 2, 0}}},
        TypingCase{.name = "NoDecimalsLimitOnlyFurtherLeft",
                   .shuZhi = "0",
                   .decimals = 0,
                   .limit = 3,
                   .steps = {{"1234", "1,234", 5, 0},
                             {"5", "12,345", 6, 0},
                             {"<home>", "12,345", 0, 0},
                             {"9", "12,345", 0, 1}}},
        TypingCase{.name = "DeleteRewrittenOnlyWhileEditing",
                   .shuZhi = "1234.56",
                   .steps = {{"<home><del>", ",234.56", 0, 0},
                             {"1", "1,234.56", 5, 0},
                             {"<home><del>", "234.56", 3, 0}}},
        TypingCase{.name = "ReadOnlyIgnoresKeys",
                   .shuZhi = "1234.5",
                   .readOnly = true,
                   .steps = {{"5<bs><del><left><home>a-.<ret><^v>", "1,234.50", 5, 0}}}),
    [](const ::testing::TestParamInfo<TypingCase>& info) { return std::string(info.param.name); });

TEST_F(BoxTest, ReadOnlyBoxStaysOutOfEditing) {
    edit_->SetReadOnly(true);
    Focus();
    Press(edit_, "12");
    Commit(QStringLiteral("3"));
    EXPECT_FALSE(edit_->Editing());
    EXPECT_EQ(edit_->text(), "0.00");
    EXPECT_EQ(dialogs_.beeps, 0);
}

// The salary total: read-only, set by the program, read back as shown.
TEST_F(BoxTest, RunningTotalShowsRoundedValue) {
    edit_->SetReadOnly(true);
    edit_->SetValue(1234.5);
    EXPECT_EQ(edit_->text(), "1,234.50");
    edit_->SetValue(1234.567);
    EXPECT_EQ(edit_->text(), "1,234.57");
    EXPECT_DOUBLE_EQ(edit_->Value(), 1234.57);
}

// ---- Properties ------------------------------------------------------------------------------

TEST_F(BoxTest, NewBox) {
    EXPECT_EQ(edit_->text(), "0.00");
    EXPECT_EQ(edit_->XiaoShuWei(), 2);
    EXPECT_EQ(edit_->ZhengShuWei(), 9);
    EXPECT_FALSE(edit_->CanNegative());
    EXPECT_FALSE(edit_->Negative());
    EXPECT_TRUE(edit_->AutoSelect());
    EXPECT_FALSE(edit_->ReadOnly());
    EXPECT_FALSE(edit_->Editing());
    EXPECT_TRUE(edit_->alignment().testFlag(Qt::AlignRight));
    EXPECT_FALSE(edit_->acceptDrops());
    EXPECT_EQ(edit_->ShuZhi(), "0.00");
    EXPECT_EQ(edit_->DianWenShuZhi(), "0");
    EXPECT_EQ(edit_->Value(), 0.0);
    EXPECT_FALSE(edit_->Modified());
    EXPECT_TRUE(dialogs_.messages.isEmpty());
}

struct ShuZhiCase {
    const char* input;
    const char* text;
    const char* shuZhi;
    const char* dianWen;
    double value;
    bool negative;
};

TEST_F(BoxTest, ShuZhiWrite) {
    const ShuZhiCase cases[] = {
        {"1234.5", "1,234.50", "1234.50", "1234,50", 1234.5, false},
        {"100", "100.00", "100.00", "100,", 100, false},
        {"0.05", "0.05", "0.05", "0,05", 0.05, false},
        {"0.004999", "0.01", "0.01", "0,01", 0.01, false},
        {"0.005", "0.01", "0.01", "0,01", 0.01, false},
        {"-12.5", "-12.50", "-12.50", "12,50", -12.5, true},
        {"", "0.00", "0.00", "0", 0, false},
        {"   ", "0.00", "0.00", "0", 0, false},
        {"-0", "-0.00", "-0.00", "0", 0, true},
        {"1,234.5", "1,234.50", "1234.50", "1234,50", 1234.5, false},
        {"1e3", "1,000.00", "1000.00", "1000,", 1000, false},
        {" 7 ", "7.00", "7.00", "7,", 7, false},
        {"123456789012", "123,456,789,012.00", "123456789012.00", "123456789012,", 123456789012.0,
         false},
    };
    for (const auto& c : cases) {
        edit_->SetShuZhi(QString::fromUtf8(c.input));
        EXPECT_EQ(edit_->text(), QString::fromUtf8(c.text)) << c.input;
        EXPECT_EQ(edit_->ShuZhi(), QString::fromUtf8(c.shuZhi)) << c.input;
        EXPECT_EQ(edit_->DianWenShuZhi(), QString::fromUtf8(c.dianWen)) << c.input;
        EXPECT_DOUBLE_EQ(edit_->Value(), c.value) << c.input;
        EXPECT_EQ(edit_->Negative(), c.negative) << c.input;
        EXPECT_EQ(edit_->cursorPosition(), 0) << c.input;
    }
}

TEST_F(BoxTest, ShuZhiWriteOfSignAlone) {
    edit_->SetShuZhi(QStringLiteral("-"));
    EXPECT_EQ(edit_->text(), "-0.00");
    EXPECT_FALSE(edit_->Negative());
    edit_->SetShuZhi(QStringLiteral("-3"));
    edit_->SetShuZhi(QStringLiteral("- "));
    EXPECT_EQ(edit_->text(), "-0.00");
    EXPECT_TRUE(edit_->Negative());
}

TEST_F(BoxTest, ShuZhiWriteOfNoNumberFailsAndKeepsTheBox) {
    edit_->SetShuZhi(QStringLiteral("-5"));
    Focus();
    Press(edit_, "<end>1");  // typing sets Editing
    ASSERT_TRUE(edit_->Editing());
    const QString before = edit_->text();
    struct {
        const char* input;
        const char* message;
    } const cases[] = {
        {"abc", "'abc' is not a valid floating point value"},
        {"-abc", "'abc' is not a valid floating point value"},
        {"1-2", "'1-2' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        try {
            edit_->SetShuZhi(QString::fromUtf8(c.input));
            ADD_FAILURE() << c.input << " was taken";
        } catch (const AppError& e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(c.message));
        }
        EXPECT_EQ(edit_->text(), before) << c.input;
        EXPECT_TRUE(edit_->Negative()) << c.input;
        EXPECT_FALSE(edit_->Editing()) << c.input;
    }
}

TEST_F(BoxTest, ValueWrite) {
    Focus();
    Press(edit_, "3");
    ASSERT_TRUE(edit_->Editing());
    edit_->SetValue(1234.5);
    EXPECT_FALSE(edit_->Editing());
    EXPECT_EQ(edit_->text(), "1,234.50");
    EXPECT_DOUBLE_EQ(edit_->Value(), 1234.5);
    edit_->SetValue(0.004999);
    EXPECT_EQ(edit_->text(), "0.01");
    edit_->SetValue(-3.456);
    EXPECT_EQ(edit_->text(), "-3.46");
    EXPECT_FALSE(edit_->Negative());
    EXPECT_EQ(edit_->ShuZhi(), "-3.46");
    EXPECT_DOUBLE_EQ(edit_->Value(), -3.46);
    edit_->SetShuZhi(QStringLiteral("-1"));
    edit_->SetValue(5);
    EXPECT_EQ(edit_->text(), "5.00");
    EXPECT_TRUE(edit_->Negative());  // Value write leaves the sign flag alone
}

TEST_F(BoxTest, ValueWriteOfNoFiniteNumberFails) {
    edit_->SetValue(12);
    for (double v :
         {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        try {
            edit_->SetValue(v);
            ADD_FAILURE() << v << " was taken";
        } catch (const AppError& e) {
            EXPECT_EQ(e.Message(), "Invalid floating point operation");
        }
        EXPECT_EQ(edit_->text(), "12.00");
    }
}

TEST_F(BoxTest, ClearEmptiesTheBox) {
    edit_->SetShuZhi(QStringLiteral("12.5"));
    edit_->Clear();
    EXPECT_EQ(edit_->text(), "");
    EXPECT_EQ(edit_->ShuZhi(), "0");
    EXPECT_EQ(edit_->Value(), 0.0);
    EXPECT_EQ(edit_->DianWenShuZhi(), "0");
    EXPECT_EQ(edit_->IntPartLength(), 0);
}

TEST_F(BoxTest, ZhengShuWeiOutOfRange) {
    for (int n : {0, 18, -1}) {
        edit_->SetZhengShuWei(n);
        EXPECT_EQ(edit_->ZhengShuWei(), 9) << n;
    }
    const ScriptedDialogs::Message expected{ScriptedDialogs::Kind::Plain,
                                            Dialogs::ApplicationTitle(),
                                            QStringLiteral("ZhengShuWei is from l to 17.")};
    EXPECT_EQ(dialogs_.messages, QList<ScriptedDialogs::Message>(3, expected));
    edit_->SetZhengShuWei(17);
    EXPECT_EQ(edit_->ZhengShuWei(), 17);
    edit_->SetZhengShuWei(1);
    EXPECT_EQ(edit_->ZhengShuWei(), 1);
    EXPECT_EQ(dialogs_.messages.size(), 3);
}

TEST_F(BoxTest, XiaoShuWeiTakesEffectAtTheNextFormatting) {
    edit_->SetXiaoShuWei(3);
    EXPECT_EQ(edit_->text(), "0.00");
    edit_->SetShuZhi(QStringLiteral("1.5"));
    EXPECT_EQ(edit_->text(), "1.500");
    EXPECT_EQ(edit_->DianWenShuZhi(), "1,500");
    edit_->SetXiaoShuWei(11);
    EXPECT_EQ(edit_->XiaoShuWei(), 10);
    edit_->SetXiaoShuWei(-1);
    EXPECT_EQ(edit_->XiaoShuWei(), 0);
    edit_->SetShuZhi(QStringLiteral("1234.5"));
    EXPECT_EQ(edit_->text(), "1,235");
    EXPECT_EQ(edit_->DianWenShuZhi(), "1235");
}

TEST_F(BoxTest, NumberTextFollowsXiaoShuWei) {
    EXPECT_EQ(edit_->NumberText(1.2395), "1.24");
    edit_->SetXiaoShuWei(3);
    EXPECT_EQ(edit_->NumberText(1.2395), "1.240");
    edit_->SetXiaoShuWei(0);
    EXPECT_EQ(edit_->NumberText(1.2395), "1");
}

TEST_F(BoxTest, ParseAmountText) {
    EXPECT_EQ(TNumEditNew::ParseAmountText(QString()), 0.0);
    EXPECT_EQ(TNumEditNew::ParseAmountText(QStringLiteral("-")), 0.0);
    EXPECT_EQ(TNumEditNew::ParseAmountText(QStringLiteral("-1,2-3 4.5")), 1234.5);
    try {
        TNumEditNew::ParseAmountText(QStringLiteral("1,2a"));
        ADD_FAILURE() << "1,2a was taken";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), "'12a' is not a valid floating point value");
    }
}

TEST_F(BoxTest, IntPartLengthCountsSignAndPoint) {
    edit_->SetShuZhi(QStringLiteral("1234.56"));
    EXPECT_EQ(edit_->IntPartLength(), 5);
    edit_->SetShuZhi(QStringLiteral("-1234.56"));
    EXPECT_EQ(edit_->IntPartLength(), 6);
}

// ---- Modified --------------------------------------------------------------------------------

TEST_F(BoxTest, ModifiedAfterTypingIsAnsweredOnce) {
    Focus();
    Press(edit_, "5");
    EXPECT_EQ(edit_->text(), "5.00");
    EXPECT_TRUE(edit_->Modified());
    EXPECT_FALSE(edit_->Modified());
    Press(edit_, "6");
    // Read by name, as a tool reads a published property: the same answer, once.
    EXPECT_TRUE(edit_->property("Modified").toBool());
    EXPECT_FALSE(edit_->property("Modified").toBool());
    EXPECT_TRUE(edit_->setProperty("Modified", true));
    EXPECT_TRUE(edit_->Modified());
}

TEST_F(BoxTest, ModifiedStates) {
    // State 0 after creation answers false whatever happened, and starts comparing.
    edit_->SetShuZhi(QStringLiteral("5"));
    EXPECT_FALSE(edit_->Modified());
    EXPECT_FALSE(edit_->Modified());
    edit_->SetShuZhi(QStringLiteral("6"));
    EXPECT_TRUE(edit_->Modified());
    EXPECT_FALSE(edit_->Modified());
    // A write decides the next answer only.
    edit_->SetModified(true);
    EXPECT_TRUE(edit_->Modified());
    EXPECT_FALSE(edit_->Modified());
    edit_->SetShuZhi(QStringLiteral("7"));
    edit_->SetModified(false);
    EXPECT_FALSE(edit_->Modified());
    // Focus gain starts a new comparison.
    edit_->SetShuZhi(QStringLiteral("8"));
    Focus();
    EXPECT_FALSE(edit_->Modified());
}

// ---- Change handling: paste, message box, notifications ----------------------------------------

TEST_F(BoxTest, PastedNoNumberAfterKeystrokeShowsMessageAndSelectsAll) {
    for (bool answer : {true, false}) {
        dialogs_.Clear();
        dialogs_.okCancelAnswers = {answer};
        edit_->SetShuZhi(QStringLiteral("0"));
        Focus();
        Press(edit_, "1");
        ASSERT_EQ(edit_->text(), "1.00");
        edit_->selectAll();
        PasteFromMenu(QStringLiteral("abc"));
        const ScriptedDialogs::Message expected{ScriptedDialogs::Kind::OkCancel,
                                                QStringLiteral("提示窗口"),
                                                QStringLiteral("您输入的格式不正确")};
        EXPECT_EQ(dialogs_.messages, QList<ScriptedDialogs::Message>{expected});
        EXPECT_EQ(edit_->text(), "abc");
        EXPECT_EQ(edit_->selectedText(), "abc");
        EXPECT_EQ(edit_->ShuZhi(), "abc");
        EXPECT_EQ(edit_->Value(), 0.0);
        // The next change that converts brings the display shape back.
        Press(edit_, "5");
        EXPECT_EQ(edit_->text(), "5.00");
        EXPECT_EQ(dialogs_.messages.size(), 1);
    }
}

TEST_F(BoxTest, PasteBeforeAnyKeystrokeIsNotRewritten) {
    edit_->SetShuZhi(QStringLiteral("1"));
    Focus();
    PasteFromMenu(QStringLiteral("abc"));
    EXPECT_EQ(edit_->text(), "abc");
    EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(BoxTest, PastedAmountIsRewrittenByNumberText) {
    Focus();
    Press(edit_, "1");
    edit_->selectAll();
    PasteFromMenu(QStringLiteral("0.004999"));
    EXPECT_EQ(edit_->text(), "0.00");
    EXPECT_EQ(edit_->cursorPosition(), 4);
    edit_->selectAll();
    PasteFromMenu(QStringLiteral("1,234.5"));
    EXPECT_EQ(edit_->text(), "1,234.50");
    EXPECT_EQ(edit_->cursorPosition(), 7);
    // The program's write of the same text rounds the other way.
    edit_->SetShuZhi(QStringLiteral("0.004999"));
    EXPECT_EQ(edit_->text(), "0.01");
}

// ---- Editing keys: select all, copy, cut, paste, undo -------------------------------------------

struct EditStep {
    const char* keys;
    const char* text;       // the box's text afterwards
    const char* selected;   // its selected text afterwards
    const char* clipboard;  // the clipboard's text afterwards
    int beeps;              // beeps so far
};

struct EditCase {
    const char* name;
    const char* clipboard;  // before the first step
    std::vector<EditStep> steps;
};

void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.name;
}

class EditingKeys : public BoxTest, public ::testing::WithParamInterface<EditCase> {};

// The box shows 6,780.00 as a loaded record leaves it, is entered with Tab (all selected) and
// gets the keys with the text an X server sends.
TEST_P(EditingKeys, ActAsInALineEditKeepingTheShape) {
    const EditCase& c = GetParam();
    edit_->SetShuZhi(QStringLiteral("6780.00"));
    QApplication::clipboard()->setText(QString::fromUtf8(c.clipboard));
    Focus();
    for (const EditStep& step : c.steps) {
        Press(edit_, step.keys);
        EXPECT_EQ(edit_->text(), QString::fromUtf8(step.text)) << "after " << step.keys;
        EXPECT_EQ(edit_->selectedText(), QString::fromUtf8(step.selected)) << "after " << step.keys;
        EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8(step.clipboard))
            << "after " << step.keys;
        EXPECT_EQ(dialogs_.beeps, step.beeps) << "after " << step.keys;
    }
    EXPECT_TRUE(dialogs_.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    AmountBox, EditingKeys,
    ::testing::Values(
        EditCase{"SelectAllThenTypingReplaces",
                 "x",
                 {{"<end><^a>", "6,780.00", "6,780.00", "x", 0}, {"6870", "6,870.00", "", "x", 0}}},
        EditCase{"CopyLeavesTheBox",
                 "x",
                 {{"<^c>", "6,780.00", "6,780.00", "6,780.00", 0},
                  {"<end><s-left><s-left><c-ins>", "6,780.00", "00", "00", 0}}},
        EditCase{"CutRewritesTheRest",
                 "x",
                 {{"<home><s-right><s-right><s-right><^x>", "80.00", "", "6,7", 0},
                  {"<^a><s-del>", "", "", "80.00", 0},
                  {"5", "5.00", "", "80.00", 0}}},
        EditCase{"PasteDisplayShape", "6,870.00", {{"<^v>", "6,870.00", "", "6,870.00", 0}}},
        EditCase{"PastePlainNumber", "6870", {{"<^v>", "6,870.00", "", "6870", 0}}},
        EditCase{"PasteDecimals", "2.5", {{"<^v>", "2.50", "", "2.5", 0}}},
        EditCase{
            "PasteAtTheCaret", "12", {{"<end><left><left><left><^v>", "678,012.00", "", "12", 0}}},
        EditCase{
            "PasteNoNumberChangesNothing", "abc", {{"<^v>", "6,780.00", "6,780.00", "abc", 1}}},
        EditCase{"PasteTooManyDigitsIsRefusedWhole",
                 "12345678901",
                 {{"<^v>", "6,780.00", "6,780.00", "12345678901", 1}}},
        EditCase{"ShiftInsertPastesAsQLineEditDoes",
                 "1 234",
                 {{"<s-ins>", "1 234", "", "1 234", 0}, {"5", "12,345.00", "", "1 234", 0}}},
        EditCase{"UndoTakesATypedRunBackAndRedoRepeatsIt",
                 "x",
                 {{"6870", "6,870.00", "", "x", 0},
                  {"<^z>", "6,780.00", "6,780.00", "x", 0},
                  {"<^z>", "6,780.00", "6,780.00", "x", 0},
                  {"<^Z>", "6,870.00", "", "x", 0}}},
        EditCase{"UndoPasteAndCut",
                 "12",
                 {{"<^v>", "12.00", "", "12", 0},
                  {"<^a><^x>", "", "", "12.00", 0},
                  {"<^z>", "12.00", "12.00", "12.00", 0},
                  {"<^z>", "6,780.00", "6,780.00", "12.00", 0}}},
        EditCase{"UndoOfAnUnshapedDeleteComesBackInShape",
                 "x",
                 {{"<home><del>", ",780.00", "", "x", 0},
                  {"<del>", "780.00", "", "x", 0},
                  {"<^z>", "6,780.00", "", "x", 0}}},
        EditCase{"OtherCtrlLettersStayRefused", "x", {{"<^q>", "6,780.00", "6,780.00", "x", 1}}}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

// ---- A value that does not fit whole is refused whole ------------------------------------------

enum class Way { Keys, CtrlV, ShiftInsert, MenuPaste, Commit, Drop };

// Whichever way a value comes in, the box takes it as it stands or keeps what it showed: never a
// part of it, which would have the cashier pay an amount that was never typed. A refusal beeps
// once and says why in the status bar.
TEST_F(BoxTest, ValueThatDoesNotFitIsRefusedWhole) {
    const struct {
        const char* name;
        Way way;
        const char* input;      // the keys, or the text pasted, committed or dropped
        const char* shuZhi;     // the box's value before; it is entered with Tab, all selected
        const char* keysFirst;  // pressed before the input
        const char* text;       // the box afterwards
        int beeps;
        const char* status;  // the status line, nullptr for none
    } cases[] = {
        {"typed tenth digit", Way::Keys, "1000000000", "0", "", "100,000,000.00", 1,
         "金额最多9位整数，已拒绝输入“0”"},
        {"Ctrl+V too many digits", Way::CtrlV, "12345678901234.56", "6780", "", "6,780.00", 1,
         "金额最多9位整数，已拒绝粘贴“12345678901234.56”"},
        {"Shift+Insert too many digits", Way::ShiftInsert, "12345678901234.56", "6780", "",
         "6,780.00", 1, "金额最多9位整数，已拒绝粘贴“12345678901234.56”"},
        {"menu paste too many digits", Way::MenuPaste, "12345678901234.56", "6780", "", "6,780.00",
         1, "金额最多9位整数，已拒绝粘贴“12345678901234.56”"},
        {"Ctrl+V too many decimals", Way::CtrlV, "1,234.5678", "6780", "", "6,780.00", 1,
         "金额最多2位小数，已拒绝粘贴“1,234.5678”"},
        {"Shift+Insert too many decimals", Way::ShiftInsert, "1,234.5678", "6780", "", "6,780.00",
         1, "金额最多2位小数，已拒绝粘贴“1,234.5678”"},
        {"Ctrl+V letters", Way::CtrlV, "12a", "6780", "", "6,780.00", 1,
         "“12a”不是金额，已拒绝粘贴"},
        {"Shift+Insert letters", Way::ShiftInsert, "12a", "6780", "", "6,780.00", 1,
         "“12a”不是金额，已拒绝粘贴"},
        {"Ctrl+V no digit at all, as before", Way::CtrlV, "abc", "6780", "", "6,780.00", 1,
         nullptr},
        {"Ctrl+V negative", Way::CtrlV, "-5", "6780", "", "6,780.00", 1,
         "金额不能是负数，已拒绝粘贴“-5”"},
        {"Ctrl+V at the caret past the limit", Way::CtrlV, "1", "123456789",
         "<end><left><left><left>", "123,456,789.00", 1, "金额最多9位整数，已拒绝粘贴“1”"},
        {"Shift+Insert at the caret past the limit", Way::ShiftInsert, "12345", "123456789",
         "<end><left><left><left>", "123,456,789.00", 1, "金额最多9位整数，已拒绝粘贴“12345”"},
        {"Ctrl+V behind the decimals", Way::CtrlV, "5.5", "6780", "<end>", "6,780.00", 1,
         "在光标处粘贴“5.5”会改变其数值，已拒绝；请先全选金额框再粘贴"},
        {"input method too many digits", Way::Commit, "1000000000", "0", "", "0.00", 1,
         "金额最多9位整数，已拒绝输入“1000000000”"},
        {"dropped too many digits: the box takes no drop", Way::Drop, "12345678901234.56", "6780",
         "", "6,780.00", 0, nullptr},
        {"Ctrl+V a leading point over the selection", Way::CtrlV, ".5", "6780", "", "0.50", 0,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs_.Clear();
        status_.clear();
        edit_->SetShuZhi(QString::fromUtf8(c.shuZhi));
        Focus();
        Press(edit_, c.keysFirst);
        const QString input = QString::fromUtf8(c.input);
        if (c.way != Way::Keys && c.way != Way::Commit && c.way != Way::Drop) {
            QApplication::clipboard()->setText(input);
        }
        switch (c.way) {
            case Way::Keys:
                QTest::keyClicks(edit_, input);
                break;
            case Way::CtrlV:
                Press(edit_, "<^v>");
                break;
            case Way::ShiftInsert:
                Press(edit_, "<s-ins>");
                break;
            case Way::MenuPaste:
                ChooseFromMenu("&Paste");
                break;
            case Way::Commit:
                Commit(input);
                break;
            case Way::Drop:
                Drop(input);
                break;
        }
        EXPECT_EQ(edit_->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(dialogs_.beeps, c.beeps);
        EXPECT_EQ(status_, c.status ? QStringList{QString::fromUtf8(c.status)} : QStringList());
        EXPECT_TRUE(dialogs_.messages.isEmpty());
        // What the page stores is what the box shows.
        EXPECT_EQ(edit_->ShuZhi(), QString::fromUtf8(c.text).remove(u','));
    }
}

// A cashier loads a record whose amount is 6,780.00, clicks into the box, selects all with Ctrl+A
// and types the right amount.
TEST_F(BoxTest, CtrlAThenTypingReplacesAClickedAmount) {
    edit_->SetShuZhi(QStringLiteral("6780.00"));
    edit_->repaint();  // QLineEdit places the text for mouse hits when it paints
    QTest::mouseClick(edit_, Qt::LeftButton, {}, QPoint(edit_->width() - 40, edit_->height() / 2));
    ASSERT_TRUE(edit_->hasFocus());
    ASSERT_FALSE(edit_->hasSelectedText());
    QTest::sendKeyEvent(QTest::Click, edit_, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
    EXPECT_EQ(edit_->selectedText(), QStringLiteral("6,780.00"));
    QTest::keyClicks(edit_, QStringLiteral("6870"));
    EXPECT_EQ(edit_->text(), QStringLiteral("6,870.00"));
    EXPECT_EQ(edit_->ShuZhi(), QStringLiteral("6870.00"));
    EXPECT_EQ(dialogs_.beeps, 0);
    // The next record is loaded: undo does not bring this one's amount back.
    edit_->SetShuZhi(QStringLiteral("100"));
    QTest::sendKeyEvent(QTest::Click, edit_, Qt::Key_Z, QString(QChar(26)), Qt::ControlModifier);
    EXPECT_EQ(edit_->text(), QStringLiteral("100.00"));
    EXPECT_EQ(dialogs_.beeps, 0);
}

// The box's context menu pastes through the filter and undoes as Ctrl+Z does.
TEST_F(BoxTest, ContextMenuPasteTypesTheClipboard) {
    edit_->SetShuZhi(QStringLiteral("6780.00"));
    Focus();
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    ChooseFromMenu("&Paste");
    EXPECT_EQ(edit_->text(), QStringLiteral("6,780.00"));
    EXPECT_EQ(dialogs_.beeps, 1);
    QApplication::clipboard()->setText(QStringLiteral("6,870.00"));
    edit_->selectAll();
    ChooseFromMenu("&Paste");
    EXPECT_EQ(edit_->text(), QStringLiteral("6,870.00"));
    EXPECT_EQ(edit_->ShuZhi(), QStringLiteral("6870.00"));
    ChooseFromMenu("&Undo");
    EXPECT_EQ(edit_->text(), QStringLiteral("6,780.00"));
    EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(BoxTest, OnChangeSeesTypedTextThenRewritten) {
    QStringList seen;
    QObject::connect(edit_, &TNumEditNew::OnChange, [&] { seen.append(edit_->text()); });
    edit_->SetAutoSelect(false);
    Focus();
    Press(edit_, "5");
    EXPECT_EQ(seen, QStringList({QStringLiteral("05.00"), QStringLiteral("5.00")}));
}

// ---- Input method ----------------------------------------------------------------------------

TEST_F(BoxTest, CommittedTextGoesThroughTheFilter) {
    edit_->SetAutoSelect(false);
    Focus();
    Commit(QStringLiteral("12"));
    EXPECT_EQ(edit_->text(), "12.00");
    EXPECT_EQ(edit_->cursorPosition(), 2);
    Commit(QStringLiteral("a"));
    Commit(QStringLiteral("１"));  // a full-width digit is no digit
    EXPECT_EQ(edit_->text(), "12.00");
    EXPECT_EQ(dialogs_.beeps, 2);
    QInputMethodEvent preedit(QStringLiteral("3"), {});
    QApplication::sendEvent(edit_, &preedit);
    EXPECT_EQ(edit_->text(), "12.00");
    Commit(QStringLiteral("3"));
    EXPECT_EQ(edit_->text(), "123.00");
    EXPECT_EQ(edit_->cursorPosition(), 3);
}

// ---- Focus -----------------------------------------------------------------------------------

TEST_F(BoxTest, FocusWithoutAutoSelectPutsCaretInFrontOfPoint) {
    edit_->SetAutoSelect(false);
    edit_->SetShuZhi(QStringLiteral("1234.5"));
    Focus();
    EXPECT_FALSE(edit_->hasSelectedText());
    EXPECT_EQ(edit_->cursorPosition(), 5);
    edit_->SetXiaoShuWei(0);
    edit_->SetShuZhi(QStringLiteral("1234"));
    Focus();
    EXPECT_EQ(edit_->cursorPosition(), 5);
}

TEST_F(BoxTest, FocusWithAutoSelectSelectsAll) {
    edit_->SetShuZhi(QStringLiteral("1234.5"));
    Focus();
    EXPECT_EQ(edit_->selectedText(), "1,234.50");
}

TEST_F(BoxTest, MouseFocusPutsCaretAtTheClick) {
    edit_->SetShuZhi(QStringLiteral("1234.5"));
    edit_->repaint();  // QLineEdit places the text for mouse hits when it paints
    QTest::mouseClick(edit_, Qt::LeftButton, {}, QPoint(edit_->width() - 2, edit_->height() / 2));
    EXPECT_TRUE(edit_->hasFocus());
    EXPECT_FALSE(edit_->hasSelectedText());
    EXPECT_EQ(edit_->cursorPosition(), 8);
}

TEST_F(BoxTest, ClosingMenuIsNoFocusGain) {
    Focus();
    edit_->setCursorPosition(2);
    QFocusEvent back(QEvent::FocusIn, Qt::PopupFocusReason);
    QApplication::sendEvent(edit_, &back);
    EXPECT_FALSE(edit_->hasSelectedText());
    EXPECT_EQ(edit_->cursorPosition(), 2);
}

}  // namespace
