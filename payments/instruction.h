// One transfer instruction of the batch page as a value: its eleven fields in the table's
// order, their sizes in bytes, required flags and grid titles, and the one check every
// instruction passes before it is stored or written, whichever way it came in.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace payments {

// The instruction table's fields, in definition order.
enum InstructionField {
    kCpFlag,
    kPayAcct,
    kRecAcct,
    kRecver,
    kRecBankCode,
    kRecBank,
    kCur,
    kAmt,
    kUse,
    kRemitType,
    kRemark,
    kInstructionFieldCount
};

struct InstructionFieldDefinition {
    const char16_t* name;
    const char16_t* title;
    int size;  // bytes in the file encoding
    bool required;
};
const InstructionFieldDefinition& InstructionFieldDef(int field);
QString InstructionFieldName(int field);
QString InstructionFieldTitle(int field);
// The field of that name; -1 when none.
int InstructionFieldIndex(const QString& name);

inline constexpr char16_t kOwnBank[] = u"星澜聚川银行";
// The refusal of a cross-bank instruction without the recipient bank's number.
inline constexpr char16_t kCrossBankWithoutCode[] = u"跨行转账必须填写收款方开户行编号";

// One instruction as the table holds it; the currency is always "CNY".
struct Instruction {
    QString cpflag, payacct, recacct, recver, recbankcode, recbank, amt, use, remittype, remark;

    // The eleven texts in the table's field order, and back.
    QStringList Row() const;
    static Instruction FromRow(const QStringList& row);
    bool operator==(const Instruction&) const = default;
};

// Checks one value for a field, as it enters the table: a "|", a line break, another control
// character or a byte that is no character, and a value longer than its field, are refused.
// Returns the reason naming the field by its grid title, or nothing when the value may stand.
std::optional<QString> CheckInstructionValue(int field, const QString& value);

// Checks the values of one instruction as the export writes them: every value as above, the
// required ones present, accounts and the bank number within their size, a cross-bank
// transfer with its bank's number, the amount a sound amount to pay. Returns the reason they
// are refused, or nothing when they are sound.
std::optional<QString> CheckInstruction(const Instruction& in);

}  // namespace payments
