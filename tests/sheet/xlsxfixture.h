// Workbooks for the spreadsheet tests and benchmarks, written when they run: .xlsx with
// libxlsxwriter (the rows match the committed .xls and .csv of tests/data/sheet), and the
// benchmark's comma-separated payrolls.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "tests/sheet/formatted.h"

namespace fixture {

struct XlsxOptions {
    bool inlineStrings = false;  // constant-memory mode: inline instead of shared strings
    bool chartFirst = false;     // a chart sheet before the worksheet in the workbook order
};

// The payroll of make_xls.py, a second worksheet after it.
void WritePayrollXlsx(const QString& path, XlsxOptions options = {});
// One cell of each kind in column A, "远列" in AB1, "末行" in A100; formulas with results in
// column B.
void WriteCellsXlsx(const QString& path);
// A heading and `count` payroll rows, as make_xls.py writes rows1000.xls.
void WriteRowsXlsx(const QString& path, int count);
QByteArray RowsCsv(int count);
// A hidden first worksheet "去年" (去年|6222009|99999), then the visible "本月" with
// 张三|6222001|1000, 离职员工|6222003|5000 in a hidden row 2, and 李四|6222002|20; as
// make_xls.py writes hidden.xls.
void WriteHiddenXlsx(const QString& path);
// Column A: `value` under each number format of `formats`, one row each.
void WriteFormatsXlsx(const QString& path, const std::vector<const char*>& formats, double value);
// One worksheet of `cells`, each under its number format, and `columns` of their own widths.
void WriteFormattedXlsx(const QString& path, const std::vector<FormattedCell>& cells,
                        const std::vector<ColumnWidth>& columns);
// Gives the hidden columns of the first worksheet `width` instead of the zero the writer stores,
// as a spreadsheet program keeps the width a column had before it was hidden.
void KeepHiddenColumnWidths(const QString& path, double width);
// Replaces a part of the package with `bytes` of blanks (compressed to almost nothing).
void ReplacePartWithBlanks(const QString& path, const char* part, qint64 bytes);
// Rewrites the package's workbook part so that its second sheet comes first in the workbook
// order, while the parts stay stored as they were.
void SwapFirstTwoSheets(const QString& path);

}  // namespace fixture
