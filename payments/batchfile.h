// The bank's batch upload file: one instruction per line, eleven fields joined by "|"
// (type code, payer account, payee account, payee, bank name twice, bank number, amount,
// purpose, remittance code, remark), CR LF after every line, GB18030 text. Written from
// instructions and read back into them here only.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <variant>
#include <vector>

#include "payments/instruction.h"

namespace payments::batchfile {

// The line of one instruction.
QString FormatLine(const Instruction& in);
// The lines of a batch, in order.
QStringList Lines(const std::vector<Instruction>& rows);

// Checks one line, everything an instruction could be refused for included; returns the reason
// it is refused, or nothing when it is sound. The remark may be missing (10 fields).
std::optional<QString> CheckLine(const QString& line);
// The instruction a line that CheckLine accepted holds, its codes as the table's texts
// (I 公司, P 私人, D 跨行; H 加急, N 普通): what FormatLine writes back as the same line.
Instruction ParseLine(const QString& line);

// A file's lines read whole: the instructions of every line that holds anything, or the first
// line refused (1-based) with its reason. Nothing is taken from a file with a refused line.
struct Refusal {
    qsizetype line = 0;
    QString reason;
};
std::variant<std::vector<Instruction>, Refusal> Parse(const QStringList& lines);

// The default file name for a date text "yyyy-MM-dd".
QString DefaultFileName(const QString& date);

}  // namespace payments::batchfile
