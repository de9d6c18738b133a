#include "store/profile.h"

#include <gtest/gtest.h>

#include "platform/text/apperror.h"
#include "tests/common/testdir.h"

class Profile : public ::testing::Test {
protected:
    QString Read(const char* section, const char* key, const char* def = "") {
        return profile::ReadString(path, QString::fromUtf8(section), QString::fromUtf8(key),
                                   QString::fromUtf8(def));
    }
    void Write(const char* section, const char* key, const char* value) {
        profile::WriteString(path, QString::fromUtf8(section), QString::fromUtf8(key),
                             QString::fromUtf8(value));
    }
    TestDir dir;
    QString path = dir.Path(QStringLiteral("salarymap.ini"));
};

TEST_F(Profile, ReadsIgnoringCaseWithDefaults) {
    dir.Write(QStringLiteral("salarymap.ini"),
              Gb("; mapping\r\n[Excel]\r\n Name = B "
                 "\r\nACCT=C\r\n\r\n[option]\r\nstartrow=\"3\"\r\n[excel]\r\nname=Z\r\n"));
    EXPECT_EQ(Read("excel", "name"), QStringLiteral("B"));
    EXPECT_EQ(Read("EXCEL", "acct"), QStringLiteral("C"));
    EXPECT_EQ(Read("option", "startrow", "1"), QStringLiteral("3"));
    EXPECT_EQ(Read("excel", "finalincome"), QString());
    EXPECT_EQ(Read("corpacct", "corpacct1", "x"), QStringLiteral("x"));
    dir.Write(QStringLiteral("salarymap.ini"),
              "[option]\r\nstartrow=" + QByteArray(3000, '7') + "\r\n");
    EXPECT_EQ(Read("option", "startrow").size(), profile::kMaxValue);
    // A character of two UTF-16 units at the limit is left out whole, never cut in half.
    dir.Write(
        QStringLiteral("salarymap.ini"),
        "[option]\r\nstartrow=" + QByteArray(profile::kMaxValue - 1, '7') + Gb("𠀀") + "\r\n");
    EXPECT_EQ(Read("option", "startrow"), QString(profile::kMaxValue - 1, u'7'));
    path = dir.Path(QStringLiteral("missing.ini"));
    EXPECT_EQ(Read("option", "startrow", "1"), QStringLiteral("1"));
}

TEST_F(Profile, WriteChangesOnlyItsLineAndCreatesWhatIsMissing) {
    Write("excel", "name", "A");
    EXPECT_EQ(dir.Read(QStringLiteral("salarymap.ini")), QByteArray("[excel]\r\nname=A\r\n"));
    dir.Write(QStringLiteral("salarymap.ini"),
              Gb("; 注释\r\n[EXCEL]\r\nNAME=A\r\nother=keep me\r\n\r\n[option]\r\nstartrow=1\r\n"));
    Write("excel", "name", "D");
    Write("excel", "finalincome", "F");
    Write("option", "startrow", "2");
    Write("corpacct", "corpacct1", "6222");
    EXPECT_EQ(dir.Read(QStringLiteral("salarymap.ini")),
              Gb("; 注释\r\n[EXCEL]\r\nNAME=D\r\nother=keep "
                 "me\r\nfinalincome=F\r\n\r\n[option]\r\nstartrow=2\r\n"
                 "[corpacct]\r\ncorpacct1=6222\r\n"));
    EXPECT_EQ(Read("excel", "name"), QStringLiteral("D"));
    EXPECT_EQ(Read("corpacct", "corpacct1"), QStringLiteral("6222"));
}

TEST_F(Profile, RefusedWriteNamesTheFile) {
    path = dir.Path(QStringLiteral("nodir/salarymap.ini"));
    try {
        Write("excel", "name", "A");
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unable to write to ") + path);
    }
}

// An entry that would not read back as written is refused before the file changes: a pasted
// "\n[" made a junk section and emptied the value after a restart.
TEST_F(Profile, EntriesThatWouldNotReadBackAreRefused) {
    dir.Write(QStringLiteral("salarymap.ini"), "[excel]\r\nname=B\r\n");
    const struct {
        const char* section;
        const char* key;
        const char* value;
        const char* reason;
    } cases[] = {
        {"excel", "name", "A\n[", "“A\n[”含有换行符，不能写入配置文件"},
        {"excel", "name", "A\r", "“A\r”含有换行符，不能写入配置文件"},
        {"excel", "na=me", "A", "配置项名“na=me”不能含有“=”或以“[”开头"},
        {"excel", "[name", "A", "配置项名“[name”不能含有“=”或以“[”开头"},
        {"ex]cel", "name", "A", "配置节名“ex]cel”不能含有“]”"},
    };
    for (const auto& c : cases) {
        try {
            Write(c.section, c.key, c.value);
            ADD_FAILURE() << c.reason;
        } catch (const AppError& e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(c.reason));
        }
        EXPECT_EQ(dir.Read(QStringLiteral("salarymap.ini")), QByteArray("[excel]\r\nname=B\r\n"));
    }
    Write("excel", "name", "A[=]");
    EXPECT_EQ(Read("excel", "name"), QStringLiteral("A[=]"));
}
