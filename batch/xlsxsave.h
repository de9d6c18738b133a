// A grid saved as an .xlsx workbook for the company's records: titles in the first row, amounts
// as numbers shown with two decimals, accounts and every other value as text (a long account
// never turns into a number in exponent form), columns sized to their contents. The file is
// put on disk atomically and read back before it counts as saved.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Dataset;

namespace xlsxsave {

struct Sheet {
    QStringList titles;
    std::vector<QStringList> rows;
    std::vector<bool> amountColumns;  // one per title: true for an amount column
};

// The rows of a table as a sheet: its fields' titles, the values as shown, the field named
// amountField as the amount column.
Sheet FromTable(Dataset& table, const QString& amountField);

// Writes the workbook at path; the reason it could not be saved, or nothing when it was.
std::optional<QString> Save(const QString& path, const Sheet& sheet);

}  // namespace xlsxsave
