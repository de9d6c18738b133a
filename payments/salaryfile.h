// The bank's salary upload file: a header with the number of credits and their total, then one
// line per credit (sequence, account, name, amount, memo); every line ends with "|" and CR LF,
// GB18030 text. Written from credits here only.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "payments/credit.h"
#include "payments/money.h"

namespace payments::salaryfile {

// The default file name for a date text "yyyy-MM-dd".
QString DefaultFileName(const QString& date);

// The memo written for a stored memo: trimmed of blanks (codes 1 to 32); "网银代发" when that
// is empty or exactly "NULL".
QString MemoText(const QString& memo);

// The lines of the file, header first. Every amount is read as currency; a text that is no
// number fails with the conversion error, a total that does not fit with the refusal of such a
// total (TotalTooLargeText).
QStringList BuildLines(const QList<Credit>& rows);

}  // namespace payments::salaryfile
