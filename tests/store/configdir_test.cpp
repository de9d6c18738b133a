// Where a run keeps its configuration: the portable folder beside the program, the user's data
// folder seeded from the sample, the folder named on the command line; the lock on the folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSysInfo>
#include <functional>

#include "platform/text/apperror.h"
#include "store/configdir.h"
#include "store/listfile.h"
#include "tests/common/testdir.h"

namespace {

const QString kSample = QStringLiteral(CORPPAY_SOURCE_DIR "/config");

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Every file under a folder with its bytes: what a refused start must leave as it was.
QMap<QString, QByteArray> Snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(
        root, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(path, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<dir>"));
    }
    return files;
}

QStringList SampleNames() {
    return QDir(kSample).entryList(QDir::Files, QDir::Name);
}

// The places of a test: the program's folder, the installed sample, the user's data folder.
struct Places {
    TestDir dir;
    ConfigPlaces Get(bool installed, const QString& explicitFolder = QString()) const {
        ConfigPlaces places;
        places.programDir = dir.Path(QStringLiteral("bin")) + QDir::separator();
        places.installed = installed;
        places.seedFolder = kSample;
        places.userDataDir = dir.Path(QStringLiteral("home/.local/share/corppay"));
        places.explicitFolder = explicitFolder;
        return places;
    }
    QString UserFolder() const {
        return dir.Path(QStringLiteral("home/.local/share/corppay/config"));
    }
};

QString MessageOf(const ConfigPlaces& places) {
    try {
        OpenConfig config(places);
    } catch (const AppError& e) {
        return e.Message();
    }
    return QString();
}

}  // namespace

// The portable layout: config/ beside the program is used as it is; without one, an empty one is
// made beside a program in a folder of its own. The user's data folder is never touched.
TEST(OpenConfig, PortableProgramKeepsConfigBesideIt) {
    for (const bool withFolder : {true, false}) {
        Places p;
        QDir().mkpath(p.dir.Path(QStringLiteral("bin")));
        if (withFolder) {
            p.dir.Write(QStringLiteral("bin/config/owner.ini"), Gb("甲公司|1001|某银行\r\n"));
        }
        const OpenConfig config(p.Get(false));
        EXPECT_EQ(config.Dir().Folder(), p.dir.Path(QStringLiteral("bin/config/")));
        EXPECT_EQ(config.ShownFolder(), p.dir.Path(QStringLiteral("bin/config")));
        EXPECT_EQ(config.Dir().Path(QString::fromUtf16(cfg::kOwner)),
                  p.dir.Path(QStringLiteral("bin/config/owner.ini")));
        EXPECT_TRUE(config.Seeded().isEmpty());
        EXPECT_EQ(QDir(config.Dir().Folder()).entryList(QDir::Files),
                  withFolder ? QStringList{QStringLiteral("owner.ini")} : QStringList());
        EXPECT_FALSE(p.dir.Exists(QStringLiteral("home"))) << withFolder;
    }
}

// An installed program (or a portable one whose folder is not writable) uses config/ in the
// user's data folder: made at the first start with every sample file, and at a later start
// given only the files it lacks; a file the user has is never overwritten.
TEST(OpenConfig, InstalledProgramSeedsTheUsersFolderOnce) {
    Places p;
    QDir().mkpath(p.dir.Path(QStringLiteral("bin")));
    {
        const OpenConfig config(p.Get(true));
        EXPECT_EQ(config.Dir().Folder(), p.UserFolder() + QDir::separator());
        EXPECT_EQ(config.Seeded(), SampleNames());
        for (const QString& name : SampleNames()) {
            EXPECT_EQ(listfile::ReadAll(config.Dir().Path(QStringLiteral("config\\") + name)),
                      listfile::ReadAll(kSample + u'/' + name))
                << name.toStdString();
        }
        EXPECT_EQ(config.Dir().Path(QString::fromUtf16(cfg::kRecvers)),
                  Native(p.UserFolder() + QStringLiteral("/recvers.ini")));
    }
    // The program never writes beside an installed executable.
    EXPECT_FALSE(p.dir.Exists(QStringLiteral("bin/config")));

    const QByteArray mine = Gb("我的公司|2002|某银行\r\n");
    p.dir.Write(QStringLiteral("home/.local/share/corppay/config/owner.ini"), mine);
    QFile::remove(p.UserFolder() + QStringLiteral("/recvers.ini"));
    const OpenConfig again(p.Get(true));
    EXPECT_EQ(again.Seeded(), QStringList{QStringLiteral("recvers.ini")});
    EXPECT_EQ(p.dir.Read(QStringLiteral("home/.local/share/corppay/config/owner.ini")), mine);
    EXPECT_EQ(listfile::ReadAll(p.UserFolder() + QStringLiteral("/recvers.ini")),
              listfile::ReadAll(kSample + QStringLiteral("/recvers.ini")));
}

// --config names the folder itself, whatever its name; its missing files come from the sample.
TEST(OpenConfig, ConfigOptionNamesTheFolderItself) {
    Places p;
    QDir().mkpath(p.dir.Path(QStringLiteral("公司乙")));
    const QByteArray theirs = Gb("乙公司|3003|某银行\r\n");
    p.dir.Write(QStringLiteral("公司乙/owner.ini"), theirs);
    const OpenConfig config(p.Get(true, p.dir.Path(QStringLiteral("公司乙"))));
    EXPECT_EQ(config.ShownFolder(), p.dir.Path(QStringLiteral("公司乙")));
    EXPECT_EQ(config.Dir().Path(QString::fromUtf16(cfg::kOwner)),
              p.dir.Path(QStringLiteral("公司乙/owner.ini")));
    EXPECT_EQ(listfile::ReadAll(config.Dir().Path(QString::fromUtf16(cfg::kOwner))), theirs);
    EXPECT_FALSE(config.Seeded().contains(QStringLiteral("owner.ini")));
    EXPECT_EQ(config.Seeded().size(), SampleNames().size() - 1);
    EXPECT_FALSE(p.dir.Exists(QStringLiteral("home")));
}

// Every folder that cannot be used is named in a Chinese message, and nothing is created.
TEST(OpenConfig, UnusableFoldersAreNamedAndNothingIsWritten) {
    struct Case {
        const char* what;
        bool installed;
        const char* explicitFolder;  // relative to the test's folder; nullptr for none
        bool noSample;
        const char* expected;  // %1 is the test's folder
    };
    const Case cases[] = {
        {"missing --config folder", true, "nowhere", false,
         "--config 指定的配置文件夹不存在：%1/nowhere"},
        {"--config names a file", true, "afile", false,
         "--config 指定的不是文件夹，而是一个文件：%1/afile"},
        {"sample missing from the installation", true, nullptr, true,
         "找不到示例配置文件夹：%1/nosample\n无法建立配置文件夹 "
         "%1/home/.local/share/corppay/config。请重新安装 corppay。"},
        {"data folder cannot be made", true, nullptr, false,
         "无法建立配置文件夹：%1/afile/config\n请检查上级文件夹的权限，或用 --config "
         "指定另一个配置文件夹。"},
    };
    for (const Case& c : cases) {
        Places p;
        QDir().mkpath(p.dir.Path(QStringLiteral("bin")));
        p.dir.Write(QStringLiteral("afile"), "x");
        ConfigPlaces places =
            p.Get(c.installed,
                  c.explicitFolder ? p.dir.Path(QString::fromUtf8(c.explicitFolder)) : QString());
        if (c.noSample) {
            places.seedFolder = p.dir.Path(QStringLiteral("nosample"));
        }
        if (QByteArrayView(c.what) == "data folder cannot be made") {
            places.userDataDir = p.dir.Path(QStringLiteral("afile"));
        }
        const auto before = Snapshot(p.dir.Path(QString()));
        const QString root = QDir::cleanPath(p.dir.Path(QString()));
        EXPECT_EQ(MessageOf(places), QString::fromUtf8(c.expected).arg(Native(root))) << c.what;
        EXPECT_EQ(Snapshot(p.dir.Path(QString())), before) << c.what;
    }
}

// A folder the user may not write to is refused by name (root may write anywhere, so this runs
// only as an ordinary user).
TEST(OpenConfig, UnwritableFolderIsNamed) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes to any folder";
    }
    Places p;
    QDir().mkpath(p.dir.Path(QStringLiteral("ro")));
    QFile::setPermissions(p.dir.Path(QStringLiteral("ro")), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(MessageOf(p.Get(true, p.dir.Path(QStringLiteral("ro")))),
              QStringLiteral("配置文件夹不可写入：%1\n请检查这个文件夹的权限，或用 --config "
                             "指定另一个配置文件夹。")
                  .arg(p.dir.Path(QStringLiteral("ro"))));
    QFile::setPermissions(p.dir.Path(QStringLiteral("ro")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// One folder, one program: a second opening of a locked folder names the folder and the process
// and copies nothing; other folders open side by side; the folder is free again once closed.
TEST(OpenConfig, OneRunningCopyPerFolder) {
    Places p;
    QDir().mkpath(p.dir.Path(QStringLiteral("bin")));
    auto first = std::make_unique<OpenConfig>(p.Get(true));
    EXPECT_TRUE(QFileInfo::exists(first->Dir().Folder() + OpenConfig::LockFileName()));
    QFile::remove(p.UserFolder() + QStringLiteral("/salary.ini"));
    const auto before = Snapshot(p.dir.Path(QString()));

    EXPECT_EQ(
        MessageOf(p.Get(true)),
        QStringLiteral("配置文件夹 %1 正由另一个 corppay 使用（进程号 %2）。\n同一个配置文件夹"
                       "只能由一个 corppay 打开：请切换到那个窗口，或用 --config "
                       "指定另一个配置文件夹。")
            .arg(Native(p.UserFolder()))
            .arg(getpid()));
    EXPECT_EQ(Snapshot(p.dir.Path(QString())), before);

    QDir().mkpath(p.dir.Path(QStringLiteral("other")));
    const OpenConfig other(p.Get(true, p.dir.Path(QStringLiteral("other"))));
    EXPECT_EQ(other.ShownFolder(), p.dir.Path(QStringLiteral("other")));

    first.reset();
    EXPECT_FALSE(QFileInfo::exists(p.UserFolder() + u'/' + OpenConfig::LockFileName()));
    const OpenConfig second(p.Get(true));
    EXPECT_EQ(second.Seeded(), QStringList{QStringLiteral("salary.ini")});
}

// A portable copy in use by company A: `--config B` on an empty folder is filled from the
// sample kept in the program, never from A's folder beside the executable (its recovery file,
// export record, learned payees and mapping).
TEST(OpenConfig, ANewFolderTakesOnlyTheShippedSample) {
    Places p;
    const QString beside = QStringLiteral("bin/config/");
    for (const QString& name : SampleNames()) {
        p.dir.Write(beside + name, "company A's " + name.toUtf8());
    }
    p.dir.Write(beside + QStringLiteral("recovery.dat"), "A's unexported 777.77");
    p.dir.Write(beside + QStringLiteral("exportlog.txt"), "A's exports");
    QDir().mkpath(p.dir.Path(QStringLiteral("B")));
    OpenConfig config(p.Get(false, p.dir.Path(QStringLiteral("B"))));
    EXPECT_EQ(config.Seeded(), SampleNames());
    for (const QString& name : SampleNames()) {
        QFile shipped(QString::fromUtf8(CORPPAY_SOURCE_DIR "/config/") + name);
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_EQ(p.dir.Read(QStringLiteral("B/") + name), shipped.readAll()) << name.toStdString();
    }
    EXPECT_FALSE(p.dir.Exists(QStringLiteral("B/recovery.dat")));
    EXPECT_FALSE(p.dir.Exists(QStringLiteral("B/exportlog.txt")));
}

// What a power cut or a stray copy leaves in place of the lock: a lock that names no running
// process is cleared and said; a lock of a running process is honoured however old it is; a
// folder of that name with files in it is refused without touching them.
TEST(OpenConfig, ABrokenLockIsClearedAndSaid) {
    // A process that has ended: its id names no running process.
    QProcess ended;
    ended.start(QStringLiteral("true"));
    ASSERT_TRUE(ended.waitForFinished());
    const qint64 endedPid = ended.processId() > 0 ? ended.processId() : 999999;
    const QString host = QSysInfo::machineHostName();
    // QLockFile takes a lock for a running process's only when the program named is running.
    const QByteArray self =
        QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName().toUtf8();
    struct Case {
        const char* name;
        std::function<void(const QString& lock)> make;
        QString cleared;  // empty: the lock is honoured or refused
        bool opens;
    };
    const QString name = OpenConfig::LockFileName();
    const auto write = [](const QByteArray& bytes) {
        return [bytes](const QString& lock) {
            QFile file(lock);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
    };
    const std::vector<Case> cases = {
        {"empty file", write(""),
         QStringLiteral("已清除配置文件夹中空的锁文件“%1”（上次可能意外断电）").arg(name), true},
        {"garbage", write("\x01\xFFgarbage\n"),
         QStringLiteral("已清除配置文件夹中无法识别的锁文件“%1”（上次可能意外断电）").arg(name),
         true},
        {"pid 0", write("0\ncorppay\n" + host.toUtf8() + "\n"),
         QStringLiteral("已清除配置文件夹中无法识别的锁文件“%1”（上次可能意外断电）").arg(name),
         true},
        {"empty folder", [](const QString& lock) { ASSERT_TRUE(QDir().mkpath(lock)); },
         QStringLiteral("已清除配置文件夹中名为“%1”的空文件夹").arg(name), true},
        {"ended process",
         write(QByteArray::number(endedPid) + "\ncorppay\n" + host.toUtf8() + "\n"),
         QStringLiteral("已清除进程号 %2 留下的锁文件“%1”（那个进程已经结束）")
             .arg(name)
             .arg(endedPid),
         true},
        // This test's own process is running: an hour-old lock naming it still holds.
        {"running process, an hour old",
         [&](const QString& lock) {
             write(QByteArray::number(getpid()) + '\n' + self + '\n' + host.toUtf8() + '\n')(lock);
             QFile file(lock);
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                          QFileDevice::FileModificationTime));
         },
         QString(), false},
        {"folder with a file",
         [](const QString& lock) {
             ASSERT_TRUE(QDir().mkpath(lock));
             QFile file(lock + QStringLiteral("/note.txt"));
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
         },
         QString(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Places p;
        QDir().mkpath(p.UserFolder());
        c.make(p.UserFolder() + u'/' + name);
        const auto before = Snapshot(p.dir.Path(QString()));
        if (c.opens) {
            const OpenConfig config(p.Get(true));
            EXPECT_EQ(config.ClearedLock(), c.cleared);
            QFile lock(p.UserFolder() + u'/' + name);
            ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
            EXPECT_EQ(lock.readLine().trimmed().toLongLong(), getpid());
        } else {
            const QString message = MessageOf(p.Get(true));
            EXPECT_FALSE(message.isEmpty());
            EXPECT_EQ(Snapshot(p.dir.Path(QString())), before) << message.toStdString();
        }
    }
    // A lock of a running process is never shown as process 0, and the folder refusal says what
    // to do.
    Places p;
    QDir().mkpath(p.UserFolder() + u'/' + name + QStringLiteral("/x"));
    EXPECT_EQ(
        MessageOf(p.Get(true)),
        QStringLiteral("配置文件夹 %1 中的“%2”是一个文件夹，不是锁文件，无法锁定配置文件夹。\n"
                       "请删除或改名这个文件夹后再启动 corppay。")
            .arg(Native(p.UserFolder()), name));
}
