// Fuzzes the .xlsx reader (zip package, relationships, workbook, styles, shared strings,
// worksheet XML): any bytes are refused or read, never a crash, a hang or unbounded memory.
#include "tests/fuzz/sheet_read.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    sheetfuzz::Run([&] { return sheet::ReadXlsx(bytes); });
    return 0;
}
