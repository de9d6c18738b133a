// A grid saved as an .xlsx workbook for the company's records: titles in the first row, amounts
// as numbers shown with two decimals, accounts and every other value as text (a long account
// never turns into a number in exponent form), columns sized to their contents. The file is
// put on disk atomically and read back before it counts as saved.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class Dataset;
class Dialogs;
struct FileDialogState;

namespace xlsxsave {

// Puts a file's bytes on disk whole and reads them back; false when it could not.
using Writer = std::function<bool(const QString& path, const QByteArray& bytes)>;

struct Sheet {
    QStringList titles;
    std::vector<QStringList> rows;
    std::vector<bool> amountColumns;  // one per title: true for an amount column
};

// The rows of a table as a sheet: its fields' titles, the values as shown, the field named
// amountField as the amount column.
Sheet FromTable(Dataset& table, const QString& amountField);

// Asks for the workbook's path through the shared save dialog, which offers workbooks this once
// (named stem and the date, in folder) and then its own files again; saves the sheet and tells
// the user where, or why not.
void SaveThroughDialog(Dialogs& dialogs, FileDialogState& dialog, const QString& folder,
                       const QString& stem, const Sheet& sheet, const Writer& writeWhole);

// Writes the workbook at path; the reason it could not be saved, or nothing when it was.
std::optional<QString> Save(const QString& path, const Sheet& sheet, const Writer& writeWhole);

}  // namespace xlsxsave
