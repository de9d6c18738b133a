// The bank's batch upload file: one instruction per line, eleven fields joined by "|",
// CR LF after every line, GB18030 text.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "controls/amountformat.h"
#include "platform/text/convert.h"

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

using amount::kMaxAmountDigits;
// Size in bytes of the account and bank number fields.
inline constexpr int kMaxAccountBytes = 20;

// The refusal of a cross-bank instruction without the recipient bank's number.
inline constexpr char16_t kCrossBankWithoutCode[] = u"跨行转账必须填写收款方开户行编号";

using amount::AmountCheck;
using amount::CheckAmount;

// Checks the values of one instruction as the export writes them; returns the reason they
// are refused (naming the field by its grid title), or nothing when they are sound.
std::optional<QString> CheckInstruction(const Instruction& in);

// Checks one line, everything a row could be refused for included; returns the reason it is
// refused, or nothing when it is sound.
std::optional<QString> CheckLine(const QString& line);
// Cuts a line that CheckLine accepted.
ImportLine ParseLine(const QString& line);
// The instruction a line holds, its codes as the table's texts (I 公司, P 私人, D 跨行;
// H 加急, N 普通): what FormatLine writes back as the same line.
Instruction ToInstruction(const ImportLine& line);

// True when a value can stand in a line: no "|", no control character (CR and LF included),
// no byte that is no character.
bool IsPlainValue(const QString& value);

using convert::Excerpt;

// The default file name for a date text "yyyy-MM-dd".
QString DefaultFileName(const QString& date);

}  // namespace uploadfile
