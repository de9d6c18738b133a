// The readers behind the spreadsheet calls: a workbook file read into memory, its worksheets
// in workbook order, each a grid of cell texts. Readers report a refused file with
// ReadFailure; the application turns it into the user's message naming the file.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>
#include <vector>

#include "platform/sheet/sheet.h"
#include "platform/text/apperror.h"

namespace sheet {

class Grid {
public:
    virtual ~Grid() = default;
    // Row and column from 1; the empty text where there is no cell.
    virtual QString Cell(int row, int column) const = 0;
    // Whether the worksheet hides the row (from 1).
    virtual bool RowHidden(int /*row*/) const { return false; }
    // Whether the cell holds a formula (its text being the result saved with the file), and
    // the worksheet's merged areas.
    virtual bool Formula(int /*row*/, int /*column*/) const { return false; }
    virtual std::vector<Area> MergedAreas() const { return {}; }
    // The last row that holds a cell (from 1); 0 when the sheet holds none or the reader
    // cannot tell.
    virtual int LastRow() const { return 0; }
    // Whether the worksheet hides the column (from 1), and the decimals a number cell's format
    // shows (-1 for no number, a format that fixes none, or a reader that cannot tell); as
    // Application::ColumnHidden and ShownDecimals.
    virtual bool ColumnHidden(int /*column*/) const { return false; }
    virtual int ShownDecimals(int /*row*/, int /*column*/) const { return -1; }
};

class Book {
public:
    virtual ~Book() = default;
    virtual int WorksheetCount() const = 0;
    // Worksheet `index` from 1 to WorksheetCount(), read when it is asked for.
    virtual std::unique_ptr<Grid> LoadWorksheet(int index) = 0;
    // The name of worksheet `index`, and whether the workbook hides it.
    virtual QString WorksheetName(int /*index*/) const { return QString(); }
    virtual bool WorksheetHidden(int /*index*/) const { return false; }
};

enum class Failure {
    NotWorkbook,   // no format the program reads, or damaged
    Empty,         // zero bytes
    Password,      // encrypted
    TooLarge,      // beyond the limits that keep memory bounded
    Encoding,      // text that is neither GB18030 nor UTF-8
    Utf16,         // UTF-16 text ("Unicode text" of the spreadsheet programs)
    PartTooLarge,  // a part of an .xlsx that would inflate beyond kMaxPartBytes
};

// Every reader's failure is an AppError like any other, so that one that escapes its caller
// still reaches the program-wide error box with words; the application replaces it with a
// message naming the file.
struct ReadFailure : AppError {
    explicit ReadFailure(Failure f);
    Failure failure;
};

// Limits that keep a hostile or runaway file from taking the machine's memory.
inline constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;
// One unpacked part of an .xlsx: far beyond any real payroll (100,000 rows take about 10 MB),
// and refused before it is inflated, so that a compressed bomb costs neither time nor memory.
inline constexpr qint64 kMaxPartMegabytes = 64;
inline constexpr qint64 kMaxPartBytes = kMaxPartMegabytes * 1024 * 1024;
inline constexpr qint64 kMaxCells = 16LL * 1024 * 1024;  // the cells of one workbook

// The readers, one per format. The .xls reader hands the path to its library and checks the
// same bytes first.
std::unique_ptr<Book> ReadCsv(const QByteArray& bytes);
std::unique_ptr<Book> ReadXlsx(const QByteArray& bytes);
std::unique_ptr<Book> ReadXls(const QByteArray& bytes);

// Chooses the reader by the content of the bytes.
std::unique_ptr<Book> ReadBook(const QByteArray& bytes);

}  // namespace sheet
