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

// A stored value of a salary field as the upload file carries it: the memo as MemoText makes
// it, any other field as stored. The grid and the printed list show this, so that a memo left
// "NULL" reads "网银代发" wherever the cashier looks.
QString CarriedText(const QString& fieldName, const QString& stored);

// The lines of the file, header first. Every amount is read as currency; a text that is no
// number fails with the conversion error, a total that does not fit with the refusal of such a
// total (TotalTooLargeText).
QStringList BuildLines(const QList<Credit>& rows);

}  // namespace payments::salaryfile
