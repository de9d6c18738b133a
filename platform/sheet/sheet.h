// The spreadsheet calls the salary import makes, in the shape of a spreadsheet application's
// automation objects: create the application, open a workbook through its collection, activate
// the first worksheet, read cells as text, close the workbooks and quit. Rows and columns count
// from 1. Behind it the program reads .xls, .xlsx and .csv files itself (CreateApplication);
// tests may put any other implementation in its place.
#pragma once

#include <QString>
#include <memory>
#include <vector>

namespace sheet {

// A rectangle of cells, rows and columns from 1, such as cells merged into one.
struct Area {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    bool Contains(int row, int column) const {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
};

class Workbooks {
public:
    virtual ~Workbooks() = default;
    // Opens the workbook at path. Fails with an AppError naming the file when it cannot be read
    // or is no workbook the program can read.
    virtual void Open(const QString& path) = 0;
    // Closes every open workbook; closing none is no error.
    virtual void Close() = 0;
};

class Worksheet {
public:
    virtual ~Worksheet() = default;
    // Makes this worksheet the one Cells reads.
    virtual void Activate() = 0;
};

class Application {
public:
    virtual ~Application() = default;
    virtual Workbooks& GetWorkbooks() = 0;
    // Worksheet `index` (from 1, in the workbook's order) of the open workbook.
    virtual Worksheet& Worksheets(int index) = 0;
    // The text of a cell of the active worksheet: text as stored; a number in general form with
    // at most 15 significant digits and "." as decimal point; a date as the spreadsheet shows it
    // ("2024/1/5", "2024/1/5 8:30:00"); "TRUE"/"FALSE"; an error value as its code ("#N/A"); the
    // empty text for an empty cell or one beyond the used range.
    virtual QString Cells(int row, int column) = 0;
    // Worksheet `index`'s name and whether the workbook hides it; whether the active worksheet
    // hides a row. An application that cannot tell says nothing is hidden.
    virtual QString WorksheetName(int /*index*/) { return QString(); }
    virtual bool WorksheetHidden(int /*index*/) { return false; }
    virtual bool RowHidden(int /*row*/) { return false; }
    // Whether a cell of the active worksheet holds a formula: its text is then the result the
    // file saved, the empty text when it saved none. The merged areas of the active worksheet;
    // only the first cell of each holds a value. An application that cannot tell says none.
    virtual bool Formula(int /*row*/, int /*column*/) { return false; }
    virtual std::vector<Area> MergedAreas() { return {}; }
    // The last row of the active worksheet that holds a cell; 0 when none or unknown.
    virtual int LastUsedRow() { return 0; }
    // Whether the active worksheet hides a column (marked hidden, or of zero width). An
    // application that cannot tell says no.
    virtual bool ColumnHidden(int /*column*/) { return false; }
    // The decimals a number cell's format shows: "0.00" and "#,##0.00" 2, "0" and "#,##0" 0,
    // "0.000" 3, "¥#,##0.00" / "[$¥-804]#,##0.00" / accounting formats 2, and so on (the 0/#/?
    // placeholders after the decimal point in the section for positive numbers). -1 when the
    // cell is no number (text, empty, boolean, error), when its format does not fix the
    // decimals (General, "@", scientific "0.00E+00", percent "0.00%", fractions, dates and
    // times), or when the application cannot tell (CSV: every cell is text).
    virtual int ShownDecimals(int /*row*/, int /*column*/) { return -1; }
    virtual void Quit() = 0;
};

// The application that reads the files itself, choosing the reader by the file's content.
std::unique_ptr<Application> CreateApplication();

}  // namespace sheet
