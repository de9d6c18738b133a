// The rules every value of a payment meets, whichever page and whichever way it came in
// (typed, edited in place, an upload file, a spreadsheet, a restore): nothing is cut or
// altered silently, and a refusal names the item.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

#include "payments/money.h"

namespace payments {

// The largest number of integer digits an amount to be paid may have: with two decimals that is
// fifteen significant digits, which the amount box carries exactly.
inline constexpr int kMaxAmountDigits = 13;

// An amount to be paid, read exactly: its normal form (digits, "." and two decimals) and value,
// or the reason it is refused: no number, a third decimal, not above 0, or more integer digits
// than the box holds.
struct AmountCheck {
    QString normal;
    Money money;
    std::optional<QString> refusal;
};
AmountCheck CheckAmount(const QString& text);

// What keeps a value out of an upload line or a list file: a "|" or a line break would shift
// the fields the bank reads, another control character or a byte that is no character would
// be read as something else.
enum class Flaw { None, PipeOrLineBreak, Control, Undecodable };
Flaw FindFlaw(QStringView value);
inline bool IsPlainValue(QStringView value) {
    return FindFlaw(value) == Flaw::None;
}
// The refusal of a flawed value of the item named label: "“收款方”不能包含“|”或换行符",
// "“收款方”含有控制字符", "“收款方”含有无法识别的字节".
QString FlawText(const QString& label, Flaw flaw);

// The refusal of a value longer than its field's size in bytes, or nothing when it fits:
// "“收款方”超过64字节，不能截断：“…”".
std::optional<QString> SizeRefusal(const QString& label, const QString& value, int maxBytes);

// True when a number is written in exponent form ("1.23457E+11", "1e5"): how a spreadsheet
// shows a long number in General format, its last digits already lost. An amount so written
// is refused where it is read, never paid as rounded.
bool IsExponentForm(const QString& text);
// Whether a sheet's account or bank number reads as a number cell of 16 or more digits shows it,
// in exponent form ("6.22202E+18"): its last digits are already lost.
bool IsNumberCellForm(const QString& text);
// The refusal of an amount in exponent form, naming the text.
QString ExponentAmountText(const QString& text);

// True when the text is one or more of the digits 0 to 9 and nothing else.
bool AllDigits(QStringView text);

// A stored amount text shown grouped with two decimals ("1,234.50"); a text that holds no
// number is shown as it is.
QString GroupedText(const QString& amount);

}  // namespace payments
