// The bank's salary upload file: a header with the number of credits and their total, then one
// line per credit (sequence, account, name, amount, memo); every line ends with "|" and CR LF,
// GB18030 text.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace salaryfile {

// One credit as the salary table holds it.
struct Row {
    QString acct, name, finalincome, memo;
};

// The default file name for a date text "yyyy-MM-dd".
QString DefaultFileName(const QString& date);

// The memo written for a stored memo: trimmed of blanks (codes 1 to 32); "网银代发" when that
// is empty or exactly "NULL".
QString MemoText(const QString& memo);

// A total in ten-thousandths as "0.00": two decimals rounded half away from zero, no grouping,
// "-" in front when negative.
QString FormatTotal(std::int64_t tenThousandths);

// The lines of the file, header first. Every amount is read as currency; a text that is no
// number fails with the conversion error, a total beyond 64 bits with
// "Invalid floating point operation".
QStringList BuildLines(const QList<Row>& rows);

// True when a value can stand in a line: no "|", CR or LF.
bool IsPlainValue(const QString& value);

}  // namespace salaryfile
