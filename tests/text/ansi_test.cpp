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
