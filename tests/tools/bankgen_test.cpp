#include "tools/bankgen.h"

#include <gtest/gtest.h>

#include "platform/dataset/dataset.h"
#include "platform/dataset/packet.h"
#include "platform/text/ansi.h"
#include "tests/dataset/directory_layout.h"

#include <QFile>
#include <QResource>
#include <QSet>

namespace {

QByteArray Embedded() {
    QFile file(QStringLiteral(":/BANKDATA"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

class Directory : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        packet_ = new QByteArray(Embedded());
        table_ = new PacketTable(ReadPacket(*packet_));
    }
    static void TearDownTestSuite() {
        delete table_;
        delete packet_;
    }
    static const ColumnData& Codes() { return table_->columns[0]; }
    static const ColumnData& Names() { return table_->columns[1]; }

    static QByteArray* packet_;
    static PacketTable* table_;
};

QByteArray* Directory::packet_ = nullptr;
PacketTable* Directory::table_ = nullptr;

}  // namespace

TEST_F(Directory, IsEmbeddedUncompressed) {
    const QResource resource(QStringLiteral(":/BANKDATA"));
    ASSERT_TRUE(resource.isValid());
    EXPECT_EQ(resource.compressionAlgorithm(), QResource::NoCompression);
    EXPECT_EQ(resource.size(), bankgen::kPacketSize);
    EXPECT_EQ(packet_->size(), bankgen::kPacketSize);
}

TEST_F(Directory, HasTheDirectoryHeaderAndColumns) {
    const QByteArray expected = DirectoryMetadata(bankgen::kRows);
    EXPECT_EQ(packet_->first(81).toHex(' '), expected.toHex(' '));
    ASSERT_EQ(table_->fields.size(), 2u);
    EXPECT_EQ(table_->fields[0].name, QStringLiteral("BANKCODE"));
    EXPECT_EQ(table_->fields[0].size, 20);
    EXPECT_TRUE(table_->fields[0].required);
    EXPECT_EQ(table_->fields[1].name, QStringLiteral("LNAME"));
    EXPECT_EQ(table_->fields[1].size, 255);
    EXPECT_FALSE(table_->fields[1].required);
    EXPECT_EQ(Codes().RowCount(), bankgen::kRows);
    EXPECT_EQ(Names().RowCount(), bankgen::kRows);
}

TEST_F(Directory, CodesAreTwelveUniqueDigits) {
    EXPECT_EQ(Codes().Value(0), QByteArrayView(bankgen::kFirstCode));
    QSet<QByteArray> seen;
    for (std::size_t r = 0; r < Codes().RowCount(); ++r) {
        const QByteArrayView code = Codes().Value(r);
        ASSERT_EQ(code.size(), 12) << r;
        for (char c : code) {
            ASSERT_TRUE(c >= '0' && c <= '9') << r;
        }
        seen.insert(code.toByteArray());
    }
    EXPECT_EQ(static_cast<std::size_t>(seen.size()), bankgen::kRows);
}

// Names of 8 to 60 bytes without a blank or control byte, and among them the kinds of
// characters the search has to cope with.
TEST_F(Directory, NamesHaveTheDirectoryProperties) {
    int latin = 0, digits = 0, parentheses = 0, underscores = 0, ours = 0;
    const QByteArray ourBank = ansi::Encode(u"星澜聚川银行");
    for (std::size_t r = 0; r < Names().RowCount(); ++r) {
        const QByteArrayView name = Names().Value(r);
        ASSERT_GE(name.size(), 8) << r;
        ASSERT_LE(name.size(), 60) << r;
        bool hasLatin = false, hasDigit = false;
        for (qsizetype i = 0; i < name.size(); ++i) {
            const auto b = static_cast<unsigned char>(name[i]);
            ASSERT_GT(b, 0x20) << r;
            if (b >= 0x80) {
                ++i;  // a two-byte character: its trail byte may look like a letter
                continue;
            }
            hasLatin |= (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
            hasDigit |= b >= '0' && b <= '9';
            parentheses += b == '(';
            underscores += b == '_';
        }
        latin += hasLatin;
        digits += hasDigit;
        ours += name.contains(ourBank);
        ASSERT_EQ(ansi::Encode(ansi::Decode(name)), name) << r;  // valid GB18030 throughout
    }
    EXPECT_GT(latin, 0);
    EXPECT_GT(digits, 0);
    EXPECT_GT(parentheses, 0);
    EXPECT_GT(underscores, 0);
#if CORPPAY_BANKDATA_GENERATED
    // The generated directory has a fair share of each, and our own bank's branches.
    EXPECT_GT(latin, 100);
    EXPECT_GT(digits, 100);
    EXPECT_GT(parentheses, 100);
    EXPECT_GT(underscores, 100);
    EXPECT_GT(ours, 100);
#endif
}

TEST_F(Directory, LoadsAndFiltersAsTheSearchDialogDoes) {
    QFile file(QStringLiteral(":/BANKDATA"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    Dataset cds;
    cds.LoadFromStream(file);
    EXPECT_EQ(cds.RecordCount(), static_cast<int>(bankgen::kRows));
    cds.SetFilterText(QStringLiteral("BANKCODE = '105851002223'"));
    cds.SetFiltered(true);
    EXPECT_EQ(cds.RecordCount(), 1);
    cds.SetFilterText(QStringLiteral("BANKCODE = '105851'"));
    EXPECT_EQ(cds.RecordCount(), 0);
    cds.SetFilterText(QStringLiteral("LNAME LIKE '% %'"));
    EXPECT_EQ(cds.RecordCount(), 0);
    // The name search against a count over the decoded names.
    const QString branch = QStringLiteral("支行");
    int expected = 0;
    for (std::size_t r = 0; r < Names().RowCount(); ++r) {
        expected += ansi::Decode(Names().Value(r)).contains(branch);
    }
    cds.SetFilterText(QStringLiteral("LNAME LIKE '%支行%'"));
    EXPECT_EQ(cds.RecordCount(), expected);
    EXPECT_GT(expected, 0);
}

TEST(BankGen, CheckAcceptsTheDirectoryAndRefusesDamage) {
    const QByteArray packet = Embedded();
    EXPECT_EQ(bankgen::CheckDirectory(packet), QString());
    EXPECT_TRUE(bankgen::CheckDirectory(packet.first(packet.size() - 1))
                    .startsWith(u"Damaged data packet: "));
    PacketTable other;
    other.fields = {{QStringLiteral("CODE"), 12, true}};
    other.columns.resize(1);
    other.columns[0].Append("1");
    EXPECT_EQ(bankgen::CheckDirectory(WritePacket(other, {1})),
              QStringLiteral("the packet's columns are not BANKCODE and LNAME"));
}

#if CORPPAY_BANKDATA_GENERATED
// The generator gives the same bytes on every run: a fresh run equals the embedded packet
// from the build.
TEST(BankGen, IsDeterministic) {
    EXPECT_TRUE(bankgen::GenerateDirectory() == Embedded());
}
#endif
