#include "platform/dataset/initialsindex.h"

#include <gtest/gtest.h>

#include "platform/dataset/dataset.h"
#include "platform/dataset/packet.h"
#include "platform/text/ansi.h"
#include "platform/text/initials.h"
#include "tests/common/testdir.h"

#include <QBuffer>
#include <QFile>

namespace {

using Rows = std::vector<std::uint32_t>;

const Initials& Table() {
    static const Initials table = [] {
        QFile file(QStringLiteral(":/INITIALS"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return Initials::Parse(file.readAll());
    }();
    return table;
}

// A small directory packet: code and name per row, one name missing.
QByteArray SmallPacket() {
    const char* names[] = {
        "中国建设银行股份有限公司成都高新支行",  // 0
        "中国工商银行成都高新区支行",            // 1
        "长沙银行",                              // 2
        "重庆农村商业银行",                      // 3
        "CBD支行",                               // 4
        "交通银行(上海)分行",                    // 5
        "星澜聚川银行",                          // 6
        nullptr,                                 // 7: no name
        "jsyh_营业部",                           // 8: the letters themselves
    };
    PacketTable table;
    table.fields = {{QStringLiteral("BANKCODE"), 20, true}, {QStringLiteral("LNAME"), 255, false}};
    table.columns.resize(2);
    int row = 0;
    for (const char* name : names) {
        table.columns[0].Append(QByteArray::number(105851002223LL + row++));
        table.columns[1].Append(name ? Gb(name) : QByteArray());
    }
    return WritePacket(table, {1, 2});
}

void Load(Dataset& ds, const QByteArray& packet) {
    QBuffer buffer;
    buffer.setData(packet);
    buffer.open(QIODevice::ReadOnly);
    ds.LoadFromStream(buffer);
}

Rows Visible(Dataset& ds) {
    Rows rows;
    for (int r = 0; r < ds.RecordCount(); ++r) {
        rows.push_back(static_cast<std::uint32_t>(ds.Text(r, 0).toLongLong() - 105851002223LL));
    }
    return rows;
}

QString Like(const char* term) {
    return QStringLiteral("LNAME LIKE '%%1%'").arg(QString::fromUtf8(term));
}

}  // namespace

struct TermCase {
    const char* term;  // UTF-8
    Rows rows;
};

void PrintTo(const TermCase& c, std::ostream* os) {
    *os << c.term;
}

class InitialsFilter : public ::testing::TestWithParam<TermCase> {};

// A term of Latin letters finds the names it is part of and those whose characters' initials
// spell it; any other term only the names it is part of.
TEST_P(InitialsFilter, FindsTheRows) {
    Dataset ds;
    ds.SetInitials(&Table());
    Load(ds, SmallPacket());
    ds.SetFilterText(Like(GetParam().term));
    ds.SetFiltered(true);
    EXPECT_EQ(Visible(ds), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Terms, InitialsFilter,
    ::testing::Values(TermCase{"jsyh", {0, 8}},  // 建设银行, and the letters as written
                      TermCase{"JSYH", {0, 8}},  // letter case ignored
                      TermCase{"cdgx", {0, 1}},  // 成都高新
                      TermCase{"yh", {0, 1, 2, 3, 5, 6, 8}},     // 银行, and "jsyh" as written
                      TermCase{"yx", {0, 1, 2, 3, 5, 6}},        // 行 also reads xíng
                      TermCase{"zs", {2}},                       // 长 reads cháng and zhǎng
                      TermCase{"cs", {2, 3}},                    // 长沙, and 村商
                      TermCase{"cq", {3}}, TermCase{"zq", {3}},  // 重庆
                      TermCase{"cbdz", {4}},                     // letters, then 支
                      TermCase{"jt", {5}}, TermCase{"sh", {5}},  // before and inside "()"
                      TermCase{"hs", {}},                        // "(" stands between
                      TermCase{"jh", {}},                        // not consecutive
                      // Across the end of one name and the start of the next, in the
                      // directory's order: 支行 | 长沙银行 | 重庆农村商业银行.
                      TermCase{"hz", {}}, TermCase{"hcs", {}}, TermCase{"xzq", {}},
                      TermCase{"x", {0, 1, 2, 3, 4, 5, 6}},  // 行, 新, 星
                      TermCase{"q", {0, 1, 3, 4}},           // 支 (zhī, qí), 区 (ōu, qū), 庆
                      TermCase{"yyb", {8}},                  // 营业部
                      TermCase{"jsyh_", {8}},                // not only letters
                      TermCase{"建设", {0}}, TermCase{"j s", {}}));

// Over the whole directory the index finds exactly the rows that a plain reading of each name
// finds.
TEST(InitialsIndex, AgreesWithReadingEachNameOverTheDirectory) {
    QFile file(QStringLiteral(":/BANKDATA"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const PacketTable table = ReadPacket(file.readAll());
    const ColumnData& names = table.columns[1];
    const InitialsIndex index(names, Table());
    std::vector<std::vector<Initials::Mask>> masks;
    for (std::size_t r = 0; r < names.RowCount(); ++r) {
        masks.push_back(Table().OfText(ansi::Decode(names.Value(r))));
    }
    for (const char* term :
         {"jsyh", "CDGX", "x", "zh", "yhzh", "gsyhg", "i", "abcdefgh", "zgjsyhgfyxgs"}) {
        Rows expected;
        for (std::size_t r = 0; r < masks.size(); ++r) {
            if (ContainsInitials(masks[r], QString::fromLatin1(term))) {
                expected.push_back(static_cast<std::uint32_t>(r));
            }
        }
        EXPECT_EQ(index.Select(QString::fromLatin1(term)), expected) << term;
        if (std::string_view(term) == "jsyh" || std::string_view(term) == "x") {
            EXPECT_GT(expected.size(), 1000u) << term;
        }
    }
    EXPECT_GT(index.Bytes(), 0u);
    EXPECT_LT(index.Bytes(), 2 * static_cast<std::size_t>(names.arena.size()));
}

// Without a table a filter matches the text only; a change of the table, and any change of the
// values, is taken into account at the next filtering.
TEST(InitialsIndex, FollowsTheTableAndTheValues) {
    Dataset ds;
    Load(ds, SmallPacket());
    ds.SetFilterText(Like("cdgx"));
    ds.SetFiltered(true);
    EXPECT_EQ(Visible(ds), Rows{});
    ds.SetInitials(&Table());
    EXPECT_EQ(Visible(ds), (Rows{0, 1}));

    // An edited name is found by its new initials and no longer by its old ones.
    ds.SetFiltered(false);
    ds.MoveTo(2);
    ds.Edit();
    ds.Fields(1).SetAsString(QStringLiteral("成都高新支行"));
    ds.Post();
    ds.SetFiltered(true);
    EXPECT_EQ(Visible(ds), (Rows{0, 1, 2}));
    ds.SetFilterText(Like("zs"));
    EXPECT_EQ(Visible(ds), Rows{});

    // Cancelling an edit restores the old name for the initials too.
    ds.SetFiltered(false);
    ds.MoveTo(3);
    ds.Edit();
    ds.Fields(1).SetAsString(QStringLiteral("长沙"));
    ds.SetFiltered(true);  // posts the edit
    EXPECT_EQ(Visible(ds), Rows{3});
    ds.SetFiltered(false);
    ds.MoveTo(3);
    ds.Edit();
    ds.Fields(1).SetAsString(QStringLiteral("重庆"));
    ds.Cancel();
    ds.SetFiltered(true);
    EXPECT_EQ(Visible(ds), Rows{3});

    // Appended and deleted rows.
    ds.SetFiltered(false);
    ds.Append();
    ds.Fields(0).SetAsString(QStringLiteral("105851002232"));
    ds.Fields(1).SetAsString(QStringLiteral("长寿支行"));
    ds.Post();
    ds.SetFiltered(true);
    EXPECT_EQ(Visible(ds), (Rows{3, 9}));
    ds.First();
    ds.Delete();
    ds.SetFilterText(Like("cs"));
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.Text(0, 1), QStringLiteral("长寿支行"));

    ds.SetInitials(nullptr);
    EXPECT_EQ(ds.RecordCount(), 0);
}
