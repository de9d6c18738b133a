#include "platform/dataset/packet.h"

#include "platform/text/apperror.h"

#include <cstring>
#include <limits>

namespace {

constexpr unsigned char kSignature[4] = {0x96, 0x19, 0xE0, 0xBD};
constexpr qsizetype kHeaderSize = 24;
constexpr std::uint16_t kTypeText = 0x0049;
constexpr std::uint16_t kAttrRequired = 4;
constexpr std::uint16_t kPropUnsigned = 2;
constexpr int kNullFlag = 1;
constexpr int kCarriedOverFlag = 2;

[[noreturn]] void Damaged(const QString& what) {
    throw AppError(QStringLiteral("Damaged data packet: %1").arg(what));
}

QString Offset(qsizetype pos) {
    return QStringLiteral("offset %1").arg(pos);
}

// Reads the metadata part with bounds checks; `what` names the item for the error text.
class MetaReader {
public:
    explicit MetaReader(QByteArrayView bytes)
        : data_(reinterpret_cast<const unsigned char*>(bytes.data())), size_(bytes.size()) {}

    qsizetype Pos() const { return pos_; }
    void Seek(qsizetype pos) { pos_ = pos; }

    std::uint32_t U8(const QString& what) { return Uint(1, what); }
    std::uint32_t U16(const QString& what) { return Uint(2, what); }
    std::uint32_t U32(const QString& what) { return Uint(4, what); }

    QByteArrayView Bytes(qsizetype n, const QString& what) {
        Need(n, what);
        QByteArrayView view(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return view;
    }

private:
    void Need(qsizetype n, const QString& what) const {
        if (size_ - pos_ < n) {
            Damaged(QStringLiteral("the packet ends inside %1 at %2").arg(what, Offset(pos_)));
        }
    }
    std::uint32_t Uint(int n, const QString& what) {
        Need(n, what);
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i) {
            v = (v << 8) | data_[pos_ + i];
        }
        pos_ += n;
        return v;
    }

    const unsigned char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

struct ColumnLayout {
    int prefixSize = 1;
    qsizetype total = 0;  // bytes of all its values
};

bool IsPlainAscii(QByteArrayView name) {
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F) {
            return false;
        }
    }
    return true;
}

// One property (column or table): returns its name and value bytes, checked for bounds.
struct Property {
    QByteArrayView name;
    std::uint32_t type = 0;
    QByteArrayView value;
};

Property ReadProperty(MetaReader& in, const QString& owner) {
    Property p;
    const qsizetype nameLength = in.U8(QStringLiteral("a property name length of %1").arg(owner));
    p.name = in.Bytes(nameLength, QStringLiteral("a property name of %1").arg(owner));
    const qsizetype valueSize = in.U16(QStringLiteral("a property value size of %1").arg(owner));
    p.type = in.U16(QStringLiteral("a property value type of %1").arg(owner));
    p.value = in.Bytes(valueSize, QStringLiteral("a property value of %1").arg(owner));
    return p;
}

int ReadWidth(const Property& p, const QString& column, qsizetype pos) {
    const qsizetype s = p.value.size();
    if (p.type != kPropUnsigned || (s != 1 && s != 2 && s != 4)) {
        Damaged(QStringLiteral("the WIDTH of column %1 before %2 is not an unsigned integer")
                    .arg(column, Offset(pos)));
    }
    std::uint32_t v = 0;
    for (qsizetype i = s - 1; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(p.value[i]);
    }
    if (v == 0 || v > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
        Damaged(QStringLiteral("column %1 has a WIDTH of %2").arg(column).arg(v));
    }
    return static_cast<int>(v);
}

void ReadDescriptor(MetaReader& in, int index, FieldDef& field, ColumnLayout& layout) {
    const QString column = QStringLiteral("column %1").arg(index + 1);
    const qsizetype nameLength = in.U8(QStringLiteral("the name length of %1").arg(column));
    if (nameLength == 0) {
        Damaged(QStringLiteral("%1 has an empty name at %2").arg(column, Offset(in.Pos() - 1)));
    }
    const QByteArrayView name = in.Bytes(nameLength, QStringLiteral("the name of %1").arg(column));
    if (!IsPlainAscii(name)) {
        Damaged(QStringLiteral("the name of %1 at %2 is not plain ASCII")
                    .arg(column, Offset(in.Pos() - nameLength)));
    }
    field.name = QString::fromLatin1(name);

    qsizetype pos = in.Pos();
    const std::uint32_t prefix = in.U16(QStringLiteral("the descriptor of %1").arg(field.name));
    if (prefix != 1 && prefix != 2) {
        Damaged(QStringLiteral("column %1 has a length-prefix size of %2 at %3 (1 or 2 expected)")
                    .arg(field.name)
                    .arg(prefix)
                    .arg(Offset(pos)));
    }
    layout.prefixSize = static_cast<int>(prefix);
    pos = in.Pos();
    const std::uint32_t type = in.U16(QStringLiteral("the descriptor of %1").arg(field.name));
    if (type != kTypeText) {
        Damaged(QStringLiteral("column %1 has the unknown type code 0x%2 at %3")
                    .arg(field.name)
                    .arg(type, 4, 16, QLatin1Char('0'))
                    .arg(Offset(pos)));
    }
    const std::uint32_t attributes = in.U16(QStringLiteral("the descriptor of %1").arg(field.name));
    field.required = (attributes & kAttrRequired) != 0;

    const std::uint32_t propertyCount =
        in.U16(QStringLiteral("the descriptor of %1").arg(field.name));
    bool haveWidth = false;
    for (std::uint32_t k = 0; k < propertyCount; ++k) {
        const Property p = ReadProperty(in, QStringLiteral("column %1").arg(field.name));
        if (p.name == QByteArrayView("WIDTH")) {
            field.size = ReadWidth(p, field.name, in.Pos());
            haveWidth = true;
        }
    }
    if (!haveWidth) {
        Damaged(QStringLiteral("column %1 has no WIDTH property").arg(field.name));
    }
}

// Value flags of column c in the flag bytes of a row.
int ColumnFlags(const unsigned char* flags, std::size_t c) {
    return (flags[c / 4] >> (2 * (c % 4))) & 3;
}

std::size_t ReadLength(const unsigned char* p, int prefixSize) {
    return prefixSize == 1 ? p[0] : static_cast<std::size_t>(p[0] | (p[1] << 8));
}

}  // namespace

PacketTable ReadPacket(QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    if (size < kHeaderSize) {
        Damaged(QStringLiteral("it is %1 bytes long, shorter than its 24-byte header").arg(size));
    }
    if (std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0) {
        Damaged(QStringLiteral("the signature at offset 0 is not 96 19 E0 BD"));
    }
    MetaReader in(bytes);
    in.Seek(4);
    const QString header = QStringLiteral("the header");
    in.U32(header);  // format version
    const qsizetype headerSize = in.U32(header);
    const std::size_t columnCount = in.U16(header);
    const std::size_t rowCount = in.U32(header);
    in.U32(header);  // not interpreted
    const qsizetype metadataSize = in.U16(header);
    if (headerSize < kHeaderSize || headerSize > metadataSize) {
        Damaged(QStringLiteral("the header size %1 at offset 8 is not between 24 and the metadata "
                               "size %2")
                    .arg(headerSize)
                    .arg(metadataSize));
    }
    if (metadataSize > size) {
        Damaged(QStringLiteral("the metadata size %1 at offset 22 runs past the end of the "
                               "packet (%2 bytes)")
                    .arg(metadataSize)
                    .arg(size));
    }
    if (columnCount == 0) {
        Damaged(QStringLiteral("the column count at offset 12 is 0"));
    }

    PacketTable table;
    table.fields.resize(columnCount);
    std::vector<ColumnLayout> layout(columnCount);
    in.Seek(headerSize);
    for (std::size_t c = 0; c < columnCount; ++c) {
        ReadDescriptor(in, static_cast<int>(c), table.fields[c], layout[c]);
        for (std::size_t other = 0; other < c; ++other) {
            if (table.fields[other].name.compare(table.fields[c].name, Qt::CaseInsensitive) == 0) {
                Damaged(QStringLiteral("two columns are named %1").arg(table.fields[c].name));
            }
        }
    }
    const std::uint32_t tablePropertyCount = in.U16(QStringLiteral("the table property count"));
    for (std::uint32_t k = 0; k < tablePropertyCount; ++k) {
        ReadProperty(in, QStringLiteral("the table"));
    }
    if (in.Pos() != metadataSize) {
        Damaged(QStringLiteral("the metadata size %1 at offset 22 does not match the column "
                               "descriptors and table properties, which end at offset %2")
                    .arg(metadataSize)
                    .arg(in.Pos()));
    }

    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t end = static_cast<std::size_t>(size);
    const std::size_t first = static_cast<std::size_t>(metadataSize);
    const std::size_t flagBytes = (columnCount + 3) / 4;
    const std::size_t minRowSize = 1 + flagBytes;
    if (rowCount > (end - first) / minRowSize) {
        Damaged(QStringLiteral("the row count %1 at offset 14 cannot fit in the %2 bytes after "
                               "the metadata")
                    .arg(rowCount)
                    .arg(end - first));
    }

    // First pass: check every row and add up each column's bytes, so that the arenas are
    // allocated once at their final size.
    std::size_t pos = first;
    for (std::size_t r = 0; r < rowCount; ++r) {
        const auto where = [&](std::size_t at) {
            return QStringLiteral("row %1 at %2")
                .arg(r + 1)
                .arg(Offset(static_cast<qsizetype>(at)));
        };
        if (end - pos < minRowSize) {
            Damaged(QStringLiteral("%1 is truncated: the packet ends inside its status and flags")
                        .arg(where(pos)));
        }
        if (data[pos] != 0) {
            Damaged(QStringLiteral("%1 has the status %2; only unchanged rows (0) can be read")
                        .arg(where(pos))
                        .arg(data[pos]));
        }
        const unsigned char* flags = data + pos + 1;
        pos += minRowSize;
        for (std::size_t c = 0; c < columnCount; ++c) {
            const int f = ColumnFlags(flags, c);
            if ((f & kCarriedOverFlag) != 0) {
                Damaged(QStringLiteral("%1 flags a carried-over value in column %2, which the "
                                       "reader does not support")
                            .arg(where(pos - minRowSize), table.fields[c].name));
            }
            if ((f & kNullFlag) != 0) {
                continue;
            }
            const auto prefix = static_cast<std::size_t>(layout[c].prefixSize);
            if (end - pos < prefix) {
                Damaged(QStringLiteral("%1 is truncated: the packet ends inside the length of "
                                       "column %2")
                            .arg(where(pos), table.fields[c].name));
            }
            const std::size_t length = ReadLength(data + pos, layout[c].prefixSize);
            pos += prefix;
            if (end - pos < length) {
                Damaged(QStringLiteral("%1: the %2-byte value of column %3 runs past the end of "
                                       "the packet")
                            .arg(where(pos))
                            .arg(length)
                            .arg(table.fields[c].name));
            }
            if (length > static_cast<std::size_t>(table.fields[c].size)) {
                Damaged(QStringLiteral("%1: the %2-byte value of column %3 is longer than its "
                                       "size %4")
                            .arg(where(pos))
                            .arg(length)
                            .arg(table.fields[c].name)
                            .arg(table.fields[c].size));
            }
            layout[c].total += static_cast<qsizetype>(length);
            pos += length;
        }
    }
    if (pos != end) {
        Damaged(
            QStringLiteral("%1 bytes follow the last row, at offset %2").arg(end - pos).arg(pos));
    }
    for (std::size_t c = 0; c < columnCount; ++c) {
        if (layout[c].total > std::numeric_limits<std::int32_t>::max()) {
            Damaged(QStringLiteral("column %1 holds more bytes than a table can keep")
                        .arg(table.fields[c].name));
        }
    }

    // Second pass: copy the values, already checked, into contiguous arenas.
    table.columns.resize(columnCount);
    std::vector<char*> out(columnCount);
    std::vector<std::uint32_t> used(columnCount, 0);
    for (std::size_t c = 0; c < columnCount; ++c) {
        ColumnData& column = table.columns[c];
        column.arena = QByteArray(layout[c].total, Qt::Uninitialized);
        column.cells.resize(rowCount);
        out[c] = column.arena.data();
    }
    pos = first;
    for (std::size_t r = 0; r < rowCount; ++r) {
        const unsigned char* flags = data + pos + 1;
        pos += minRowSize;
        for (std::size_t c = 0; c < columnCount; ++c) {
            ColumnData::Cell& cell = table.columns[c].cells[r];
            // A missing or empty value still gets the running offset, so offsets stay ascending.
            cell.offset = used[c];
            if ((ColumnFlags(flags, c) & kNullFlag) != 0) {
                continue;
            }
            const int prefix = layout[c].prefixSize;
            const std::size_t length = ReadLength(data + pos, prefix);
            pos += static_cast<std::size_t>(prefix);
            if (length > 0) {
                std::memcpy(out[c] + used[c], data + pos, length);
                cell.length = static_cast<std::int32_t>(length);
                used[c] += static_cast<std::uint32_t>(length);
                pos += length;
            }
        }
    }
    return table;
}

namespace {

void PutUint(QByteArray& out, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) {
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

}  // namespace

QByteArray WritePacket(const PacketTable& table, const std::vector<int>& prefixSizes,
                       std::uint32_t spareWord) {
    const std::size_t columnCount = table.fields.size();
    if (columnCount == 0 || table.columns.size() != columnCount ||
        prefixSizes.size() != columnCount) {
        throw AppError(QStringLiteral("WritePacket: fields, columns and prefix sizes disagree"));
    }
    const std::size_t rowCount = table.columns.front().RowCount();

    QByteArray meta;
    for (std::size_t c = 0; c < columnCount; ++c) {
        const FieldDef& field = table.fields[c];
        const QByteArray name = field.name.toLatin1();
        const int widthSize = field.size <= 0xFFFF ? 2 : 4;
        PutUint(meta, static_cast<std::uint32_t>(name.size()), 1);
        meta.append(name);
        PutUint(meta, static_cast<std::uint32_t>(prefixSizes[c]), 2);
        PutUint(meta, kTypeText, 2);
        PutUint(meta, field.required ? kAttrRequired : 0, 2);
        PutUint(meta, 1, 2);  // one property: WIDTH
        PutUint(meta, 5, 1);
        meta.append("WIDTH");
        PutUint(meta, static_cast<std::uint32_t>(widthSize), 2);
        PutUint(meta, kPropUnsigned, 2);
        PutUint(meta, static_cast<std::uint32_t>(field.size), widthSize);
    }
    PutUint(meta, 0, 2);  // no table properties
    if (kHeaderSize + meta.size() > 0xFFFF) {
        throw AppError(QStringLiteral("WritePacket: too many columns for the metadata size"));
    }

    QByteArray out;
    out.append(reinterpret_cast<const char*>(kSignature), sizeof kSignature);
    PutUint(out, 1, 4);
    PutUint(out, kHeaderSize, 4);
    PutUint(out, static_cast<std::uint32_t>(columnCount), 2);
    PutUint(out, static_cast<std::uint32_t>(rowCount), 4);
    PutUint(out, spareWord, 4);
    PutUint(out, static_cast<std::uint32_t>(kHeaderSize + meta.size()), 2);
    out.append(meta);

    const std::size_t flagBytes = (columnCount + 3) / 4;
    for (std::size_t r = 0; r < rowCount; ++r) {
        out.append('\0');
        QByteArray flags(static_cast<qsizetype>(flagBytes), '\0');
        for (std::size_t c = 0; c < columnCount; ++c) {
            if (table.columns[c].IsNull(r)) {
                flags[static_cast<qsizetype>(c / 4)] |=
                    static_cast<char>(kNullFlag << (2 * (c % 4)));
            }
        }
        out.append(flags);
        for (std::size_t c = 0; c < columnCount; ++c) {
            if (table.columns[c].IsNull(r)) {
                continue;
            }
            const QByteArrayView value = table.columns[c].Value(r);
            const int prefix = prefixSizes[c];
            if (value.size() >= (qsizetype{1} << (8 * prefix))) {
                throw AppError(QStringLiteral("WritePacket: a value of column %1 is too long")
                                   .arg(table.fields[c].name));
            }
            PutUint(out, static_cast<std::uint32_t>(value.size()), prefix);
            out.append(value);
        }
    }
    return out;
}
