// Transfer instructions from a company's own spreadsheet: which column feeds which field (found
// from the header row's titles, else the saved mapping), every row turned into an instruction
// and checked with the upload file's own checks, bank numbers looked up by bank name, so that
// nothing is added from a sheet with any refused row.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "payments/batchmapping.h"
#include "payments/instruction.h"
#include "payments/money.h"
#include "platform/sheet/sheet.h"

namespace sheetbatch {

// The instruction fields a sheet column can feed, in the grid's order.
using payments::kAmt;
using payments::kCpFlag;
using payments::kCur;
using payments::kPayAcct;
using payments::kRecAcct;
using payments::kRecBank;
using payments::kRecBankCode;
using payments::kRecver;
using payments::kRemark;
using payments::kRemitType;
using payments::kUse;
inline constexpr int kFieldCount = payments::kInstructionFieldCount;

// The grid title of a field.
QString FieldTitle(int field);

// The saved column mapping (payments/batchmapping.h).
using payments::batchmap::ColumnKey;
using payments::batchmap::LoadMapping;
using payments::batchmap::Mapping;
using payments::batchmap::SaveMapping;

// Column letters: "A" 1 ... "Z" 26, "AA" 27 ... "ZZ" 702; 0 for any other text.
int ColumnIndex(const QString& letters);
QString ColumnLetters(int column);

// The field a header title names, blanks and full-width forms ignored; -1 when none.
int FieldOfTitle(const QString& title);

// The most payment rows one sheet may hold: a payment list is far shorter, and a longer sheet
// would take the memory and time of the preview, which checks every row again whenever a
// column changes. The last sheet row read leaves room for the title rows above them (the
// header is looked for in the first ten rows).
inline constexpr int kMaxSheetPayments = 10000;
inline constexpr int kMaxSheetRows = kMaxSheetPayments + 10;

// A worksheet read whole into memory as cell texts, rows and columns from 1.
struct SheetTable {
    std::vector<QStringList> rows;  // rows[0] is sheet row 1
    int columnCount = 0;
    // The rows the worksheet hides, ascending; the worksheet's name when the workbook hides it.
    std::vector<int> hiddenRows;
    QString hiddenSheet;
    // The cells (row, column) that hold formulas, and the merged areas that reach the rows and
    // columns read (added with AddMerged, after the rows).
    std::set<std::pair<int, int>> formulas;
    std::vector<sheet::Area> merged;
    // The columns the worksheet hides, ascending.
    std::vector<int> hiddenColumns;
    // The decimals each number cell's format shows (-1: not a number, or a format that shows
    // the value's own digits), for the cells with text; see ShownDecimals.
    std::map<std::pair<int, int>, int> shownDecimals;
    int ShownDecimals(int row, int column) const {
        const auto it = shownDecimals.find({row, column});
        return it == shownDecimals.end() ? -1 : it->second;
    }
    QString Cell(int row, int column) const;
    bool Formula(int row, int column) const { return formulas.count({row, column}) != 0; }
    // Adds a merged area; false, adding nothing, when it overlaps one added before, which no
    // spreadsheet program saves.
    bool AddMerged(const sheet::Area& area);
    // The merged area that holds the cell; nothing when the cell is no part of one.
    std::optional<sheet::Area> MergedArea(int row, int column) const;

private:
    // For each cell read, row by row, the index in `merged` of the area holding it; -1 for none.
    std::vector<int> mergedAt_;
};
// Reads the first worksheet of the workbook open in app: the columns up to the last one used
// in the first rows or named by the mapping, the rows up to the last one holding any text.
// Fails with a message saying what to do when the worksheet is empty or has data beyond
// kMaxSheetRows.
SheetTable ReadTable(sheet::Application& app, const Mapping& mapping);

// Where a field's column came from.
enum class From : char { None, Title, Saved };

// Which column (0: none) feeds each field, and the first data row.
struct Layout {
    std::array<int, kFieldCount> columns{};
    std::array<From, kFieldCount> from{};
    int firstRow = 1;
    int headerRow = 0;  // 0: no header recognised, the saved mapping applies
    // Fields whose title stands over more than one column, with those columns: the cashier
    // chooses one in the preview, and until then the sheet is refused.
    std::vector<std::pair<int, std::vector<int>>> ambiguous;
};
// The layout from a header among the first rows: a row whose titles name at least the
// recipient's account and the amount. Nothing when no row does. A header whose cells are merged
// with the rows below it ends with them: the data starts after the merged cells. Fields the
// titles do not name take the column of the saved mapping, when it names one that no title
// has taken.
std::optional<Layout> FindHeader(const SheetTable& table, const Mapping& saved = {});
// The layout of the saved mapping; fails naming the value that is no column or row.
Layout MappedLayout(const Mapping& mapping);

// The bank directory as the import needs it.
struct BankLookup {
    // The numbers of the directory rows whose bank name is exactly `name`.
    std::function<QStringList(const QString& name)> codes;
    // The names of the directory rows whose number is exactly `code`.
    std::function<QStringList(const QString& code)> names;
};

struct Problem {
    int row = 0;     // sheet row; 0 for the sheet as a whole
    int column = 0;  // sheet column; 0 when no single cell is at fault
    QString text;
    bool refused = true;  // false: pointed out only (an amount rounded to cents)
};

struct Result {
    Layout layout;
    std::vector<payments::Instruction> rows;
    std::vector<int> sheetRows;  // the sheet row of each instruction
    std::vector<Problem> problems;
    int refusedRows = 0;
    payments::Money total;  // the sum of the stored amounts
    // Refused problems of the sheet as a whole or of its header rather than of one row.
    int refusedSheet = 0;
    bool Importable() const { return refusedRows == 0 && refusedSheet == 0 && !rows.empty(); }
};

// Turns the data rows into instructions and checks them whole. payacct is the payer account
// taken when the sheet has none; defaults from the mapping.
Result Convert(const SheetTable& table, const Layout& layout, const Mapping& defaults,
               const QString& payacct, const BankLookup& banks);

// Whether a file's bytes are a batch upload file rather than a spreadsheet: no workbook
// signature, and its first line that holds anything holds a "|" (an empty file counts as an
// upload file, which imports nothing).
bool IsUploadFile(const QByteArray& bytes);

// A problem as one line: "第 5 行 C 列：...".
QString ProblemText(const Problem& problem);

// The question asked before a sheet's rows are added when the workbook hides any of them: a
// hidden worksheet, hidden rows among the rows to add (each named with its payee and amount),
// hidden columns that feed a field. Empty when nothing imported is hidden.
QString HiddenQuestion(const SheetTable& table, const Result& result);

}  // namespace sheetbatch
