#include "payments/instruction.h"

#include "payments/values.h"
#include "platform/text/convert.h"

namespace payments {

namespace {

constexpr InstructionFieldDefinition kFields[kInstructionFieldCount] = {
    {u"cpflag", u"公私标志", 6, true},
    {u"payacct", u"付款账号", 20, true},
    {u"recacct", u"收款账号", 20, true},
    {u"recver", u"收款方", 64, true},
    {u"recbankcode", u"收款方开户行编号", 20, false},
    {u"recbank", u"收款方开户行名称", 40, true},
    {u"cur", u"币种", 3, true},
    {u"amt", u"金额", 20, true},
    {u"use", u"用途", 30, true},
    {u"remittype", u"方式", 4, true},
    {u"remark", u"备注", 20, false},
};

}  // namespace

const InstructionFieldDefinition& InstructionFieldDef(int field) {
    return kFields[field];
}

QString InstructionFieldName(int field) {
    return QString::fromUtf16(kFields[field].name);
}

QString InstructionFieldTitle(int field) {
    return QString::fromUtf16(kFields[field].title);
}

int InstructionFieldIndex(const QString& name) {
    for (int i = 0; i < kInstructionFieldCount; ++i) {
        if (name == QString::fromUtf16(kFields[i].name)) {
            return i;
        }
    }
    return -1;
}

QStringList Instruction::Row() const {
    return {cpflag, payacct, recacct,   recver, recbankcode, recbank, QStringLiteral("CNY"),
            amt,    use,     remittype, remark};
}

Instruction Instruction::FromRow(const QStringList& row) {
    return {row.value(kCpFlag),      row.value(kPayAcct), row.value(kRecAcct), row.value(kRecver),
            row.value(kRecBankCode), row.value(kRecBank), row.value(kAmt),     row.value(kUse),
            row.value(kRemitType),   row.value(kRemark)};
}

std::optional<QString> CheckInstructionValue(int field, const QString& value) {
    const QString title = InstructionFieldTitle(field);
    if (const Flaw flaw = FindFlaw(value); flaw != Flaw::None) {
        return FlawText(title, flaw);
    }
    return SizeRefusal(title, value, kFields[field].size);
}

std::optional<QString> CheckInstruction(const Instruction& in) {
    const QStringList row = in.Row();
    for (int field = 0; field < kInstructionFieldCount; ++field) {
        if (field == kAmt) {
            continue;  // checked as an amount below
        }
        if (auto refusal = CheckInstructionValue(field, row[field])) {
            return refusal;
        }
        const bool required = field == kPayAcct || field == kRecAcct || field == kRecver ||
                              field == kRecBank || field == kUse;
        if (required && row[field].isEmpty()) {
            return QStringLiteral("“%1”为空").arg(InstructionFieldTitle(field));
        }
    }
    // The codes the upload file writes: any other text would be written as a private payment
    // or an ordinary remittance without a word.
    if (in.cpflag != u"公司" && in.cpflag != u"私人" && in.cpflag != u"跨行") {
        return QStringLiteral("“%1”只能是“公司”、“私人”或“跨行”：“%2”")
            .arg(InstructionFieldTitle(kCpFlag), convert::Excerpt(in.cpflag));
    }
    if (in.remittype != u"普通" && in.remittype != u"加急") {
        return QStringLiteral("“%1”只能是“普通”或“加急”：“%2”")
            .arg(InstructionFieldTitle(kRemitType), convert::Excerpt(in.remittype));
    }
    // A cross-bank transfer without the bank's number cannot be routed by any bank.
    if (in.cpflag == u"跨行" && convert::Trim(in.recbankcode).isEmpty()) {
        return QString::fromUtf16(kCrossBankWithoutCode);
    }
    return CheckAmount(in.amt).refusal;
}

}  // namespace payments
