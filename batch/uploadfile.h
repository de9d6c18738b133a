// The bank's batch upload file: one instruction per line, eleven fields joined by "|",
// CR LF after every line, GB18030 text.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace uploadfile {

// One instruction as the table holds it.
struct Instruction {
    QString cpflag, payacct, recacct, recver, recbankcode, recbank, amt, use, remittype, remark;
};

// The line of one instruction.
QString FormatLine(const Instruction& in);

// The fields of one imported line, cut at "|" only. The remark may be missing (10 fields).
struct ImportLine {
    QString typeCode, payacct, recacct, recver, recbank, recbankcode, amt, use, remitCode, remark;
};

// The largest number of integer digits an amount may have: with two decimals that is fifteen
// significant digits, which the amount box carries exactly.
inline constexpr int kMaxAmountDigits = 13;
// Size in bytes of the account and bank number fields.
inline constexpr int kMaxAccountBytes = 20;

// An amount read exactly: its normal form (digits, "." and two decimals) or the reason it is
// refused: no number, a third decimal, not above 0, or more integer digits than the box holds.
struct AmountCheck {
    QString normal;
    std::optional<QString> refusal;
};
AmountCheck CheckAmount(const QString& text);

// Checks the values of one instruction as the export writes them; returns the reason they
// are refused (naming the field by its grid title), or nothing when they are sound.
std::optional<QString> CheckInstruction(const Instruction& in);

// Checks one line, everything a row could be refused for included; returns the reason it is
// refused, or nothing when it is sound.
std::optional<QString> CheckLine(const QString& line);
// Cuts a line that CheckLine accepted.
ImportLine ParseLine(const QString& line);

// True when a value can stand in a line: no "|", no control character (CR and LF included),
// no byte that is no character.
bool IsPlainValue(const QString& value);

// At most a few characters of a value, for a message; never splits a character.
QString Excerpt(const QString& value);

// The default file name for a date text "yyyy-MM-dd".
QString DefaultFileName(const QString& date);

}  // namespace uploadfile
