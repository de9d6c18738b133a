// The question both imports ask before a sheet with hidden parts is imported: what the cashier
// does not see on the screen is named before it is paid.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace sheet {

// A hidden row about to be imported: its row in the sheet, the payee and the amount.
struct HiddenRow {
    int sheetRow = 0;
    QString name, amount;
};

// The hidden worksheet read (empty: none), the hidden columns read ("C 列（金额）"), the hidden
// rows (the first ten named), then "仍要导入吗？"; empty when nothing read is hidden.
QString HiddenQuestion(const QString& hiddenSheet, const QStringList& hiddenColumns,
                       const std::vector<HiddenRow>& hiddenRows);

}  // namespace sheet
