#include "controls/numeditnew.h"

#include "controls/amountformat.h"
#include "platform/dialogs/qtdialogs.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace {

constexpr char16_t kZhengShuWeiRange[] = u"ZhengShuWei is from l to 17.";
constexpr char16_t kFormatCaption[] = u"提示窗口";
constexpr char16_t kFormatWrong[] = u"您输入的格式不正确";
constexpr char16_t kInvalidOperation[] = u"Invalid floating point operation";
// Why a value was refused whole, for the status bar: %1 the limit, then how the text came in
// ("输入" or "粘贴") and an excerpt of the text.
constexpr char16_t kTooManyDigits[] = u"金额最多%1位整数，已拒绝%2“%3”";
constexpr char16_t kTooManyDecimals[] = u"金额最多%1位小数，已拒绝%2“%3”";
constexpr char16_t kNoDecimals[] = u"金额只能是整数，已拒绝%1“%2”";
constexpr char16_t kNegative[] = u"金额不能是负数，已拒绝%1“%2”";
constexpr char16_t kNoNumber[] = u"“%2”不是金额，已拒绝%1";
constexpr char16_t kPlace[] = u"在光标处%1“%2”会改变其数值，已拒绝；请先全选金额框再%1";
// Steps Ctrl+Z can take back.
constexpr std::size_t kUndoDepth = 100;

// Removes the characters 0 to 32 from both ends.
QString Trim(const QString& s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin].unicode() <= 32) {
        ++begin;
    }
    while (end > begin && s[end - 1].unicode() <= 32) {
        --end;
    }
    return s.mid(begin, end - begin);
}

QString WithoutGrouping(QString s) {
    s.remove(u',');
    s.remove(u' ');
    return s;
}

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The text without grouping and signs, as ParseAmountText reads it.
QString Unsigned(const QString& s) {
    QString t = WithoutGrouping(s);
    t.remove(u'-');
    return t;
}

// A number's exact value, digits times 10 to the exponent, with neither leading nor trailing
// zeros in the digits (zero has none), so that equal values compare equal whatever their shape.
struct ExactNumber {
    QString digits;
    qint64 exponent = 0;
    bool operator==(const ExactNumber&) const = default;

    qint64 IntegerDigits() const {
        return digits.isEmpty() ? 0 : std::max<qint64>(0, digits.size() + exponent);
    }
    qint64 Decimals() const { return std::max<qint64>(0, -exponent); }
};

// Nothing for a text that the system conversion does not take.
std::optional<ExactNumber> Exact(const QString& text) {
    const std::optional<convert::DecimalNumber> d = convert::ParseDecimal(text);
    if (!d) {
        return std::nullopt;
    }
    ExactNumber e{d->digits, d->exponent};
    qsizetype end = e.digits.size();
    while (end > 0 && e.digits[end - 1] == u'0') {
        --end;
        ++e.exponent;
    }
    e.digits.truncate(end);
    qsizetype lead = 0;
    while (lead < e.digits.size() && e.digits[lead] == u'0') {
        ++lead;
    }
    e.digits.remove(0, lead);
    if (e.digits.isEmpty()) {
        e.exponent = 0;
    }
    return e;
}

// The characters a key event types, as the classic edit box receives them after its key-down:
// control characters for Backspace, Enter, Escape, Tab and Ctrl with a letter; nothing for Alt
// combinations and keys without text.
QString TypedCharacters(const QKeyEvent& event) {
    const bool ctrl = event.modifiers().testFlag(Qt::ControlModifier);
    const bool alt = event.modifiers().testFlag(Qt::AltModifier);
    const bool altOnly = alt && !ctrl;
    switch (event.key()) {
        case Qt::Key_Backspace:
            if (altOnly) {
                return {};
            }
            return QString(QChar(ctrl ? 127 : 8));
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (altOnly) {
                return {};
            }
            return QString(QChar(ctrl ? 10 : 13));
        case Qt::Key_Escape:
            return QString(QChar(27));
        case Qt::Key_Tab:
            return ctrl || alt ? QString() : QString(QChar(9));
        case Qt::Key_Delete:
            return {};
        default:
            break;
    }
    if (ctrl && !alt) {
        const int key = event.key();
        if (key >= Qt::Key_A && key <= Qt::Key_Z) {
            return QString(QChar(key - Qt::Key_A + 1));
        }
        if (key == Qt::Key_BracketLeft || key == Qt::Key_Backslash || key == Qt::Key_BracketRight) {
            return QString(QChar(key - Qt::Key_BracketLeft + 27));
        }
        return {};
    }
    if (altOnly) {
        return {};
    }
    return event.text();
}

// Whether a typed character is one a run of typing is made of, so that one undo takes the run.
bool IsTypingRun(const QString& characters) {
    return std::all_of(characters.begin(), characters.end(),
                       [](QChar c) { return c.unicode() >= 32 && c.unicode() != 127; });
}

// Whether an action of QLineEdit's standard menu is the one of that (untranslated) text. The
// menu's texts come from the same translation, followed by a tab and the shortcut.
bool IsMenuAction(const QAction& action, const char* text) {
    return action.text().section(u'\t', 0, 0) == QCoreApplication::translate("QLineEdit", text);
}

}  // namespace

TNumEditNew::TNumEditNew(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAcceptDrops(false);
    connect(this, &QLineEdit::textChanged, this, &TNumEditNew::Change);
    SetXiaoShuWei(2);
    SetCanNegative(false);
    SetZhengShuWei(9);
    StoreText(QStringLiteral("0.00"));
    SetShuZhi(QStringLiteral("0.00"));
    modifiedBase_ = QStringLiteral("0.00");
    modifiedState_ = 0;
    editing_ = false;
    negative_ = false;
}

void TNumEditNew::SetXiaoShuWei(int decimals) {
    xiaoShuWei_ = std::clamp(decimals, 0, amount::kMaxDecimals);
}

void TNumEditNew::SetZhengShuWei(int digits) {
    if (digits < 1 || digits > 17) {
        Dlg().Plain(QString::fromUtf16(kZhengShuWeiRange));
        return;
    }
    zhengShuWei_ = digits;
}

QString TNumEditNew::ShuZhi() const {
    const QString t = negative_ ? text().mid(1) : text();
    if (t.isEmpty()) {
        return QStringLiteral("0");
    }
    const QString plain = WithoutGrouping(t);
    return negative_ ? u'-' + plain : plain;
}

void TNumEditNew::SetShuZhi(const QString& value) {
    QString s = Trim(value).isEmpty() ? QStringLiteral("0.00") : value;
    editing_ = false;
    const bool negative = s.startsWith(u'-');
    if (negative) {
        s.remove(0, 1);
    }
    const QString sign = negative ? QStringLiteral("-") : QString();
    // Both conversions run before anything is shown, so that a failure leaves the box as it was.
    const QString first = sign + NumberText(ParseAmountText(s));
    const bool hasNumber = !Trim(s).isEmpty();
    double number = 0;
    if (hasNumber) {
        try {
            number = convert::TextToFloat(WithoutGrouping(s));
        } catch (const AppError&) {
            throw MakeError(msg::kNotValidFloat, s);
        }
    }
    ForgetHistory();
    StoreText(first);
    if (hasNumber) {
        if (number > 0) {
            StoreText(sign + amount::RoundedText(xiaoShuWei_, number));
        }
        negative_ = negative;
    }
}

QString TNumEditNew::DianWenShuZhi() const {
    QString t = negative_ ? text().mid(1) : text();
    const QString trimmed = Trim(t);
    if (trimmed.isEmpty() || trimmed == u"0.00") {
        return QStringLiteral("0");
    }
    t = WithoutGrouping(t);
    const qsizetype point = t.indexOf(u'.');
    const QString decimals = point < 0 ? t.left(2) : t.mid(point + 1, 2);
    if (point >= 0) {
        t[point] = u',';
    }
    if (decimals != u"00") {
        return t;
    }
    t.chop(2);
    return t;
}

double TNumEditNew::Value() const {
    try {
        return convert::TextToFloat(ShuZhi());
    } catch (const AppError&) {
        return 0;
    }
}

void TNumEditNew::SetValue(double v) {
    if (!std::isfinite(v)) {
        throw AppError(QString::fromUtf16(kInvalidOperation));
    }
    editing_ = false;
    ForgetHistory();
    StoreText(NumberText(v));
    StoreText(amount::RoundedText(xiaoShuWei_, v));
}

bool TNumEditNew::Modified() {
    const QString current = ShuZhi();
    bool answer = false;
    switch (modifiedState_) {
        case 0:
            answer = false;
            break;
        case 1:
            answer = true;
            break;
        default:
            answer = current != modifiedBase_;
            if (!answer) {
                return false;
            }
            break;
    }
    modifiedBase_ = current;
    modifiedState_ = 2;
    return answer;
}

void TNumEditNew::SetModified(bool modified) {
    modifiedState_ = modified ? 1 : 0;
}

void TNumEditNew::Clear() {
    ForgetHistory();
    StoreText(QString());
}

QString TNumEditNew::NumberText(double v) const {
    // A field width of ZhengShuWei would only pad with blanks that are trimmed off again, so the
    // text is not padded at all.
    return amount::FormatNumber(v, xiaoShuWei_);
}

double TNumEditNew::ParseAmountText(const QString& text) {
    if (text.isEmpty()) {
        return 0;
    }
    const QString rest = Unsigned(text);
    if (rest.isEmpty()) {
        return 0;
    }
    return convert::TextToFloat(rest);
}

int TNumEditNew::IntPartLength() const {
    if (text().isEmpty()) {
        return 0;
    }
    return static_cast<int>(WithoutGrouping(text()).size()) - xiaoShuWei_;
}

// Runs after every real change of the text, typed, pasted or stored.
void TNumEditNew::Change() {
    // Qt's setText clears the modified flag that every user edit sets: this change is a store,
    // after which the caret stands at 0.
    if (!isModified()) {
        setCursorPosition(0);
    }
    emit OnChange();
    if (!editing_) {
        return;
    }
    const int start = SelStart();
    if (!text().isEmpty()) {
        QString shown;
        try {
            shown = NumberText(ParseAmountText(text()));
        } catch (const AppError&) {
            if (typingWhole_) {
                // A paste into a text that is no number: it is put back, not reported as typed.
                refusedWhole_ = Refusal::Place;
                return;
            }
            Dlg().OkCancel(QString::fromUtf16(kFormatCaption), QString::fromUtf16(kFormatWrong));
            selectAll();
            return;
        }
        if (typingWhole_ && Exact(Unsigned(text())) != Exact(Unsigned(shown))) {
            // A pasted digit rounded away (typed behind full decimals): not the value pasted.
            refusedWhole_ = Refusal::Place;
        }
        if (negative_) {
            shown.prepend(u'-');
        }
        // Storing runs this handler once more; it finds the text in display shape, since
        // formatting a formatted value gives the same text, and only places the caret.
        StoreText(shown);
    }
    const int length = static_cast<int>(text().size());
    if (start > length - xiaoShuWei_) {
        SetSelStart(start);  // a digit or more into the decimals: stay there
    } else {
        SetSelStart(RestingPlace());
    }
}

bool TNumEditNew::KeyDown(int key) {
    const int start = SelStart();
    const int length = static_cast<int>(text().size());
    if (key == Qt::Key_Delete && start == length - xiaoShuWei_ - 1) {
        return true;  // the point cannot be deleted forwards
    }
    if (key == Qt::Key_Backspace && start == length - xiaoShuWei_) {
        // The character of this keystroke then deletes the last integer digit, not the point.
        SetSelStart(RestingPlace());
        return true;
    }
    return false;
}

void TNumEditNew::KeyPress(QChar c) {
    if (isReadOnly()) {
        return;
    }
    editing_ = true;
    const int start = SelStart();
    const int length = static_cast<int>(text().size());
    const bool digit = IsDigit(c);
    const bool accepted = (digit && IntPartLength() <= zhengShuWei_) || c == u'\b' || c == u'-' ||
                          c == u'.' || (digit && start > length - xiaoShuWei_ - 1);
    if (!accepted) {
        if (digit && hasSelectedText()) {
            insert(QString(c));  // a digit typed over a selection is never held back
        } else if (digit && !typingWhole_) {
            // The only reason a digit is refused is the limit: said, so that a cashier who keeps
            // typing learns that the amount shown is not the amount typed.
            RefuseWhole(Refusal::Digits, QString(c), Way::Typed);
        } else {
            if (typingWhole_ && digit) {
                refusedWhole_ = Refusal::Digits;
            }
            Refuse();
        }
        return;
    }
    if (c == u'.') {
        if (typingWhole_ && (xiaoShuWei_ == 0 || hasSelectedText() || start != RestingPlace())) {
            // Typed keys step the caret; a pasted point must land on the box's point, or its
            // digits would be read in the wrong place.
            refusedWhole_ = Refusal::Place;
            return;
        }
        SetSelStart(start + 1);
        return;
    }
    if (c == u'-') {
        if (!canNegative_) {
            if (hasSelectedText()) {
                insert(QString(c));  // the rewrite drops it again: the selection is deleted
            } else {
                Refuse();
            }
            return;
        }
        negative_ = !negative_;
        SetSelStart(negative_ ? length - xiaoShuWei_ - 1 : length - xiaoShuWei_ - 2);
        insert(QString(c));  // the rewrite removes it and puts the sign in front
        return;
    }
    if (digit && hasSelectedText()) {
        editing_ = false;
        del();  // removing the selection is not rewritten
        QString t = text();
        t.insert(start, c);
        editing_ = true;
        StoreText(t);
        return;
    }
    if (c == u'\b') {
        backspace();
    } else {
        insert(QString(c));
    }
}

void TNumEditNew::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (isReadOnly()) {
        return;  // every key, caret keys included, silently
    }
    if (EditingShortcut(*event)) {
        return;
    }
    const Shown before = Current();
    const bool consumed = KeyDown(event->key());
    const QString characters = TypedCharacters(*event);
    if (characters.isEmpty()) {
        if (!consumed) {
            // QLineEdit handles the key-down (caret keys, Delete...) but never inserts text on its
            // own.
            QKeyEvent bare(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                           event->nativeVirtualKey(), event->nativeModifiers(), QString(),
                           event->isAutoRepeat(), event->count());
            QLineEdit::keyPressEvent(&bare);
            event->setAccepted(bare.isAccepted());
        }
        Record(before, false);
        return;
    }
    for (QChar c : characters) {
        KeyPress(c);
    }
    Record(before, IsTypingRun(characters));
}

bool TNumEditNew::EditingShortcut(const QKeyEvent& event) {
    // Matched by key and modifiers: an X server sends Ctrl+A with the text U+0001, which the
    // character rules would refuse, and typing after it then added digits to the old amount.
    if (event.matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event.matches(QKeySequence::Copy)) {
        copy();
    } else if (event.matches(QKeySequence::Cut)) {
        CutSelection();
    } else if (event.matches(QKeySequence::Paste)) {
        if (event.key() != Qt::Key_Insert || event.modifiers() != Qt::ShiftModifier) {
            PasteTyped();
            return true;
        }
        // Shift+Insert stays QLineEdit's own paste, the way to put a text in unfiltered, whose
        // handling by the change rewrite and by the pages' checks has its own tests; but only a
        // text that leaves a value that fits whole.
        const QString clip = QGuiApplication::clipboard()->text();
        const Refusal why = JudgeInserted(clip);
        if (why == Refusal::None) {
            return false;
        }
        RefuseWhole(why, clip, Way::Pasted);
    } else if (event.matches(QKeySequence::Undo)) {
        Undo();
    } else if (event.matches(QKeySequence::Redo)) {
        Redo();
    } else {
        return false;
    }
    return true;
}

void TNumEditNew::PasteTyped() {
    if (isReadOnly()) {
        return;
    }
    const Shown before = Current();
    TypeWhole(QGuiApplication::clipboard()->text(), Way::Pasted);
    Record(before, false);
}

void TNumEditNew::TypeWhole(const QString& text, Way way) {
    if (isReadOnly()) {
        return;
    }
    // The characters are typed, so that a paste can never put into the box what the keys could
    // not. Grouping commas and blanks (as the box itself shows and copies an amount, or a sheet
    // cell brings a line end) are not typed at all.
    QString typed;
    for (QChar c : text) {
        if (c != u',' && !c.isSpace()) {
            typed.append(c);
        }
    }
    const bool numberLike = std::any_of(
        typed.begin(), typed.end(), [](QChar c) { return IsDigit(c) || c == u'.' || c == u'-'; });
    if (!numberLike) {
        // Nothing of a number: every character is refused as a typed one is, and a paste beeps
        // once for all of them.
        holdBeeps_ = way == Way::Pasted;
        heldBeep_ = false;
        for (QChar c : typed) {
            KeyPress(c);
        }
        holdBeeps_ = false;
        if (heldBeep_) {
            Dlg().Beep();
        }
        return;
    }
    const Shown before = Current();
    Refusal why = JudgeTyped(typed);
    if (why == Refusal::None) {
        // A point at the start of a new value reads as "0.": there is no point to land on yet.
        const qsizetype sign = typed.startsWith(u'-') ? 1 : 0;
        if (typed.mid(sign).startsWith(u'.') &&
            (this->text().isEmpty() || selectedText().size() == this->text().size())) {
            typed.insert(sign, u'0');
        }
        typingWhole_ = true;
        refusedWhole_ = Refusal::None;
        for (QChar c : typed) {
            KeyPress(c);
            if (refusedWhole_ != Refusal::None) {
                break;
            }
        }
        typingWhole_ = false;
        why = refusedWhole_;
        // Digits typed over a selection are never held back by the limit; the whole is.
        const std::optional<ExactNumber> shown = Exact(Unsigned(this->text()));
        if (why == Refusal::None && shown && shown->IntegerDigits() > zhengShuWei_) {
            why = Refusal::Digits;
        }
        if (why != Refusal::None) {
            PutBack(before);
        }
    }
    if (why != Refusal::None) {
        RefuseWhole(why, text, way);
    }
}

TNumEditNew::Refusal TNumEditNew::JudgeTyped(const QString& typed) const {
    const qsizetype sign = typed.startsWith(u'-') ? 1 : 0;
    const QString body = typed.mid(sign);
    const bool plain =
        std::all_of(body.begin(), body.end(), [](QChar c) { return IsDigit(c) || c == u'.'; }) &&
        body.count(u'.') <= 1 && std::any_of(body.begin(), body.end(), IsDigit);
    const std::optional<ExactNumber> value = plain ? Exact(body) : std::nullopt;
    if (!value) {
        return Refusal::NoNumber;
    }
    if (sign > 0 && !canNegative_) {
        return Refusal::Negative;
    }
    const Refusal why = JudgePlaces(value->IntegerDigits(), value->Decimals());
    return why == Refusal::None && xiaoShuWei_ == 0 && body.contains(u'.') ? Refusal::Decimals
                                                                           : why;
}

TNumEditNew::Refusal TNumEditNew::JudgePlaces(qint64 integerDigits, qint64 decimals) const {
    if (integerDigits > zhengShuWei_) {
        return Refusal::Digits;
    }
    if (decimals > xiaoShuWei_) {
        return Refusal::Decimals;
    }
    return Refusal::None;
}

TNumEditNew::Refusal TNumEditNew::JudgeInserted(const QString& clip) const {
    if (clip.isEmpty() && !hasSelectedText()) {
        return Refusal::None;  // QLineEdit does nothing
    }
    // The text alone, as the change handling reads it: signs dropped, which a box without a sign
    // must not do silently.
    if (clip.contains(u'-') && !canNegative_) {
        return convert::Trim(clip).lastIndexOf(u'-') == 0 ? Refusal::Negative : Refusal::NoNumber;
    }
    const QString alone = Unsigned(clip);
    if (!alone.isEmpty()) {
        const std::optional<ExactNumber> value = Exact(alone);
        if (!value) {
            return Refusal::NoNumber;
        }
        if (const Refusal why = JudgePlaces(value->IntegerDigits(), value->Decimals());
            why != Refusal::None) {
            return why;
        }
    }
    // Then the text the paste leaves: the selection, or nothing at the caret, replaced by it.
    const int start = SelStart();
    const QString left = text().left(start) + clip + text().mid(start + selectedText().size());
    if (left.size() > maxLength()) {
        return Refusal::Place;  // QLineEdit would cut it
    }
    const QString plain = Unsigned(left);
    if (plain.isEmpty()) {
        return Refusal::None;
    }
    const std::optional<ExactNumber> value = Exact(plain);
    return value ? JudgePlaces(value->IntegerDigits(), value->Decimals()) : Refusal::Place;
}

void TNumEditNew::RefuseWhole(Refusal why, const QString& text, Way way) {
    Dlg().Beep();
    const QString verb = way == Way::Typed ? QStringLiteral("输入") : QStringLiteral("粘贴");
    const QString excerpt = convert::Excerpt(convert::Trim(text));
    const QString limit = QString::number(why == Refusal::Digits ? zhengShuWei_ : xiaoShuWei_);
    QString reason;
    switch (why) {
        case Refusal::Digits:
            reason = QString::fromUtf16(kTooManyDigits).arg(limit, verb, excerpt);
            break;
        case Refusal::Decimals:
            reason = xiaoShuWei_ == 0
                         ? QString::fromUtf16(kNoDecimals).arg(verb, excerpt)
                         : QString::fromUtf16(kTooManyDecimals).arg(limit, verb, excerpt);
            break;
        case Refusal::Negative:
            reason = QString::fromUtf16(kNegative).arg(verb, excerpt);
            break;
        case Refusal::NoNumber:
            reason = QString::fromUtf16(kNoNumber).arg(verb, excerpt);
            break;
        case Refusal::Place:
            reason = QString::fromUtf16(kPlace).arg(verb, excerpt);
            break;
        case Refusal::None:
            return;
    }
    emit OnRefuse(reason);
}

void TNumEditNew::PutBack(const Shown& shown) {
    editing_ = false;
    StoreText(shown.text);
    negative_ = shown.negative;
    editing_ = shown.editing;
    setModified(shown.modified);
    if (shown.selLength == 0) {
        setCursorPosition(shown.cursor);
    } else if (shown.cursor == shown.selStart) {
        setSelection(shown.selStart + shown.selLength, -shown.selLength);
    } else {
        setSelection(shown.selStart, shown.selLength);
    }
}

void TNumEditNew::CutSelection() {
    if (isReadOnly() || !hasSelectedText()) {
        return;
    }
    const Shown before = Current();
    editing_ = true;  // what is left is rewritten as after a typed change
    cut();
    Record(before, false);
}

void TNumEditNew::DeleteSelection() {
    if (isReadOnly() || !hasSelectedText()) {
        return;
    }
    const Shown before = Current();
    del();  // as the Delete key does
    Record(before, false);
}

TNumEditNew::Shown TNumEditNew::Current() const {
    return {text(),
            negative_,
            editing_,
            SelStart(),
            static_cast<int>(selectedText().size()),
            cursorPosition(),
            isModified()};
}

void TNumEditNew::Record(const Shown& before, bool typing) {
    if (before.text == text() && before.negative == negative_) {
        return;  // a refused key, a caret move
    }
    // Typing on where the last typed character left the caret continues the same undo step.
    const bool sameRun = typing && typingRun_ && !undo_.empty() && before.text == runText_ &&
                         before.selLength == 0 && before.selStart == runCaret_;
    if (!sameRun) {
        undo_.push_back(before);
        if (undo_.size() > kUndoDepth) {
            undo_.erase(undo_.begin());
        }
    }
    redo_.clear();
    typingRun_ = typing;
    runText_ = text();
    runCaret_ = SelStart();
}

void TNumEditNew::ForgetHistory() {
    undo_.clear();
    redo_.clear();
    typingRun_ = false;
}

void TNumEditNew::Undo() {
    StepBack(undo_, redo_);
}

void TNumEditNew::Redo() {
    StepBack(redo_, undo_);
}

void TNumEditNew::StepBack(std::vector<Shown>& from, std::vector<Shown>& to) {
    if (isReadOnly()) {
        return;
    }
    typingRun_ = false;
    while (!from.empty()) {
        const Shown target = from.back();
        from.pop_back();
        const Shown current = Current();
        if (Restore(target)) {
            to.push_back(current);
            return;
        }
    }
}

bool TNumEditNew::Restore(const Shown& shown) {
    // Every step comes back in the box's number shape, or not at all: a text that was never
    // rewritten (a Delete before any typing) comes back rewritten; one that is no number, or that
    // shows as the box shows now, is skipped.
    QString t;
    if (!shown.text.isEmpty()) {
        try {
            t = NumberText(ParseAmountText(shown.text));
        } catch (const AppError&) {
            return false;
        }
        if (shown.text.startsWith(u'-')) {
            t.prepend(u'-');
        }
    }
    if (t == text() && shown.negative == negative_) {
        return false;  // a step that would show no change is no step to the user
    }
    editing_ = false;
    StoreText(t);
    negative_ = shown.negative;
    editing_ = shown.editing;
    const int length = static_cast<int>(t.size());
    const int start = std::min(shown.selStart, length);
    const int selected = std::min(shown.selLength, length - start);
    if (selected > 0) {
        setSelection(start, selected);
    } else {
        SetSelStart(start);
    }
    return true;
}

void TNumEditNew::Refuse() {
    if (typingWhole_) {
        if (refusedWhole_ == Refusal::None) {
            refusedWhole_ = Refusal::NoNumber;
        }
        return;
    }
    if (holdBeeps_) {
        heldBeep_ = true;
    } else {
        Dlg().Beep();
    }
}

void TNumEditNew::contextMenuEvent(QContextMenuEvent* event) {
    // QLineEdit's own menu, its texts translated, with the actions that change the text run
    // through the box: paste types the clipboard, undo steps back through the box's history.
    QMenu* menu = createStandardContextMenu();
    const bool writable = !isReadOnly();
    const struct {
        const char* text;
        std::function<void()> run;
        bool enabled;  // for undo and redo; the others keep the menu's own state
        bool own;
    } replaced[] = {
        {"&Undo", [this] { Undo(); }, writable && !undo_.empty(), true},
        {"&Redo", [this] { Redo(); }, writable && !redo_.empty(), true},
        {"Cu&t", [this] { CutSelection(); }, false, false},
        {"&Paste", [this] { PasteTyped(); }, false, false},
        {"Delete", [this] { DeleteSelection(); }, false, false},
    };
    for (QAction* action : menu->actions()) {
        for (const auto& r : replaced) {
            if (IsMenuAction(*action, r.text)) {
                QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
                connect(action, &QAction::triggered, this, r.run);
                if (r.own) {
                    action->setEnabled(r.enabled);
                }
            }
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

void TNumEditNew::mouseReleaseEvent(QMouseEvent* event) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && !isReadOnly() && clipboard->supportsSelection()) {
        // QLineEdit pastes the selection clipboard at the caret the press left, as Shift+Insert
        // pastes: judged the same way.
        deselect();
        const QString clip = clipboard->text(QClipboard::Selection);
        if (const Refusal why = JudgeInserted(clip); why != Refusal::None) {
            RefuseWhole(why, clip, Way::Pasted);
            event->accept();
            return;
        }
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TNumEditNew::keyReleaseEvent(QKeyEvent* event) {
    if (isReadOnly()) {
        event->accept();
        return;
    }
    QLineEdit::keyReleaseEvent(event);
}

void TNumEditNew::inputMethodEvent(QInputMethodEvent* event) {
    if (isReadOnly()) {
        event->accept();  // QLineEdit would insert committed text even here
        return;
    }
    if (event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // End the composition, type the committed characters through the filter, then show the
    // preedit text that follows them, if any.
    QInputMethodEvent endComposition;
    QLineEdit::inputMethodEvent(&endComposition);
    const Shown before = Current();
    if (event->commitString().size() > 1) {
        TypeWhole(event->commitString(), Way::Typed);
    } else {
        KeyPress(event->commitString().front());
    }
    Record(before, IsTypingRun(event->commitString()));
    if (!event->preeditString().isEmpty()) {
        QInputMethodEvent preedit(event->preeditString(), event->attributes());
        QLineEdit::inputMethodEvent(&preedit);
    }
    event->accept();
}

void TNumEditNew::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (event->reason() == Qt::PopupFocusReason) {
        return;  // a closing menu gives the focus back; the box never lost it to the user
    }
    modifiedBase_ = ShuZhi();
    modifiedState_ = 2;
    if (autoSelect_) {
        selectAll();
    } else {
        SetSelStart(RestingPlace());
    }
}

void TNumEditNew::StoreText(const QString& text) {
    if (text != this->text()) {
        setText(text);
    }
}

int TNumEditNew::SelStart() const {
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

void TNumEditNew::SetSelStart(int position) {
    const int length = static_cast<int>(text().size());
    if (position < 0 || position > length) {
        position = length;
    }
    setCursorPosition(position);
}

int TNumEditNew::RestingPlace() const {
    const int length = static_cast<int>(text().size());
    return xiaoShuWei_ == 0 ? length : length - xiaoShuWei_ - 1;
}

Dialogs& TNumEditNew::Dlg() {
    if (dialogs_ != nullptr) {
        return *dialogs_;
    }
    static QtDialogs fallback;
    return fallback;
}
