#include "platform/text/ansi.h"

#include <gtest/gtest.h>

#include "tests/common/testdir.h"

TEST(Ansi, RoundTripKeepsCharactersOutsideGbk) {
    // "𠀀" lies outside GBK: a plain GBK codec would turn it into "?".
    const QString text = QString::fromUtf8("张𠀀A星澜");
    const QByteArray bytes = ansi::Encode(text);
    EXPECT_EQ(ansi::Decode(bytes), text);
    EXPECT_EQ(bytes.left(2), Gb("张"));
    EXPECT_EQ(ansi::Size(text), 2 + 4 + 1 + 2 + 2);
    EXPECT_EQ(ansi::Size(text), bytes.size());
}

TEST(Ansi, CutNeverSplitsACharacter) {
    struct Case {
        const char* text;
        qsizetype max;
        const char* expected;
    } cases[] = {
        {"证券交易结算资金和期货交易保证金", 30, "证券交易结算资金和期货交易保证"},
        {"ab张", 3, "ab"},
        {"ab张", 4, "ab张"},
        {"a𠀀b", 4, "a"},
        {"a𠀀b", 5, "a𠀀"},
        {"abc", 0, ""},
    };
    for (const Case& c : cases) {
        const QByteArray bytes = Gb(c.text);
        EXPECT_EQ(ansi::CutBytes(bytes, c.max).toByteArray(), Gb(c.expected))
            << c.text << " " << c.max;
    }
}

TEST(Ansi, CharacterStartsOnRawBytes) {
    const QByteArray bytes = Gb("A张𠀀B");  // 1 + 2 + 4 + 1 bytes
    const bool starts[] = {true, true, false, true, false, false, false, true};
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        EXPECT_EQ(ansi::IsCharStart(bytes, i), starts[i]) << i;
    }
    // A stray lead byte at the end still advances by one.
    const QByteArray broken("a\x81", 2);
    EXPECT_EQ(ansi::CharLength(broken.constData() + 1, broken.constData() + 2), 1);
}

// Bytes that are no GB18030 character survive a decode and an encode unchanged, and are told
// apart from text; sound text has none.
TEST(Ansi, UndecodableBytesRoundTripAndAreFound) {
    const QByteArray cases[] = {
        QByteArray("\x81\x20", 2),
        QByteArray("\xff"),
        QByteArray("\x80"),
        QByteArray("ab\x81"),
        QByteArray("\xd5\xc5\x81|x\xfe", 6),
        QByteArray("\x81\x30\x81\x20\xd5\xc5", 6),
        QByteArray("\x87\x31\xc3\x36", 4),  // the shape of a character, but none is assigned
    };
    for (const QByteArray& bytes : cases) {
        const QString text = ansi::Decode(bytes);
        EXPECT_TRUE(ansi::HasUndecodable(text)) << bytes.toHex().constData();
        EXPECT_EQ(ansi::Encode(text), bytes) << bytes.toHex().constData();
        EXPECT_EQ(ansi::Size(text), bytes.size());
    }
    const QByteArray sound = Gb("张三|𠀀|") + QByteArray("\x84\x31\xa4\x37\x00", 5);
    EXPECT_FALSE(ansi::HasUndecodable(ansi::Decode(sound)));
    EXPECT_EQ(ansi::Encode(ansi::Decode(sound)), sound);
    // Damage does not spread: the characters after it, and the next text, decode as text.
    const QByteArray unassigned("\x87\x31\xc3\x36", 4);
    EXPECT_TRUE(ansi::Decode(unassigned + Gb("张三")).endsWith(QString::fromUtf8("张三")));
    EXPECT_EQ(ansi::Encode(ansi::Decode(unassigned + Gb("张三"))), unassigned + Gb("张三"));
    EXPECT_EQ(ansi::Decode(Gb("李四")), QString::fromUtf8("李四"));
    // A valid surrogate pair is text, not an escape.
    EXPECT_FALSE(ansi::HasUndecodable(QString::fromUtf8("𠀀")));
}

TEST(Ansi, Utf8AndControlCharacters) {
    EXPECT_TRUE(ansi::LooksLikeUtf8("I|\xe5\xbc\xa0\xe4\xb8\x89|"));
    EXPECT_FALSE(ansi::LooksLikeUtf8("plain ascii"));
    EXPECT_FALSE(ansi::LooksLikeUtf8(Gb("星澜聚川银行")));
    EXPECT_EQ(ansi::DecodeUtf8("\xe5\xbc\xa0"), QString::fromUtf8("张"));
    EXPECT_FALSE(ansi::DecodeUtf8("\xe5\xbc").has_value());
    EXPECT_EQ(ansi::FindControl(QStringLiteral("ab\tc")), 2);
    EXPECT_EQ(ansi::FindControl(QString::fromUtf16(u"a\0b", 3)), 1);
    EXPECT_EQ(ansi::FindControl(QStringLiteral("a\x7f")), 1);
    EXPECT_EQ(ansi::FindControl(QString::fromUtf8("张三 1.00")), -1);
}
