#include "tools/initialsgen.h"

#include <gtest/gtest.h>

#include "platform/text/apperror.h"
#include "platform/text/initials.h"

#include <QFile>

namespace {

Initials::Mask Mask(const char* letters) {
    Initials::Mask mask = 0;
    for (const char* p = letters; *p; ++p) {
        mask |= Initials::LetterMask(static_cast<char32_t>(*p));
    }
    return mask;
}

QString Error(const char* readings) {
    try {
        initialsgen::FromReadings(QByteArray(readings));
    } catch (const AppError& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

}  // namespace

// The three fields in the forms the Unihan file writes them, other fields ignored.
TEST(InitialsGenerator, ReadsEveryReadingOfTheThreeFields) {
    const char* readings =
        "# Unihan_Readings.txt\n"
        "\n"
        "U+4E2D\tkDefinition\tcentral; center\n"
        "U+4E2D\tkHanyuPinyin\t10028.100:zhōng,zhòng\n"
        "U+4E2D\tkMandarin\tzhōng\n"
        "U+5463\tkHanyuPinyin\t10610.080:móu,ḿ,m̀\n"
        "U+6B38\tkXHC1983\t0003.060:āi 0285.050:ēi\n"
        "U+6B38\tkHanyuPinyin\t32140.110:xiè,ế,ê̄\n"
        "U+884C\tkMandarin\txíng\n"
        "U+884C\tkXHC1983\t0442.080:háng 0443.050*:hàng\n"
        "U+9577\tkCantonese\tcoeng4\n"
        "U+90CE\tkMandarin\tláng\r\n"
        "U+20000\tkHanyuPinyin\t10011.010,10011.020:hē\n";
    const std::vector<Initials::Entry> entries = initialsgen::FromReadings(QByteArray(readings));
    const std::vector<Initials::Entry> expected = {
        {0x4E2D, Mask("z")},  {0x5463, Mask("m")}, {0x6B38, Mask("aex")},
        {0x884C, Mask("hx")}, {0x90CE, Mask("l")}, {0xF92C, Mask("l")},  // 郞 stands for 郎
        {0xFA08, Mask("hx")},                                            // 行 for 行
        {0x20000, Mask("h")}};
    EXPECT_EQ(entries, expected);
}

TEST(InitialsGenerator, RefusesWhatItCannotRead) {
    EXPECT_EQ(Error("U+4E2D\tkMandarin\n"), QStringLiteral("line 1 is not a Unihan entry"));
    EXPECT_EQ(Error("\nU+XYZ\tkMandarin\tzhōng\n"), QStringLiteral("line 2 names no character"));
    EXPECT_EQ(Error("U+4E2D\tkMandarin\t1zhōng\n"),
              QStringLiteral("line 1: the reading \"1zhōng\" has no initial"));
}

// The table the build embeds is the one the generator makes from the installed Unihan file.
TEST(InitialsGenerator, EmbeddedTableIsTheGeneratedOne) {
    QFile embedded(QStringLiteral(":/INITIALS"));
    ASSERT_TRUE(embedded.open(QIODevice::ReadOnly));
    const QString source = QStringLiteral(CORPPAY_UNIHAN_READINGS);
    const QByteArray readings = source.endsWith(u".bz2") ? initialsgen::ReadBzip2(source) : [&] {
        QFile file(source);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }();
    EXPECT_GT(readings.size(), 1000000);
    const QByteArray generated = Initials::Serialize(initialsgen::FromReadings(readings));
    EXPECT_EQ(generated, embedded.readAll());
    EXPECT_GT(Initials::Parse(generated).EntryCount(), 40000u);
}
