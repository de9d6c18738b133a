// The salary sheet import without its page: reads a payroll worksheet through the spreadsheet
// calls with the column mapping of the parameter page, checks every row up to the first empty
// name, and gives back the salary rows to append, or fails naming the sheet row and column, so
// that nothing is appended from a sheet with any bad row.
#pragma once

#include "platform/sheet/hidden.h"
#include "platform/sheet/sheet.h"

#include <QString>

#include <QStringList>
#include <cstdint>
#include <vector>
#include "payments/money.h"

namespace salary {

// A column letter as the mapping edits hold it: "A" to "Z" give 1 to 26, "AA" to "ZZ" give 27
// to 702. Upper case only, the whole text, no blanks; any other text gives 0.
int ColumnLetterToIndex(const QString& text);

// The texts of the mapping edits, as typed.
struct SheetMapping {
    QString name;         // conf_name
    QString acct;         // conf_acct
    QString finalincome;  // conf_finalincome
    QString startRow;     // conf_startrow
};

// One field of the salary table, in field order.
struct SalaryField {
    QString name;   // field name, matched without regard to letter case
    QString label;  // display label, for messages
    bool required = false;
    int size = 0;  // bytes of GB18030 text; 0 for no limit
};

// An amount that was stored rounded to two decimals.
struct RoundedAmount {
    int sheetRow = 0;
    QString cellText;  // the amount as read from the sheet
    QString stored;    // the "0.00" text stored in the row
};

struct SheetImport {
    // The start row's name cell is empty: nothing to import ("文件中没有数据！").
    bool noData = false;
    // The rows to append, one value per salary field in field order.
    std::vector<QStringList> rows;
    // The sum of the stored amounts, in ten-thousandths.
    payments::Money total;
    std::vector<RoundedAmount> rounded;
    // Sheet rows skipped because their amount is 0.009 or less.
    std::vector<int> skippedRows;
    // The row whose empty name ended the import, and how many rows with data follow it (rows
    // that were not read); 0 when nothing follows.
    int endRow = 0;
    int unreadRows = 0;
    // The name of the worksheet read when the workbook hides it; empty when it is shown.
    QString hiddenSheet;
    // Rows the worksheet hides that are among the rows to import.
    std::vector<sheet::HiddenRow> hiddenRows;
    // The mapped columns the worksheet hides, as the question names them ("C 列（实际入账金额）").
    QStringList hiddenColumns;
};

// Opens the workbook at path, activates its first worksheet and reads it; closes the
// workbooks and asks the application to quit however the reading ends. Throws AppError: the
// application's error when the file cannot be opened, else one that names the sheet row and
// column of the first bad cell (or the mapping edit that is wrong).
SheetImport ImportSheetFile(sheet::Application& app, const QString& path,
                            const SheetMapping& mapping, const std::vector<SalaryField>& fields);

// The reading alone, on the workbook already open in app.
SheetImport ReadSalarySheet(sheet::Application& app, const SheetMapping& mapping,
                            const std::vector<SalaryField>& fields);

// The warning about rounded amounts: how many, and the first few with sheet row, cell value
// and stored value.
QString RoundedWarning(const std::vector<RoundedAmount>& rounded);

// What the closing message adds to "导入完毕！": the rows imported, those skipped as 0 or less
// (with their rows), and, when rows with data follow the row that ended the import, that row and
// how many were not read.
QString ImportSummary(const SheetImport& result);

// The question before anything hidden is imported: the hidden worksheet read and the hidden
// rows that would be imported; empty when nothing hidden is imported.
QString HiddenQuestion(const SheetImport& result);

// The error box of a refused import: first what happened and what to do next, in the
// cashier's words, then the refusal as the import gave it (with its row and column).
QString RefusalText(const QString& error);

}  // namespace salary
