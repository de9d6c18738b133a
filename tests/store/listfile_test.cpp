#include "store/listfile.h"

#include <gtest/gtest.h>

#include <QFile>

#include "platform/text/apperror.h"
#include "store/configdir.h"
#include "tests/common/testdir.h"

TEST(ListFile, LineEndsOfEveryKind) {
    TestDir dir;
    struct Case {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
        {"\r\n", {""}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\r\n", {"a", ""}},
    };
    for (const Case& c : cases) {
        dir.Write(QStringLiteral("l.txt"), c.bytes);
        EXPECT_EQ(listfile::Load(dir.Path(QStringLiteral("l.txt"))), c.lines)
            << c.bytes.toHex().constData();
    }
}

TEST(ListFile, ReadsAndWritesGb18030WithCrLf) {
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("r.ini"));
    const QStringList lines = {QString::fromUtf8("张三|6222|星澜聚川银行|"),
                               QString::fromUtf8("𠀀|1|2|3")};
    listfile::Save(path, lines);
    EXPECT_EQ(dir.Read(QStringLiteral("r.ini")),
              Gb("张三|6222|星澜聚川银行|") + "\r\n" + Gb("𠀀|1|2|3") + "\r\n");
    EXPECT_EQ(listfile::Load(path), lines);
    listfile::Save(path, {});
    EXPECT_EQ(dir.Read(QStringLiteral("r.ini")).size(), 0);
    EXPECT_TRUE(dir.Exists(QStringLiteral("r.ini")));
}

TEST(ListFile, BadFilesGiveTheirMessagesAndKeepTheOldFile) {
    TestDir dir;
    const QString missing = dir.Path(QStringLiteral("config/none.ini"));
    try {
        listfile::Load(missing);
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file ") + missing);
    }
    try {
        listfile::Save(missing, {QStringLiteral("x")});
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot create file ") + missing);
    }
    dir.Write(QStringLiteral("ro.ini"), "old\r\n");
    QFile::setPermissions(dir.Path(QStringLiteral("ro.ini")), QFile::ReadOwner);
    EXPECT_THROW(listfile::Save(dir.Path(QStringLiteral("ro.ini")), {QStringLiteral("new")}),
                 AppError);
    EXPECT_EQ(dir.Read(QStringLiteral("ro.ini")), QByteArray("old\r\n"));
    // Binary and invalid bytes load without a crash, one line per line end.
    dir.Write(QStringLiteral("bin"), QByteArray("\x81\x00\xff\xfe\r\n\x80", 7));
    EXPECT_EQ(listfile::Load(dir.Path(QStringLiteral("bin"))).size(), 2);
}

TEST(ConfigDir, JoinsRelativeNamesWithTheNativeSeparator) {
    const ConfigDir dir(QStringLiteral("/opt/corppay"));
    EXPECT_EQ(dir.Base(), QStringLiteral("/opt/corppay/"));
    EXPECT_EQ(dir.Path(QString::fromUtf16(cfg::kOwner)),
              QStringLiteral("/opt/corppay/config/owner.ini"));
    EXPECT_TRUE(AppDirectory().endsWith(u'/'));
}
