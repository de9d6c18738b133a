#include "platform/text/initials.h"

#include <gtest/gtest.h>

#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "tests/common/testdir.h"

#include <QFile>
#include <QList>

namespace {

const Initials& Embedded() {
    static const Initials table = [] {
        QFile file(QStringLiteral(":/INITIALS"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return Initials::Parse(file.readAll());
    }();
    return table;
}

char32_t CodePoint(const char* utf8) {
    return QString::fromUtf8(utf8).toUcs4().front();
}

// The letters of a mask, in alphabetical order.
QString Letters(Initials::Mask mask) {
    QString letters;
    for (int l = 0; l < 26; ++l) {
        if (mask & (Initials::Mask{1} << l)) {
            letters += QChar(u'a' + l);
        }
    }
    return letters;
}

QString ParseError(const QByteArray& data) {
    try {
        Initials::Parse(data);
    } catch (const AppError& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

}  // namespace

struct CharCase {
    const char* character;  // UTF-8
    const char* letters;
};

void PrintTo(const CharCase& c, std::ostream* os) {
    *os << c.character;
}

class KnownCharacter : public ::testing::TestWithParam<CharCase> {};

// Every reading counts, so a character with readings of different initials matches each; the
// same holds for its GB18030 bytes.
TEST_P(KnownCharacter, HasTheInitialsOfAllItsReadings) {
    const char32_t c = CodePoint(GetParam().character);
    EXPECT_EQ(Letters(Embedded().Of(c)), QString::fromLatin1(GetParam().letters));
    const QByteArray bytes = ansi::Encode(QString::fromUtf8(GetParam().character));
    EXPECT_EQ(Embedded().OfGb(bytes.constData(), static_cast<int>(bytes.size())), Embedded().Of(c));
}

INSTANTIATE_TEST_SUITE_P(
    Initials, KnownCharacter,
    ::testing::Values(CharCase{"中", "z"}, CharCase{"国", "g"}, CharCase{"建", "j"},
                      CharCase{"设", "s"}, CharCase{"银", "y"}, CharCase{"成", "c"},
                      CharCase{"都", "d"}, CharCase{"高", "g"}, CharCase{"新", "x"},
                      CharCase{"行", "hx"},   // háng, xíng
                      CharCase{"长", "cz"},   // cháng, zhǎng
                      CharCase{"乐", "ly"},   // lè, yuè
                      CharCase{"厦", "sx"},   // shà, xià
                      CharCase{"单", "cds"},  // chán, dān, shàn
                      CharCase{"嗯", "n"},    // ń, ň, ǹ: a tone mark on a consonant
                      CharCase{"呣", "m"},    // móu, ḿ, m̀
                      CharCase{"欸", "aex"},  // āi, xiè, ê̄, ế: a letter with two marks
                      CharCase{"郎", "l"},    // a unified ideograph
                      CharCase{"郞", "l"},    // its compatibility ideograph U+F92C
                      CharCase{"㐀", "q"},    // U+3400, four bytes in GB18030
                      CharCase{"𠀀", "h"},    // U+20000, beyond the basic plane
                      CharCase{"A", "a"}, CharCase{"z", "z"}, CharCase{"1", ""}, CharCase{"_", ""},
                      CharCase{"（", ""}));

// Every character of GB2312's two levels of Han characters (lead bytes B0-F7) has initials,
// and so has every Han character of the rest of GBK except the few that have no Mandarin
// reading in the source, most of them characters of measure units read as two syllables
// (兙 "shíkè").
TEST(Initials, CoverTheHanCharactersOfGbk) {
    int han = 0;
    QStringList without;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const char bytes[] = {static_cast<char>(lead), static_cast<char>(trail)};
            const QString c = ansi::Decode(QByteArrayView(bytes, 2));
            if (c.size() != 1 || c.front() < u'\u4E00' || c.front() > u'\u9FFF') {
                continue;  // not a unified ideograph of the basic plane
            }
            ++han;
            if (Embedded().OfGb2(static_cast<unsigned char>(lead),
                                 static_cast<unsigned char>(trail)) == 0) {
                ASSERT_FALSE(lead >= 0xB0 && lead <= 0xF7) << c.toStdString();
                without += c;
            }
        }
    }
    EXPECT_EQ(han, 20902);
    EXPECT_EQ(without.join(QString()), QStringLiteral("兙兡嗧桛烪瓧瓰瓱瓼甅"));
}

TEST(Initials, TextsAndTerms) {
    const std::vector<Initials::Mask> masks = Embedded().OfText(QStringLiteral("建设银行𠀀A1"));
    ASSERT_EQ(masks.size(), 7u);
    for (const char* term : {"jsyh", "JSYX", "sy", "h", "yxh", "ha", "a", "jsyhha"}) {
        EXPECT_TRUE(ContainsInitials(masks, QString::fromLatin1(term))) << term;
    }
    // Not consecutive, past the end, not letters, empty.
    for (const char* term : {"jy", "jsyhhaa", "a1", "", "j s"}) {
        EXPECT_FALSE(ContainsInitials(masks, QString::fromLatin1(term))) << term;
    }
    EXPECT_TRUE(IsInitialsTerm(u"JsYh"));
    for (const char16_t* term : {u"", u"js yh", u"建设", u"jsyh1", u"ｊｓ"}) {
        EXPECT_FALSE(IsInitialsTerm(term));
    }
}

TEST(Initials, BinaryFormRoundTripsAndDamageIsRefused) {
    const std::vector<Initials::Entry> entries = {
        {0x41, 0x4}, {0x4E2D, 1u << 25}, {0x884C, (1u << 7) | (1u << 23)}, {0x20000, 1u << 7}};
    const QByteArray data = Initials::Serialize(entries);
    EXPECT_EQ(data.size(), 12 + 8 * 4);
    EXPECT_EQ(data.first(12).toHex(), QByteArray("5059494e0100000004000000"));
    const Initials table = Initials::Parse(data);
    EXPECT_EQ(table.EntryCount(), 4u);
    EXPECT_EQ(table.Of(0x884C), (1u << 7) | (1u << 23));
    EXPECT_EQ(table.Of(0x20000), 1u << 7);
    EXPECT_EQ(table.Of(0x41), Initials::LetterMask(u'a')) << "a letter stands for itself";
    EXPECT_EQ(table.Of(0x4E2E), 0u);

    EXPECT_EQ(ParseError(QByteArray()), QStringLiteral("Invalid initials table: no table header"));
    EXPECT_EQ(ParseError(data.first(data.size() - 1)),
              QStringLiteral("Invalid initials table: 43 bytes do not hold 4 entries"));
    QByteArray version = data;
    version[4] = 2;
    EXPECT_EQ(ParseError(version), QStringLiteral("Invalid initials table: format version 2"));
    const std::vector<std::vector<Initials::Entry>> damaged = {
        {{0x4E2D, 1}, {0x4E2D, 2}},  // not ascending
        {{0x4E2D, 0}},               // no letter
        {{0x4E2D, 1u << 26}},        // not a letter
        {{0x110000, 1}}};            // not a code point
    for (const auto& entries : damaged) {
        EXPECT_TRUE(
            ParseError(Initials::Serialize(entries)).startsWith(u"Invalid initials table: entry"));
    }
}
