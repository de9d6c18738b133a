// Shared by the spreadsheet readers' fuzz targets: reads every cell a salary import could ask
// for from the first worksheets of a book, with the decimals its format shows and which columns
// are hidden, and checks what any cell must be.
#pragma once

#include "platform/sheet/book.h"

#include <QString>
#include <cstdio>
#include <cstdlib>

namespace sheetfuzz {

inline void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "sheet fuzz check failed: %s\n", what);
        std::abort();
    }
}

// Reads the first rows and columns, a cell past column Z and one far away; the same cell twice
// must read the same.
inline void ReadAll(sheet::Book& book) {
    const int sheets = book.WorksheetCount();
    Require(sheets >= 0, "negative worksheet count");
    for (int index = 1; index <= sheets && index <= 3; ++index) {
        const auto grid = book.LoadWorksheet(index);
        for (int row = 1; row <= 40; ++row) {
            for (int column = 1; column <= 8; ++column) {
                const QString text = grid->Cell(row, column);
                Require(grid->Cell(row, column) == text, "a cell reads differently twice");
                // Only a number shows decimals, and a number always reads as some text.
                const int decimals = grid->ShownDecimals(row, column);
                Require(decimals >= -1, "decimals below -1");
                Require(decimals == -1 || !text.isEmpty(), "decimals for an empty cell");
            }
        }
        for (const int column : {-1, 0, 1, 2, 256, 257, 16384, 16385, 100000}) {
            grid->ColumnHidden(column);
        }
        grid->ShownDecimals(100000, 702);
        grid->ShownDecimals(0, 0);
        grid->Cell(1, 28);
        grid->Cell(100000, 702);
        grid->Cell(0, 0);
        grid->Cell(-1, 1);
    }
}

// Runs the reader, taking a refusal of the file as the expected outcome for most inputs.
template <typename Read>
void Run(Read read) {
    try {
        const auto book = read();
        Require(book != nullptr, "a reader returned no book");
        ReadAll(*book);
    } catch (const sheet::ReadFailure&) {
    }
}

}  // namespace sheetfuzz
