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

// Checks one line; returns the reason it is refused, or nothing when it is sound.
std::optional<QString> CheckLine(const QString& line);
// Cuts a line that CheckLine accepted.
ImportLine ParseLine(const QString& line);

// True when a value can stand in a line: no "|", CR or LF.
bool IsPlainValue(const QString& value);

// The default file name for a date text "yyyy-MM-dd".
QString DefaultFileName(const QString& date);

}  // namespace uploadfile
