// Excel 97-2003 workbooks put together record by record in the tests, for layouts the committed
// .xls files never show: a shared string whose characters change width where the string table
// goes on in a CONTINUE record, several cells in one MULRK record, cells under number formats of
// the workbook's own and columns hidden or made zero wide.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "tests/sheet/formatted.h"

namespace fixture::biff {

QByteArray U16(int value);
QByteArray U32(quint32 value);
// A record: its type, the length of its body, the body.
QByteArray Record(int type, const QByteArray& body);

// A run of a shared string's characters, one byte each (Latin-1) or two bytes each (UTF-16).
struct Segment {
    QString text;
    bool wide = false;
};
// A shared string: its characters in runs. The first run follows the string's header in the
// record it starts in; every later run starts a CONTINUE record of its own, with an option byte
// giving the width of that run, as a writer does when the record before it is full. `runs`
// formatting runs (four bytes each) follow the characters.
struct SharedString {
    std::vector<Segment> segments;
    int runs = 0;
};
// The SST record and the CONTINUE records the strings need.
QByteArray StringTable(const std::vector<SharedString>& strings);

// Cell records; row and column from 1, cell format 0 (general).
QByteArray LabelSst(int row, int column, quint32 index);
QByteArray Label(int row, int column, const QString& text);
// An RK value: an integer (times 100 when `cents`), or the high 32 bits of a double.
quint32 RkInteger(qint32 value, bool cents = false);
quint32 RkDouble(double value);
// One MULRK record: `values` in row `row` from column `first` on.
QByteArray MulRk(int row, int first, const std::vector<quint32>& values);

// A worksheet of `cells` under their number formats, and `columns` of their own widths, as a
// spreadsheet program writes them: a FORMAT record for each format of the workbook's own (its
// characters one byte each when they all fit, else two), an XF record for each format used;
// numbers that fit an RK value as RK records, or as one MULRK record where several stand side
// by side in a row, others as NUMBER records; texts as LABEL records; formulas with their saved
// result (a text one in the STRING record after it); a COLINFO record for each column range.
QByteArray FormattedXls(const std::vector<FormattedCell>& cells,
                        const std::vector<ColumnWidth>& columns);

// A workbook of one worksheet (named "表" unless named here) in a compound file: the globals
// (BOF, code page, a cell format, `globals`, BOUNDSHEET, EOF), then the worksheet (BOF, a
// DIMENSION of `rows` by `columns`, `cells`, EOF).
QByteArray XlsWorkbook(const QByteArray& globals, const QByteArray& cells, int rows = 20,
                       int columns = 10, const QString& sheetName = QStringLiteral("表"));

}  // namespace fixture::biff
