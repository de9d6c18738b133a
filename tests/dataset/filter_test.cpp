#include "platform/dataset/filter.h"

#include <gtest/gtest.h>

#include "platform/dataset/packet.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "tests/common/testdir.h"

#include <random>

namespace {

using Rows = std::vector<std::uint32_t>;

// Two GB18030 bytes that are a character of their own but also occur across the boundary of
// "中国" (the trail byte of 中 and the lead byte of 国).
QByteArray AcrossBoundary() {
    return Gb("中国").sliced(1, 2);
}

// A two-byte character whose trail byte is the letter "A" (0x41).
QByteArray TrailA() {
    return QByteArray("\x81\x41");
}

struct Table {
    QStringList names = {QStringLiteral("CODE"), QStringLiteral("NAME")};
    std::vector<ColumnData> columns = std::vector<ColumnData>(2);

    void Add(const QByteArray& code, const QByteArray& name) {
        columns[0].Append(code);
        columns[1].Append(name);
    }
    Rows Select(const QString& filter) const { return SelectRows(filter, names, columns); }
};

Table Sample() {
    Table t;
    t.Add("105851002223", Gb("中国工商银行北京分行"));        // 0
    t.Add("102100000012", Gb("ABC支行(营业部)"));             // 1
    t.Add("102100000013", Gb("abc_def"));                     // 2
    t.Add("102100000014", {});                                // 3: no name
    t.Add("301290000007", Gb("O'Brien银行"));                 // 4
    t.Add("301290000008", Gb("100%储蓄所"));                  // 5
    t.Add("301290000009", QByteArray("x") + TrailA() + "z");  // 6: 'A' only as a trail byte
    t.Add("301290000010", AcrossBoundary() + Gb("支行"));     // 7: that character for real
    return t;
}

QString Quoted(const QString& text) {
    QString q = text;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

QString ErrorOf(const Table& t, const QString& filter) {
    try {
        t.Select(filter);
    } catch (const AppError& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

// The test's own reading of "contains": on decoded text, whole characters, Latin letters
// without regard to case.
QString FoldLatin(QString s) {
    for (QChar& c : s) {
        if (c >= u'A' && c <= u'Z') {
            c = QChar(c.unicode() + 32);
        }
    }
    return s;
}

}  // namespace

struct FilterCase {
    const char* filter;  // UTF-8
    Rows rows;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << c.filter;
}

class Filter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(Filter, SelectsTheRows) {
    const Table t = Sample();
    EXPECT_EQ(t.Select(QString::fromUtf8(GetParam().filter)), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, Filter,
    ::testing::Values(
        FilterCase{"", {0, 1, 2, 3, 4, 5, 6, 7}}, FilterCase{"   ", {0, 1, 2, 3, 4, 5, 6, 7}},
        FilterCase{"NAME LIKE '%支行%'", {1, 7}}, FilterCase{"name like '%银行%'", {0, 4}},
        FilterCase{"  Name\tLike'%abc%'  ", {1, 2}},  // letters match either case
        FilterCase{"NAME LIKE '%ABC支%'", {1}}, FilterCase{"NAME LIKE '%(营业部)%'", {1}},
        FilterCase{"NAME LIKE '%o''brien%'", {4}},
        FilterCase{"NAME LIKE '% %'", {}},                   // no name holds a blank
        FilterCase{"NAME LIKE '%'", {0, 1, 2, 4, 5, 6, 7}},  // every name, never a null
        FilterCase{"NAME LIKE '中国%'", {0}}, FilterCase{"NAME LIKE '%分行'", {0}},
        FilterCase{"NAME LIKE '中国工商银行北京分行'", {0}},
        FilterCase{"NAME LIKE '中_工%'", {0}},  // "_" is one character, two bytes here
        FilterCase{"NAME LIKE '中__工%'", {}},
        FilterCase{"NAME LIKE '___%'", {0, 1, 2, 4, 5, 6, 7}},
        FilterCase{"NAME LIKE 'x_z'", {6}},    // the trail-A character is one character
        FilterCase{"NAME LIKE '%c_d%'", {2}},  // "_" matches the underscore too
        FilterCase{"NAME LIKE '%0\\%%'", {}},  // no escape: "\" is a plain character
        FilterCase{"NAME LIKE '%0%储%'", {5}},
        FilterCase{"NAME LIKE '%A%'", {1, 2}},  // never the trail byte of row 6
        FilterCase{"NAME LIKE '%a%'", {1, 2}}, FilterCase{"CODE = '105851002223'", {0}},
        FilterCase{"CODE='105851'", {}}, FilterCase{"CODE LIKE '105851%'", {0}},
        FilterCase{"NAME = 'abc_def'", {2}},
        FilterCase{"NAME = 'ABC_DEF'", {}},  // "=" keeps letter case
        FilterCase{"NAME = 'abc%'", {}},     // and has no wildcards
        FilterCase{"NAME = 'O''Brien银行'", {4}}, FilterCase{"NAME = ''", {}}));

// A needle whose bytes occur across two characters, or as a trail byte, must not match there.
TEST(FilterBoundaries, MatchesOnlyWholeCharacters) {
    Table t = Sample();
    ASSERT_TRUE(t.columns[1].arena.contains(AcrossBoundary()));
    const QString across = ansi::Decode(AcrossBoundary());
    EXPECT_EQ(t.Select(QStringLiteral("NAME LIKE '%%1%'").arg(across)), Rows{7});
    EXPECT_EQ(t.Select(QStringLiteral("NAME LIKE '%%1%'").arg(ansi::Decode(TrailA()))), Rows{6});
}

// After a "%" the pattern moves on through the value a character at a time: the bytes of 分行
// hold those of 中 across the two characters, which is no 中.
TEST(FilterBoundaries, WildcardsStepOverWholeCharacters) {
    Table t;
    t.Add("1", Gb("工商银行成都分行高新支行"));
    t.Add("2", Gb("中国银行高新支行"));
    ASSERT_TRUE(t.columns[1].arena.contains(Gb("中")));
    EXPECT_EQ(t.Select(QStringLiteral("NAME LIKE '%中%支行%'")), Rows{1});
    EXPECT_EQ(t.Select(QStringLiteral("NAME LIKE '%中_%'")), Rows{1});
    EXPECT_EQ(t.Select(QStringLiteral("NAME LIKE '%行%中%'")), Rows{});
}

TEST(FilterSyntax, RefusesWhatIsNoExpression) {
    const Table t = Sample();
    for (const char* bad : {"NAME", "NAME LIKE", "NAME LIKE 'x", "NAME LIKE 'x' AND CODE = '1'",
                            "NAME < 'x'", "'x' = NAME", "NAME LIKE x", "NAME NOT LIKE 'x'",
                            "NAME == 'x'", "1NAME = 'x'", "NAME = 'x''"}) {
        EXPECT_TRUE(ErrorOf(t, QString::fromUtf8(bad)).startsWith(u"Invalid filter expression"))
            << bad << ": " << ErrorOf(t, QString::fromUtf8(bad)).toStdString();
    }
    EXPECT_EQ(ErrorOf(t, QStringLiteral("BANK = 'x'")), QStringLiteral("Field 'BANK' not found"));
}

// The search over a whole arena and the row-by-row search of an edited column must agree,
// with each other and with a plain reading of "contains", on many needles over many names.
TEST(FilterContains, ArenaSearchAgreesWithRowByRow) {
    std::mt19937 rng(7);
    // Pieces of names: CJK, Latin, digits, "(", a four-byte character (95 32 82 36, with digits
    // inside) and the two tricky characters above. The underscore only goes into names, since it is
    // a wildcard in needles.
    const QStringList pieces = {QStringLiteral("中"),
                                QStringLiteral("国"),
                                QStringLiteral("支行"),
                                QStringLiteral("A"),
                                QStringLiteral("b"),
                                QStringLiteral("("),
                                QStringLiteral("1"),
                                QStringLiteral("2"),
                                QStringLiteral("6"),
                                QStringLiteral("分"),
                                QString::fromUcs4(U"\U00020000", 1),
                                ansi::Decode(AcrossBoundary()),
                                ansi::Decode(TrailA()),
                                QStringLiteral("_")};
    const auto randomText = [&](int maxPieces, qsizetype pieceCount) {
        QString s;
        const int n = 1 + static_cast<int>(rng() % static_cast<unsigned>(maxPieces));
        for (int i = 0; i < n; ++i) {
            s += pieces[static_cast<qsizetype>(rng() % static_cast<unsigned>(pieceCount))];
        }
        return s;
    };
    Table fresh;
    QStringList texts;
    for (int r = 0; r < 1200; ++r) {
        texts.append(rng() % 50 == 0 ? QString() : randomText(30, pieces.size()));
        fresh.Add(QByteArray::number(r), ansi::Encode(texts.back()));
    }
    // The same values, but every fifth row rewritten, so its value moves to the arena's end.
    Table edited = fresh;
    for (std::size_t r = 0; r < edited.columns[1].RowCount(); r += 5) {
        edited.columns[1].Set(r, edited.columns[1].Value(r).toByteArray());
    }
    QStringList folded;
    for (const QString& text : texts) {
        folded.append(FoldLatin(text));
    }
    for (int k = 0; k < 100; ++k) {
        const QString needle = randomText(3, pieces.size() - 1);
        const QString foldedNeedle = FoldLatin(needle);
        Rows expected;
        for (qsizetype r = 0; r < texts.size(); ++r) {
            if (!texts[r].isEmpty() && folded[r].contains(foldedNeedle)) {
                expected.push_back(static_cast<std::uint32_t>(r));
            }
        }
        const QString filter = QStringLiteral("NAME LIKE %1").arg(Quoted(u'%' + needle + u'%'));
        ASSERT_EQ(fresh.Select(filter), expected) << needle.toStdString();
        ASSERT_EQ(edited.Select(filter), expected) << needle.toStdString();
    }
}

namespace {

// A one-column table whose arena is exactly as long as its values, as a loaded packet's is, so
// that a read past the last value leaves the allocation.
Table Exact(const QList<QByteArray>& values) {
    Table t;
    QByteArray arena;
    for (const QByteArray& v : values) {
        t.columns[0].cells.push_back({static_cast<std::uint32_t>(arena.size()), 0});
        t.columns[1].cells.push_back(
            {static_cast<std::uint32_t>(arena.size()), static_cast<std::int32_t>(v.size())});
        arena += v;
    }
    t.columns[1].arena = QByteArray(arena.constData(), arena.size());
    return t;
}

}  // namespace

// A search reads the bytes of the values and no byte after the last one: for every value length
// from 1 byte on, and needles as long as the value, shorter, or near the arena's end.
TEST(FilterContains, ReadsNothingPastTheLastValue) {
    const QString text = QStringLiteral("中国农业银行股份有限公司兰州朝阳路第七分理处abcdefghij");
    for (qsizetype length = 1; length <= text.size(); ++length) {
        const QString value = text.right(length);
        for (const QString& needle :
             {value, value.right(1), value.right((length + 1) / 2), value.left((length + 1) / 2)}) {
            const Table t = Exact({ansi::Encode(value)});
            EXPECT_EQ(t.Select(QStringLiteral("NAME LIKE %1").arg(Quoted(u'%' + needle + u'%'))),
                      Rows{0})
                << value.toStdString() << " / " << needle.toStdString();
        }
    }
    // A one-byte column, and the directory's long name after shorter ones.
    EXPECT_EQ(Exact({"x"}).Select(QStringLiteral("NAME LIKE '%x%'")), Rows{0});
    EXPECT_EQ(Exact({"a", "x"}).Select(QStringLiteral("NAME LIKE '%y%'")), Rows{});
    const Table directory = Exact({Gb("中国工商银行北京分行"), Gb("兰州朝阳路支行"),
                                   Gb("中国农业银行股份有限公司兰州朝阳路第七分理处")});
    EXPECT_EQ(
        directory.Select(QStringLiteral("NAME LIKE '%业银行股份有限公司兰州朝阳路第七分理处%'")),
        Rows{2});
}
