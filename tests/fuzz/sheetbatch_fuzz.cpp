// Fuzzes the batch page's spreadsheet path: any bytes opened as a workbook or comma-separated
// text, the first worksheet read into memory, the header looked for, the rows turned into
// instructions and checked. A refusal of the file is an expected outcome; every instruction
// that comes out must hold an amount and no "|".
#include "batch/sheetbatch.h"
#include "platform/sheet/book.h"
#include "platform/sheet/sheet.h"
#include "platform/text/apperror.h"
#include "tests/fuzz/sheet_read.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace {

// One in-memory file for the whole run, rewritten for every input: the workbook layer opens
// files by name.
int MemoryFile() {
    static const int fd = memfd_create("sheetbatch_fuzz", 0);
    sheetfuzz::Require(fd >= 0, "memfd_create");
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = MemoryFile();
    sheetfuzz::Require(ftruncate(fd, 0) == 0, "ftruncate");
    sheetfuzz::Require(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size), "pwrite");
    const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
    try {
        auto app = sheet::CreateApplication();
        app->GetWorkbooks().Open(path);
        app->Worksheets(1).Activate();
        const sheetbatch::Mapping mapping;
        const sheetbatch::SheetTable table = sheetbatch::ReadTable(*app, mapping);
        const auto header = sheetbatch::FindHeader(table, mapping);
        const sheetbatch::Layout layout = header ? *header : sheetbatch::MappedLayout(mapping);
        const sheetbatch::Result result = sheetbatch::Convert(
            table, layout, mapping, QStringLiteral("6230001"),
            {[](const QString& name) {
                 return name.startsWith(u"中国") ? QStringList{QStringLiteral("105651000012")}
                                                 : QStringList{};
             },
             [](const QString& code) {
                 return code == u"105651000012" ? QStringList{QStringLiteral("中国银行成都分行")}
                                                : QStringList{};
             }});
        for (const sheetbatch::Problem& p : result.problems) {
            sheetfuzz::Require(!sheetbatch::ProblemText(p).isEmpty(), "a problem without text");
        }
        sheetfuzz::Require(result.rows.size() == result.sheetRows.size(),
                           "instructions and their sheet rows differ in number");
        // Nothing refused is ever importable: a problem the preview lists blocks "导入".
        sheetfuzz::Require(!result.Importable() ||
                               std::none_of(result.problems.begin(), result.problems.end(),
                                            [](const sheetbatch::Problem& p) { return p.refused; }),
                           "importable with a refused problem");
    } catch (const AppError&) {
    }
    return 0;
}
