// TNumEditNew: the one-line amount box. It shows its value right-aligned, grouped by thousands
// with a fixed number of decimals, lets only a number be typed, rewrites every typed change into
// that shape (integer digits pile up in front of the point as on a calculator) and hands the
// value out as display text, plain text ShuZhi, message form DianWenShuZhi and double Value.
//
// How keystrokes map onto Qt. The box behaves like the classic edit box it was designed on, where
// one keystroke is a key-down (KeyDown) followed by a character (KeyPress):
//   - Backspace is both: KeyDown may first move the caret, then the character deletes in front
//     of the caret. Delete, the arrows, Home/End and Shift+Insert (paste) are key-downs only and
//     are left to QLineEdit, so Shift+Insert inserts the clipboard text unfiltered.
//   - The standard editing keys, matched by key and modifiers whatever text the event carries
//     (an X server sends Ctrl+A with U+0001): select all (Ctrl+A) and copy (Ctrl+C, Ctrl+Insert)
//     act as in every line edit; cut (Ctrl+X, Shift+Delete) removes the selection and the rest is
//     rewritten into the box's shape as after a typed change; paste (Ctrl+V) types the
//     clipboard's characters through the filter, skipping grouping commas and blanks, as one
//     whole (see below); undo (Ctrl+Z) and redo (Ctrl+Shift+Z, on Windows also Ctrl+Y) step
//     through the box's own history, see below.
//   - Any other Ctrl with a letter (without Alt) types the control character of that letter, a
//     refused character: a beep, nothing happens. Ctrl+Backspace types character 127 (refused).
//     Enter, Escape and Tab are refused characters too; they are swallowed with a beep and do not
//     reach a dialog's default button.
//   - Alt with a key (without Ctrl) types no character; QLineEdit may act on it as one of its
//     editing keys. Text a key event carries never reaches QLineEdit directly: every character
//     goes through the filter.
//   - Text committed by an input method goes through the filter like typed keys, a text of
//     several characters as one whole (see below); the uncommitted preedit text is shown by
//     QLineEdit. Replacement ranges of the commit are not used.
//   - The context menu is QLineEdit's, with paste, cut, delete, undo and redo run as the keys
//     Ctrl+V, Ctrl+X, Delete, Ctrl+Z and redo run them. Shift+Insert (and, where the system has
//     one, the middle button's paste of the selection) stays QLineEdit's own paste, which puts the
//     text in unfiltered, but only once the text it would leave is judged whole (see below). Text
//     put in by the program (setText, or a menu built by createStandardContextMenu, whose paste
//     inserts unfiltered) is left to the change handling, which rewrites it once a character has
//     been typed. Dropping text is refused: the box accepts no drop.
//   - A value is taken whole or not at all. A typed digit beyond the limit is refused; a pasted or
//     committed text is taken only when every character lands as typed: it is a number, without
//     a sign the box cannot hold, with at most ZhengShuWei integer and XiaoShuWei decimal digits
//     (grouping commas, blanks and trailing zeros of the decimals do not count), the point lands
//     on the box's point, and no digit is rounded away or held back. Otherwise the box stays
//     exactly as it was (text, sign, selection), beeps once and tells why through OnRefuse, for
//     the window's status bar. A paste without a single digit, point or sign only beeps, as the
//     filter beeps at refused keys. A point at the start of a paste over the whole text (or into
//     an empty box) reads as "0.", so that ".5" gives 0.50.
//   - Undo history. QLineEdit's own is lost at every rewrite, so the box keeps one: each change
//     by a key, a paste, a cut or a commit is a step, a run of typed characters one step. A step
//     comes back in the box's number shape (a text that is no number is skipped), with its sign
//     and selection. Storing a value from the program forgets the history, so that undo never
//     brings back the amount of another record.
//   - A text stored by the program leaves the caret at position 0, and storing the current text
//     again is no change. Qt's own setText resets QLineEdit's modified flag, which is how the
//     change handling tells a stored text (caret to 0) from a typed one. A caret position outside
//     the text puts the caret at the end.
//
// Choices where the behaviour is open:
//   - XiaoShuWei is clamped to 0..10 (the range of the display patterns).
//   - RoundedText of a value whose magnitude times 10^XiaoShuWei does not fit a signed 64-bit
//     integer rounds like NumberText instead (18 significant digits, half away from zero).
//   - Value write with an infinite or NaN value throws AppError "Invalid floating point operation"
//     and leaves the box as it was.
//   - ShuZhi write accepts a text in display shape fully: "," and spaces are removed before the
//     final conversion, so "1,234.5" shows 1,234.50. A text whose parts convert but which as a
//     whole is no number (such as "1-2") fails with the conversion error before the text changes.
//   - ShuZhi write of a sign alone ("-") shows -0.00 and leaves Negative as it was: Negative
//     follows the sign only of a text that holds a number.
//   - Grouping "," and decimal point "." are fixed; the system's number settings are not read.
//   - Values of 10^18 and above are shown in full digits, never in exponent form.
//   - A mouse click that gives the box the focus selects all (AutoSelect) and then, as the mouse
//     press is handled, puts the caret where the user clicked. A context menu closing hands the
//     focus back without counting as a focus gain.
//   - Modified is a property like the others, so it can be read by name; as in a direct call,
//     each read starts a new comparison. It is not stored and not shown to designers, so that
//     tools listing every property do not read it by the way.
//   - The change notification is the signal OnChange, emitted for every real change before the
//     text is rewritten, so it sees the raw typed text and then the rewritten one. (Slots on
//     textChanged() connected after construction receive the rewritten text first, nested.)
#pragma once

#include <QLineEdit>
#include <QString>

#include <vector>

class Dialogs;
class QContextMenuEvent;
class QFocusEvent;
class QInputMethodEvent;
class QKeyEvent;
class QMouseEvent;

class TNumEditNew : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int XiaoShuWei READ XiaoShuWei WRITE SetXiaoShuWei)
    Q_PROPERTY(int ZhengShuWei READ ZhengShuWei WRITE SetZhengShuWei)
    Q_PROPERTY(bool CanNegative READ CanNegative WRITE SetCanNegative)
    Q_PROPERTY(QString ShuZhi READ ShuZhi WRITE SetShuZhi)
    Q_PROPERTY(QString DianWenShuZhi READ DianWenShuZhi)
    Q_PROPERTY(double Value READ Value WRITE SetValue)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool Modified READ Modified WRITE SetModified STORED false DESIGNABLE false)

public:
    // A new box shows "0.00" with 2 decimals, at most 9 typed integer digits, no sign key.
    explicit TNumEditNew(QWidget* parent = nullptr);

    // Where the box's messages and beeps go; without one it uses real message boxes.
    void SetDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }

    // Number of decimals shown (0 to 10). Setting it does not rewrite the text; the next
    // formatting uses it.
    int XiaoShuWei() const { return xiaoShuWei_; }
    void SetXiaoShuWei(int decimals);

    // Limit on typed integer digits, 1 to 17. Another value shows "ZhengShuWei is from l to 17."
    // (with the letter l, exactly so) in a plain box and keeps the old limit.
    int ZhengShuWei() const { return zhengShuWei_; }
    void SetZhengShuWei(int digits);

    // Whether the "-" key toggles the sign.
    bool CanNegative() const { return canNegative_; }
    void SetCanNegative(bool can) { canNegative_ = can; }

    // The shown value carries a leading "-" that the box manages itself.
    bool Negative() const { return negative_; }

    // The display text without "," and spaces, "-" in front when Negative; "0" for an empty box.
    QString ShuZhi() const;
    // Shows a plain decimal number (optional leading "-") in display shape; sets Negative from
    // its sign. A blank text shows 0.00. Throws AppError "'%s' is not a valid floating point
    // value" for a text that is no number; the text and Negative then stay as they were.
    void SetShuZhi(const QString& value);

    // The message form: no sign, no grouping, the point replaced by ","; a decimal part of exactly
    // "00" dropped ("100,"); "0" for an empty box or "0.00".
    QString DianWenShuZhi() const;

    // ShuZhi as a double; 0 when it does not convert.
    double Value() const;
    // Shows v rounded by RoundedText; Negative is left alone.
    void SetValue(double v);

    // Whether ShuZhi changed since the last read or the last focus gain (see SetModified).
    // Each read starts a new comparison.
    bool Modified();
    // Decides the answer of the next read: true answers true, false answers false.
    void SetModified(bool modified);

    // Empties the box; ShuZhi then reads "0". Negative is left alone.
    void Clear();

    // Select the whole text at focus gain (true), or put the caret in front of the point.
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool select) { autoSelect_ = select; }

    // A read-only box ignores every key without a sound; the program still sets its value.
    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool readOnly) { setReadOnly(readOnly); }

    // Set while typed changes are rewritten into display shape: from the first character that
    // reaches a writable box until the program next sets the value.
    bool Editing() const { return editing_; }

    // The display text of v: grouped, XiaoShuWei decimals, rounded half away from zero on the
    // 18-digit decimal expansion.
    QString NumberText(double v) const;
    // The value of a text in any shape: "," spaces and "-" are ignored; empty counts as 0.
    // Throws AppError for a text that is no number.
    static double ParseAmountText(const QString& text);
    // The length of the text without "," and spaces, less XiaoShuWei; 0 for an empty text.
    int IntPartLength() const;

signals:
    // Every real change of the text, before the box rewrites it.
    void OnChange();
    // A keystroke, paste or input-method text the box refused, with why, for the window's
    // status bar (the box has none of its own).
    void OnRefuse(const QString& reason);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // What the box shows, as one undo step keeps it.
    struct Shown {
        QString text;
        bool negative;
        bool editing;
        int selStart;
        int selLength;
        int cursor;
        bool modified;
    };
    // Why a value was refused whole.
    enum class Refusal { None, Digits, Decimals, Negative, NoNumber, Place };
    // How the refused text came in, as the message names it.
    enum class Way { Typed, Pasted };

    void Change();
    bool KeyDown(int key);  // true when the key is consumed
    void KeyPress(QChar c);
    void StoreText(const QString& text);
    int SelStart() const;
    void SetSelStart(int position);
    int RestingPlace() const;  // in front of the point, or the end without decimals
    Dialogs& Dlg();
    void Refuse();  // the beep of a refused character

    bool EditingShortcut(const QKeyEvent& event);  // true when the key is one
    void PasteTyped();
    // Types a pasted or committed text through the filter as one whole: taken as typed, or the
    // box put back as it was, with a beep and the reason.
    void TypeWhole(const QString& text, Way way);
    // What the text alone says against it: no number, a sign, too many digits.
    Refusal JudgeTyped(const QString& typed) const;
    // Whether QLineEdit's own paste of the text at the caret leaves a value that fits.
    Refusal JudgeInserted(const QString& text) const;
    // Whether a number of so many integer digits and decimals fits the box.
    Refusal JudgePlaces(qint64 integerDigits, qint64 decimals) const;
    void RefuseWhole(Refusal why, const QString& text, Way way);
    void PutBack(const Shown& shown);
    void CutSelection();
    void DeleteSelection();
    Shown Current() const;
    // Keeps `before` as an undo step when the text or sign changed since; typing is merged with
    // the typing just before it.
    void Record(const Shown& before, bool typing);
    void ForgetHistory();
    void Undo();
    void Redo();
    void StepBack(std::vector<Shown>& from, std::vector<Shown>& to);
    bool Restore(const Shown& shown);

    Dialogs* dialogs_ = nullptr;
    int zhengShuWei_ = 9;
    int xiaoShuWei_ = 2;
    bool editing_ = false;
    bool canNegative_ = false;
    bool negative_ = false;
    bool autoSelect_ = true;
    QString modifiedBase_;
    int modifiedState_ = 0;
    bool holdBeeps_ = false;  // while a paste types: one beep for all its refused characters
    bool heldBeep_ = false;
    bool typingWhole_ = false;  // while a paste or commit types: a refusal is noted, not said
    Refusal refusedWhole_ = Refusal::None;
    std::vector<Shown> undo_;
    std::vector<Shown> redo_;
    bool typingRun_ = false;  // the last step was typing, which left runText_ and runCaret_
    QString runText_;
    int runCaret_ = 0;
};
