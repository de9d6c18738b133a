// A worksheet of cells under number formats and of columns with widths of their own, described
// once and written by the .xlsx and the .xls fixtures alike, so that every reader is checked
// against the same decimals and hidden columns.
#pragma once

#include <vector>

namespace fixture {

// A built-in number format by its index, or (index -1) a format of the workbook's own, by its
// code (UTF-8).
struct NumberFormat {
    int index = -1;
    const char* code = nullptr;
};

enum class CellKind {
    Number,         // `number`
    Text,           // `text`
    Boolean,        // TRUE
    Error,          // #N/A, the result of =NA()
    NumberFormula,  // a formula whose saved result is `number`
    TextFormula,    // a formula whose saved result is `text`
};

// A cell (row and column from 1) under a number format.
struct FormattedCell {
    int row = 1;
    int column = 1;
    CellKind kind = CellKind::Number;
    NumberFormat format;
    double number = 0;
    const char* text = nullptr;  // UTF-8
};

// Columns `first` to `last` (from 1), `width` characters wide, hidden or not.
struct ColumnWidth {
    int first = 1;
    int last = 1;
    double width = 8.43;
    bool hidden = false;
};

}  // namespace fixture
