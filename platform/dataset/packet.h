// The binary data packet a table is loaded from (the bank directory's format): header,
// column descriptors, table properties, rows.
//
// Layout, all integers unsigned little-endian:
//   header (24 bytes): signature 96 19 E0 BD, format version (u32), header size (u32, offset of
//     the first column descriptor, at least 24), column count (u16), row count (u32), a word the
//     reader does not interpret (u32), metadata size (u16, offset of the first row);
//   per column: name length (u8), ASCII name, length-prefix size (u16: 1 or 2), type code (u16:
//     0x0049, text in GB18030), attributes (u16: 4 = value required), property count (u16),
//     properties (u8 name length, name, u16 value size, u16 value type, value);
//   table property count (u16) and as many properties, laid out like column properties;
//   rows: status (u8), value flags, then per column a length prefix and that many bytes.
//
// Reader rules:
// - A field's size is its WIDTH property (an unsigned integer of 1, 2 or 4 bytes), which every
//   column must have; other column and table properties are skipped. The required flag is
//   attribute bit 4; other attribute bits are ignored.
// - The value flags take two bits per column, column i in bits 2*(i%4) and 2*(i%4)+1 of flag
//   byte i/4 (one byte for up to four columns). The low bit set means the column has no value
//   in this row: no length prefix and no bytes follow for it. The high bit marks a value
//   carried over from an earlier version of the row, which a packet holding whole rows never
//   has: the reader refuses it.
// - Only unchanged rows (status 0) are read; any other status is refused.
// - A value of length 0 is stored as no value, as the table stores every empty text; a value
//   longer than its field's size is refused.
// - The format version and the uninterpreted word are not checked.
#pragma once

#include "platform/dataset/columndata.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <vector>

struct PacketTable {
    std::vector<FieldDef> fields;
    std::vector<ColumnData> columns;  // one per field, all with the same row count
};

// Parses a whole packet. A damaged packet (bad signature, sizes or counts that do not add up,
// a truncated row, a length running past the end, bytes after the last row) fails with an
// AppError that says what is wrong and where; nothing is returned half-filled.
// Each column's arena holds its values in row order, back to back, so the cells of a freshly
// read packet have ascending offsets.
PacketTable ReadPacket(QByteArrayView bytes);

// Writes a table in the same layout, with WIDTH properties of value size 2 (4 when the size
// does not fit), no table properties, every row unchanged and a null value flagged as such.
// prefixSizes gives each column's length-prefix size (1 or 2); a value too long for its prefix
// fails with an AppError.
QByteArray WritePacket(const PacketTable& table, const std::vector<int>& prefixSizes,
                       std::uint32_t spareWord = 3);
