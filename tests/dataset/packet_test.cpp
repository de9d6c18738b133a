#include "platform/dataset/packet.h"

#include <gtest/gtest.h>

#include "platform/text/apperror.h"
#include "tests/common/testdir.h"
#include "tests/dataset/directory_layout.h"

#include <functional>

namespace {

// Two columns laid out like the bank directory, and two rows.
PacketTable DirectoryLike() {
    PacketTable t;
    t.fields = {{QStringLiteral("BANKCODE"), 20, true}, {QStringLiteral("LNAME"), 255, false}};
    t.columns.resize(2);
    t.columns[0].Append("105851002223");
    t.columns[1].Append(Gb("中国建设银行西宁城西支行"));
    t.columns[0].Append("102100000012");
    t.columns[1].Append(Gb("ICBC北京(CBD)_1"));
    return t;
}

QByteArray DirectoryLikePacket() {
    return WritePacket(DirectoryLike(), {1, 2});
}

QString ReadError(const QByteArray& packet) {
    try {
        ReadPacket(packet);
    } catch (const AppError& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

void Put16(QByteArray& b, qsizetype at, int v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void ExpectSameTable(const PacketTable& a, const PacketTable& b) {
    ASSERT_EQ(a.fields.size(), b.fields.size());
    for (std::size_t c = 0; c < a.fields.size(); ++c) {
        EXPECT_EQ(a.fields[c].name, b.fields[c].name);
        EXPECT_EQ(a.fields[c].size, b.fields[c].size);
        EXPECT_EQ(a.fields[c].required, b.fields[c].required);
        ASSERT_EQ(a.columns[c].RowCount(), b.columns[c].RowCount());
        for (std::size_t r = 0; r < a.columns[c].RowCount(); ++r) {
            EXPECT_EQ(a.columns[c].IsNull(r), b.columns[c].IsNull(r))
                << "column " << c << " row " << r;
            EXPECT_EQ(a.columns[c].Value(r), b.columns[c].Value(r))
                << "column " << c << " row " << r;
        }
    }
}

}  // namespace

// The metadata of the directory's layout, byte for byte: header, the 29-byte BANKCODE and the
// 26-byte LNAME descriptor, no table properties, rows from offset 81.
TEST(Packet, WritesTheDirectoryLayout) {
    const QByteArray packet = DirectoryLikePacket();
    const QByteArray expected = DirectoryMetadata(2);
    ASSERT_EQ(expected.size(), 81);
    EXPECT_EQ(packet.first(81).toHex(' '), expected.toHex(' '));
    // First row: status, flags, 1-byte length and code, 2-byte length and name.
    const QByteArray name = Gb("中国建设银行西宁城西支行");
    const QByteArray row =
        QByteArray::fromHex("00000c") + "105851002223" + QByteArray::fromHex("1800") + name;
    ASSERT_EQ(name.size(), 0x18);
    EXPECT_EQ(packet.sliced(81, row.size()).toHex(' '), row.toHex(' '));
}

TEST(Packet, ReadsWhatWasWritten) {
    const PacketTable original = DirectoryLike();
    const PacketTable read = ReadPacket(DirectoryLikePacket());
    ExpectSameTable(original, read);
}

// A value exactly as long as its field's size is read: 12-byte codes in a column of WIDTH 12.
TEST(Packet, ValueAsLongAsItsFieldIsRead) {
    PacketTable t = DirectoryLike();
    t.fields[0].size = 12;
    QByteArray packet = DirectoryLikePacket();
    packet[51] = 12;  // BANKCODE's WIDTH
    ExpectSameTable(t, ReadPacket(packet));
}

// Values of a loaded column lie back to back in row order; a missing value keeps the running
// offset, so offsets never go down.
TEST(Packet, ArenasAreContiguousInRowOrder) {
    PacketTable t;
    t.fields = {{QStringLiteral("A"), 10, false}};
    t.columns.resize(1);
    for (const char* v : {"one", "", "three", "", "", "x"}) {
        t.columns[0].Append(v);
    }
    const PacketTable read = ReadPacket(WritePacket(t, {1}));
    const ColumnData& column = read.columns[0];
    EXPECT_EQ(column.arena, QByteArray("onethreex"));
    std::uint32_t end = 0;
    for (const ColumnData::Cell& c : column.cells) {
        EXPECT_EQ(c.offset, end);
        end = c.offset + static_cast<std::uint32_t>(std::max(c.length, 0));
    }
    EXPECT_TRUE(column.IsNull(1));
    EXPECT_EQ(column.Value(2), QByteArrayView("three"));
}

// Two flag bits per column: with five columns the flags take two bytes, and a missing value
// in the fifth column is flagged in the second one.
TEST(Packet, NullFlagsAcrossFlagBytes) {
    PacketTable t;
    for (int c = 0; c < 5; ++c) {
        t.fields.push_back({QStringLiteral("F%1").arg(c), 300, c == 0});
    }
    t.columns.resize(5);
    const QList<QList<QByteArray>> rows = {{"a", "", "c", "d", ""}, {"a", "b", "", "", "e"}};
    for (const auto& row : rows) {
        for (int c = 0; c < 5; ++c) {
            t.columns[static_cast<std::size_t>(c)].Append(row[c]);
        }
    }
    const QByteArray packet = WritePacket(t, {1, 2, 1, 2, 2});
    // Row 1 starts after the metadata: status, then flag bytes 0b0000'0100 and 0b0000'0001.
    const qsizetype rowStart = static_cast<unsigned char>(packet[22]);
    EXPECT_EQ(packet[rowStart + 1], char(0x04));
    EXPECT_EQ(packet[rowStart + 2], char(0x01));
    ExpectSameTable(t, ReadPacket(packet));
}

TEST(Packet, SkipsOtherPropertiesAndIgnoresTheSpareWord) {
    QByteArray packet = DirectoryLikePacket();
    const PacketTable expected = ReadPacket(packet);
    // A second property on LNAME (after WIDTH, at 79) and one table property (at 79 + 11).
    // MASK: 1 byte, unsigned, 7; LCD: 4 bytes, unsigned, 0x804.
    const QByteArray columnProperty =
        QByteArray::fromHex("04") + "MASK" + QByteArray::fromHex("0100020007");
    const QByteArray tableProperty =
        QByteArray::fromHex("03") + "LCD" + QByteArray::fromHex("0400020004080000");
    packet.insert(79, columnProperty);
    Put16(packet, 65, 2);  // LNAME's property count
    const qsizetype tableCount = 79 + columnProperty.size();
    Put16(packet, tableCount, 1);
    packet.insert(tableCount + 2, tableProperty);
    Put16(packet, 22, 81 + static_cast<int>(columnProperty.size() + tableProperty.size()));
    packet[18] = char(0x7F);  // the word the reader does not interpret
    ExpectSameTable(expected, ReadPacket(packet));
}

// Damaged packets: each case breaks a valid two-row packet in one place. Offsets follow the
// layout: descriptors at 24 (BANKCODE) and 53 (LNAME), table properties at 79, rows at 81.
struct Damage {
    const char* name;
    std::function<void(QByteArray&)> change;
    const char* says;
};

void PrintTo(const Damage& d, std::ostream* os) {
    *os << d.name;
}

class DamagedPacket : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedPacket, IsRefusedWithItsReason) {
    QByteArray packet = DirectoryLikePacket();
    GetParam().change(packet);
    const QString message = ReadError(packet);
    EXPECT_TRUE(message.startsWith(u"Damaged data packet: ")) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(GetParam().says))) << message.toStdString();
}

const qsizetype kRow2 = 81 + 3 + 12 + 2 + 24;

INSTANTIATE_TEST_SUITE_P(
    Packet, DamagedPacket,
    ::testing::Values(
        Damage{"Short", [](QByteArray& b) { b.truncate(10); }, "shorter than its 24-byte header"},
        Damage{"Signature", [](QByteArray& b) { b[3] = char(0xBE); }, "signature"},
        Damage{"HeaderSize", [](QByteArray& b) { b[8] = 20; }, "header size 20"},
        Damage{"MetadataPastEnd", [](QByteArray& b) { Put16(b, 22, 0x7000); }, "runs past the end"},
        Damage{"MetadataMismatch", [](QByteArray& b) { Put16(b, 22, 82); },
               "metadata size 82 at offset 22 does not match"},
        Damage{"NoColumns", [](QByteArray& b) { Put16(b, 12, 0); }, "column count"},
        Damage{"TooManyRows", [](QByteArray& b) { b[14] = 3; }, "row 3 at offset"},
        Damage{"HugeRowCount", [](QByteArray& b) { b[17] = 0x10; }, "cannot fit"},
        Damage{"TooFewRows", [](QByteArray& b) { b[14] = 1; }, "bytes follow the last row"},
        Damage{"TrailingByte", [](QByteArray& b) { b.append('\0'); },
               "1 bytes follow the last row"},
        Damage{"TruncatedValue", [](QByteArray& b) { b.chop(1); },
               "runs past the end of the packet"},
        Damage{"LengthPastEnd", [](QByteArray& b) { Put16(b, kRow2 + 3 + 12, 0xFFF0); },
               "runs past the end of the packet"},
        Damage{"TruncatedLength", [](QByteArray& b) { b.truncate(kRow2 + 3 + 12 + 1); },
               "inside the length of column LNAME"},
        Damage{"PrefixSize", [](QByteArray& b) { b[33] = 3; }, "length-prefix size of 3"},
        Damage{"TypeCode", [](QByteArray& b) { b[61] = 0x48; }, "unknown type code 0x0048"},
        Damage{"NoWidth", [](QByteArray& b) { b[72] = 'X'; }, "column LNAME has no WIDTH"},
        Damage{"WidthType", [](QByteArray& b) { b[49] = 1; }, "WIDTH of column BANKCODE"},
        Damage{"ValueTooLong", [](QByteArray& b) { b[51] = 11; }, "longer than its size 11"},
        Damage{"EmptyName", [](QByteArray& b) { b[24] = 0; }, "empty name"},
        Damage{"RowStatus", [](QByteArray& b) { b[kRow2] = 4; },
               "row 2 at offset 122 has the status 4"},
        Damage{"CarriedOverFlag", [](QByteArray& b) { b[82] = 0x08; },
               "carried-over value in column LNAME"},
        Damage{"DescriptorPastEnd",
               [](QByteArray& b) {
                   b.truncate(60);
                   Put16(b, 22, 60);
               },
               "the packet ends inside"}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });
