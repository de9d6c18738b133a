// Fuzzes the reader of the bank directory's binary data packet.
//
// Input: the packet bytes. Checked for a packet the reader accepts: one column per field, every
// column with the same row count, each value inside its arena, no longer than its field and not
// empty (an empty value is no value), the values of a column back to back in row order; and
// the table written again reads back the same. A refused packet fails with an AppError only.
#include "platform/dataset/packet.h"
#include "platform/text/apperror.h"
#include "tests/fuzz/fuzzcheck.h"

namespace {

void CheckSame(const PacketTable& a, const PacketTable& b) {
    FUZZ_CHECK(a.fields.size() == b.fields.size(), "the field count changed");
    for (std::size_t c = 0; c < a.fields.size(); ++c) {
        FUZZ_CHECK(a.fields[c].name == b.fields[c].name && a.fields[c].size == b.fields[c].size &&
                       a.fields[c].required == b.fields[c].required,
                   "field " + std::to_string(c) + " changed");
        FUZZ_CHECK(a.columns[c].RowCount() == b.columns[c].RowCount(), "the row count changed");
        for (std::size_t r = 0; r < a.columns[c].RowCount(); ++r) {
            FUZZ_CHECK(a.columns[c].IsNull(r) == b.columns[c].IsNull(r) &&
                           a.columns[c].Value(r) == b.columns[c].Value(r),
                       "value " + std::to_string(r) + "/" + std::to_string(c) + " changed");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PacketTable table;
    try {
        table = ReadPacket(QByteArrayView(data, static_cast<qsizetype>(size)));
    } catch (const AppError& e) {
        FUZZ_CHECK(e.Message().startsWith(u"Damaged data packet: "),
                   "a refusal of another kind: " + fuzz::Show(e.Message()));
        return 0;
    }
    FUZZ_CHECK(!table.fields.empty() && table.columns.size() == table.fields.size(),
               "columns and fields do not match");
    const std::size_t rows = table.columns[0].RowCount();
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        const ColumnData& column = table.columns[c];
        FUZZ_CHECK(column.RowCount() == rows, "columns of different lengths");
        FUZZ_CHECK(!table.fields[c].name.isEmpty() && table.fields[c].size > 0,
                   "a field without name or size");
        qsizetype end = 0;
        for (const ColumnData::Cell& cell : column.cells) {
            if (cell.length < 0) {
                continue;
            }
            FUZZ_CHECK(cell.length > 0, "an empty value stored as a value");
            FUZZ_CHECK(cell.length <= table.fields[c].size, "a value longer than its field");
            FUZZ_CHECK(cell.offset == end, "values not back to back in row order");
            end += cell.length;
        }
        FUZZ_CHECK(end == column.arena.size(), "the arena holds more than the values");
    }

    std::vector<int> prefixes(table.fields.size(), 2);
    const QByteArray written = WritePacket(table, prefixes);
    CheckSame(table, ReadPacket(written));
    return 0;
}
