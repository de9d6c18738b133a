#include "store/listfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/text/apperror.h"
#include "store/configdir.h"
#include "tests/common/faultydisk.h"
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

// A save rewrites what the name stands for: a link stays a link to the rewritten file, and the
// file keeps its permissions. Only the file remains in the directory.
TEST(ListFile, SaveKeepsLinksAndPermissions) {
    TestDir dir;
    dir.Write(QStringLiteral("real.ini"), "old\r\n");
    const QString real = dir.Path(QStringLiteral("real.ini"));
    const QString link = dir.Path(QStringLiteral("link.ini"));
    ASSERT_TRUE(QFile::link(real, link));
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(real, permissions));
    listfile::Save(link, {QStringLiteral("new")});
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(dir.Read(QStringLiteral("real.ini")), QByteArray("new\r\n"));
    // Owner, group and others; the flags for the current user repeat one of them.
    EXPECT_EQ(QFileInfo(real).permissions() & 0x7077, permissions);
    EXPECT_EQ(QDir(dir.Path(QString())).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({QStringLiteral("link.ini"), QStringLiteral("real.ini")}));
}

TEST(ListFile, AVerifiedSaveRemovesAFileThatDoesNotReadBack) {
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("up.txt"));
    const QString shown = QDir::toNativeSeparators(path);
    const QStringList lines = {QStringLiteral("张三|1.00|"), QStringLiteral("李四|2.00|")};
    const QByteArray good = listfile::JoinLines(lines);

    EXPECT_EQ(listfile::SaveVerified(path, lines, &listfile::Replace), std::nullopt);
    EXPECT_EQ(dir.Read(QStringLiteral("up.txt")), good);

    for (const Fault fault : kFaults) {
        dir.Write(QStringLiteral("up.txt"), "an older file");
        EXPECT_EQ(
            listfile::SaveVerified(path, lines, FaultyDisk(fault)),
            QStringLiteral("文件“") + shown +
                QStringLiteral("”写入后读回的内容与应写入的不一致，已删除该文件，请重新导出！"))
            << int(fault);
        EXPECT_FALSE(dir.Exists(QStringLiteral("up.txt"))) << int(fault);
    }

    // A write that fails leaves the old file as it was.
    dir.Write(QStringLiteral("up.txt"), "an older file");
    try {
        listfile::SaveVerified(path, lines,
                               [](const QString&, const QByteArray&) { return false; });
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot create file ") + path);
    }
    EXPECT_EQ(dir.Read(QStringLiteral("up.txt")), QByteArray("an older file"));

    // What stands at the path after the write cannot be removed: the user is told not to use it.
    const QString other = dir.Path(QStringLiteral("other.txt"));
    const auto intoFolder = [&](const QString& p, const QByteArray&) {
        return QDir().mkpath(p) && QFile::copy(path, p + QStringLiteral("/inside"));
    };
    EXPECT_EQ(
        listfile::SaveVerified(other, lines, intoFolder),
        QStringLiteral("文件“") + QDir::toNativeSeparators(other) +
            QStringLiteral("”写入后读回的内容与应写入的不一致，且无法删除，请勿上传该文件！"));
    EXPECT_TRUE(QFileInfo(other).isDir());
}

TEST(ConfigDir, JoinsRelativeNamesWithTheNativeSeparator) {
    const ConfigDir dir(QStringLiteral("/opt/corppay"));
    EXPECT_EQ(dir.Base(), QStringLiteral("/opt/corppay/"));
    EXPECT_EQ(dir.Path(QString::fromUtf16(cfg::kOwner)),
              QStringLiteral("/opt/corppay/config/owner.ini"));
    EXPECT_TRUE(AppDirectory().endsWith(u'/'));
}
