#include "store/record.h"

#include <gtest/gtest.h>

namespace {
QStringList Fields(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* s : list) {
        out.append(QString::fromUtf8(s));
    }
    return out;
}
}  // namespace

TEST(Split, CommaTextRulesWithPipesReplaced) {
    struct Case {
        const char* line;
        QStringList expected;
    } cases[] = {
        {"a|b|c", Fields({"a", "b", "c"})},
        {"a||c", Fields({"a", "", "c"})},
        {"a|b|", Fields({"a", "b"})},
        {"A B|1|x", Fields({"A", "B", "1", "x"})},
        {"a | b", Fields({"a", "b"})},
        {"", Fields({})},
        {"   ", Fields({})},
        {"张三 李|6222|某银行|1234", Fields({"张三", "李", "6222", "某银行", "1234"})},
        {"name|acct|bank|", Fields({"name", "acct", "bank"})},
        {"|a", Fields({"", "a"})},
        {"\"x y\"|z", Fields({"x y", "z"})},
        {"\"a\"\"b\"|c", Fields({"a\"b", "c"})},
        {"\"abc", Fields({"ab"})},
        {"a\tb", Fields({"a", "b"})},
        {"a,b|c", Fields({"a", "b", "c"})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(record::Split(QString::fromUtf8(c.line), record::Pipes::Replace), c.expected)
            << c.line;
    }
}

TEST(Split, PipeIsOrdinaryWithoutReplacement) {
    EXPECT_EQ(record::Split(QString::fromUtf8("1|姓名|name"), record::Pipes::Keep),
              Fields({"1|姓名|name"}));
    EXPECT_EQ(record::Split(QString::fromUtf8("1,\"员工 姓名\",name"), record::Pipes::Keep),
              Fields({"1", "员工 姓名", "name"}));
    EXPECT_EQ(record::Split(QString::fromUtf8("1,员工 姓名,name"), record::Pipes::Keep).size(), 4);
}

TEST(Split, BinaryAndControlCharactersNeverHang) {
    QString junk;
    for (int i = 1; i < 600; ++i) {
        junk.append(QChar(static_cast<char16_t>((i * 37) % 0x3000 + 1)));
    }
    const QStringList fields = record::Split(junk, record::Pipes::Replace);
    for (const QString& f : fields) {
        EXPECT_FALSE(f.contains(u','));
    }
    // A NUL ends the line.
    EXPECT_EQ(record::Split(QString::fromUtf16(u"a|b\0c|d", 7), record::Pipes::Replace),
              Fields({"a", "b"}));
    const QString longLine = QString(100000, u'x') + u'|' + QString(100000, u'y');
    EXPECT_EQ(record::Split(longLine, record::Pipes::Replace).size(), 2);
}

TEST(Record, JoinAndFieldTest) {
    EXPECT_EQ(record::Join(Fields({"n", "a", "b", ""})), QStringLiteral("n|a|b|"));
    const QStringList fields = Fields({"Acme", "6222ABC", "bank"});
    EXPECT_TRUE(record::HasField(fields, QStringLiteral("6222abc")));
    EXPECT_TRUE(record::HasField(fields, QStringLiteral("bank")));
    EXPECT_FALSE(record::HasField(fields, QStringLiteral("6222")));
}

// Whatever a roster writer joins, the split gives back field by field: empty fields, blanks,
// commas and quotes included, and plain fields are written as they stand.
TEST(Record, QuotedJoinReadsBackAsWritten) {
    const QStringList rows[] = {
        Fields({"Acme Trading Co", "6222", "某银行", ""}),
        Fields({"张三", "6222", "", "105"}),
        Fields({"a,b", "say \"hi\"", "\"", "x\ty"}),
        Fields({"", "", "", ""}),
    };
    for (const QStringList& row : rows) {
        const QString line = record::JoinQuoted(row);
        EXPECT_EQ(record::Split(line, record::Pipes::Replace), row) << line.toStdString();
    }
    EXPECT_EQ(record::JoinQuoted(Fields({"张三", "6222", "某银行", "105"})),
              QString::fromUtf8("张三|6222|某银行|105"));
    EXPECT_EQ(record::JoinQuoted(Fields({"A B", "", "a\"b"})),
              QString::fromUtf8("\"A B\"|\"\"|\"a\"\"b\""));
}
