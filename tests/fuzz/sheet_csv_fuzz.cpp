// Fuzzes the comma-separated reader: any bytes are refused or read, never a crash or a hang,
// and a cell reads the same however often it is asked for.
#include "tests/fuzz/sheet_read.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    sheetfuzz::Run([&] { return sheet::ReadCsv(bytes); });
    return 0;
}
