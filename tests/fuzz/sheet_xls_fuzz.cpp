// Fuzzes the .xls reader: the container and workbook-stream checks and libfreexl behind them.
// The library reads a path, so the input goes to an in-memory file named by its descriptor.
#include "tests/fuzz/sheet_read.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace {

// One in-memory file for the whole run, rewritten for every input.
int MemoryFile() {
    static const int fd = memfd_create("sheet_xls_fuzz", 0);
    sheetfuzz::Require(fd >= 0, "memfd_create");
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = MemoryFile();
    sheetfuzz::Require(ftruncate(fd, 0) == 0, "ftruncate");
    sheetfuzz::Require(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size), "pwrite");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
    sheetfuzz::Run([&] { return sheet::ReadXls(path, bytes); });
    return 0;
}
