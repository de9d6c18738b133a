// Fuzzes the .xls reader: the compound container, the record walk of the workbook stream, the
// shared string table with its continued texts and every cell record.
#include "tests/fuzz/sheet_read.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    sheetfuzz::Run([&] { return sheet::ReadXls(bytes); });
    return 0;
}
