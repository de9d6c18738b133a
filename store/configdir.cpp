#include "store/configdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <optional>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include "platform/text/apperror.h"
#include "platform/text/programpath.h"
#include "store/listfile.h"

namespace {

// The messages of a folder that cannot be used; %1 is the folder, as the user would type it.
constexpr char16_t kNoSuchFolder[] = u"--config 指定的配置文件夹不存在：%1";
constexpr char16_t kNotAFolder[] = u"--config 指定的不是文件夹，而是一个文件：%1";
constexpr char16_t kNotWritable[] =
    u"配置文件夹不可写入：%1\n请检查这个文件夹的权限，或用 --config 指定另一个配置文件夹。";
constexpr char16_t kCannotCreate[] =
    u"无法建立配置文件夹：%1\n请检查上级文件夹的权限，或用 --config 指定另一个配置文件夹。";
constexpr char16_t kNoSample[] =
    u"找不到示例配置文件夹：%1\n无法建立配置文件夹 %2。请重新安装 corppay。";
constexpr char16_t kCannotSeed[] = u"无法把示例配置文件 %1 复制为 %2。";
constexpr char16_t kInUse[] =
    u"配置文件夹 %1 正由另一个 corppay 使用（%2）。\n"
    u"同一个配置文件夹只能由一个 corppay 打开：请切换到那个窗口，或用 --config "
    u"指定另一个配置文件夹。";
constexpr char16_t kProcess[] = u"进程号 %1";
constexpr char16_t kProcessUnknown[] = u"进程号未知";
constexpr char16_t kProcessOnHost[] = u"计算机 %2 上的进程号 %1";
constexpr char16_t kCannotLock[] = u"无法锁定配置文件夹：%1";
constexpr char16_t kLockIsFolder[] =
    u"配置文件夹 %1 中的“%2”是一个文件夹，不是锁文件，无法锁定配置文件夹。\n"
    u"请删除或改名这个文件夹后再启动 corppay。";
constexpr char16_t kClearedEmpty[] = u"已清除配置文件夹中空的锁文件“%1”（上次可能意外断电）";
constexpr char16_t kClearedGarbage[] =
    u"已清除配置文件夹中无法识别的锁文件“%1”（上次可能意外断电）";
constexpr char16_t kClearedFolder[] = u"已清除配置文件夹中名为“%1”的空文件夹";
constexpr char16_t kClearedStale[] = u"已清除进程号 %2 留下的锁文件“%1”（那个进程已经结束）";

QString WithSeparator(QString dir) {
    dir = QDir::toNativeSeparators(dir);
    if (!dir.endsWith(QDir::separator())) {
        dir += QDir::separator();
    }
    return dir;
}

// A path as messages show it: absolute, native separators, no trailing separator.
QString Shown(const QString& path) {
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

AppError Failure(const char16_t* pattern, const QString& path) {
    return AppError(QString::fromUtf16(pattern).arg(Shown(path)));
}

bool SameFolder(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// The sample configuration kept in the program.
constexpr char16_t kEmbeddedSample[] = u":/corppay/sample";

// The folder a run uses and the sample that fills its missing files.
struct Choice {
    ConfigDir dir;
    QString sample;               // empty: nothing to copy in
    bool sampleRequired = false;  // a missing sample is a broken installation
};

Choice Choose(const ConfigPlaces& places) {
    const ConfigDir portable(places.programDir);
    // A portable copy fills a new folder from the sample kept in the program, never from the
    // folder beside it, which holds a company's live files (its recovery file, its export
    // record, its learned payees).
    const QString sample =
        places.installed ? places.seedFolder : QString::fromUtf16(kEmbeddedSample);
    if (!places.explicitFolder.isEmpty()) {
        const QFileInfo info(places.explicitFolder);
        if (!info.exists()) {
            throw Failure(kNoSuchFolder, places.explicitFolder);
        }
        if (!info.isDir()) {
            throw Failure(kNotAFolder, places.explicitFolder);
        }
        if (!info.isWritable()) {
            throw Failure(kNotWritable, places.explicitFolder);
        }
        return {ConfigDir::InFolder(info.absoluteFilePath()), sample, places.installed};
    }
    if (!places.installed) {
        const QFileInfo beside(portable.Folder());
        const bool usable = beside.exists() ? beside.isDir() && beside.isWritable()
                                            : QFileInfo(places.programDir).isWritable();
        if (usable) {
            return {portable, QString(), false};
        }
    }
    return {ConfigDir(places.userDataDir), sample, true};
}

// Creates the folder when it is missing; fails when it cannot be written.
void MakeFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.exists()) {
        if (!QDir().mkpath(folder)) {
            throw Failure(kCannotCreate, folder);
        }
    } else if (!info.isDir()) {
        throw Failure(kCannotCreate, folder);
    } else if (!info.isWritable()) {
        throw Failure(kNotWritable, folder);
    }
}

// The process id a lock file names, when its first line is one: "<pid>\n<program>\n<host>\n".
std::optional<qint64> LockPid(const QByteArray& bytes) {
    bool ok = false;
    const qint64 pid = bytes.left(bytes.indexOf('\n')).trimmed().toLongLong(&ok);
    return ok && pid > 0 ? std::optional<qint64>(pid) : std::nullopt;
}

// Removes a lock file that no process holds. A running copy keeps its lock file open and locked
// (flock on Unix; on Windows the open file cannot be deleted), so a file that a copy starting at
// this moment has just created, still empty, is never taken for a stale one.
bool RemoveUnheld(const QString& path) {
#if defined(Q_OS_UNIX)
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool unheld = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    const bool removed = unheld && QFile::remove(path);
    ::close(fd);
    return removed;
#else
    return QFile::remove(path);
#endif
}

// Clears what a power cut or a stray copy can leave in place of a lock: an empty or unreadable
// lock file, or an empty folder of that name. Gives what was cleared, for the status bar; a
// folder with files in it is refused. A lock naming a process is left to QLockFile, which
// removes it when the process has ended: its process id is given, read here once.
struct LockFound {
    QString cleared;
    std::optional<qint64> pid;
};
LockFound ClearBrokenLock(const QString& folder, const QString& name) {
    const QString path = folder + name;
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) {
        if (QDir(folder).rmdir(name)) {
            return {QString::fromUtf16(kClearedFolder).arg(name), std::nullopt};
        }
        throw AppError(QString::fromUtf16(kLockIsFolder).arg(Shown(folder), name));
    }
    if (!info.isFile()) {
        return {};
    }
    // Two copies starting together must not both clear and then both lock: the check and the
    // removal happen under a second lock, as QLockFile does for its own stale locks.
    QLockFile guard(path + QStringLiteral(".rmlock"));
    if (!guard.tryLock(1000)) {
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.read(4096);
    file.close();
    if (const std::optional<qint64> pid = LockPid(bytes)) {
        return {QString(), pid};
    }
    if (!RemoveUnheld(path)) {
        return {};
    }
    return {
        QString::fromUtf16(bytes.trimmed().isEmpty() ? kClearedEmpty : kClearedGarbage).arg(name),
        std::nullopt};
}

}  // namespace

QString AppDirectory() {
    return WithSeparator(QFileInfo(StartedProgramPath()).absolutePath());
}

ConfigDir::ConfigDir(QString base)
    : ConfigDir(WithSeparator(base),
                WithSeparator(WithSeparator(base) + QStringLiteral("config"))) {}

ConfigDir::ConfigDir(QString base, QString folder)
    : base_(std::move(base)), folder_(std::move(folder)) {}

ConfigDir ConfigDir::InFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return ConfigDir(WithSeparator(QFileInfo(clean).absolutePath()), WithSeparator(clean));
}

QString ConfigDir::Path(const QString& relativeName) const {
    QString rel = relativeName;
    rel.replace(u'\\', QDir::separator());
    rel.replace(u'/', QDir::separator());
    const QString inFolder = QStringLiteral("config") + QDir::separator();
    if (rel.startsWith(inFolder)) {
        return folder_ + rel.mid(inFolder.size());
    }
    return base_ + rel;
}

OpenConfig::OpenConfig(const ConfigPlaces& places) : dir_(QString()) {
    const Choice choice = Choose(places);
    const QString folder = choice.dir.Folder();
    if (choice.sampleRequired && !QFileInfo(choice.sample).isDir()) {
        throw AppError(QString::fromUtf16(kNoSample).arg(Shown(choice.sample), Shown(folder)));
    }
    MakeFolder(folder);

    const LockFound found = ClearBrokenLock(folder, LockFileName());
    cleared_ = found.cleared;
    const std::optional<qint64> earlier = found.pid;
    auto lock = std::make_unique<QLockFile>(folder + LockFileName());
    // Only a lock whose process has ended is stale, however old it is.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        if (earlier) {
            cleared_ = QString::fromUtf16(kClearedStale).arg(LockFileName()).arg(*earlier);
        }
    } else {
        switch (lock->error()) {
            case QLockFile::LockFailedError: {
                qint64 pid = 0;
                QString host;
                QString app;
                lock->getLockInfo(&pid, &host, &app);
                const QString holder = pid <= 0 ? QString::fromUtf16(kProcessUnknown)
                                       : host.isEmpty() || host == QSysInfo::machineHostName()
                                           ? QString::fromUtf16(kProcess).arg(pid)
                                           : QString::fromUtf16(kProcessOnHost).arg(pid).arg(host);
                throw AppError(QString::fromUtf16(kInUse).arg(Shown(folder), holder));
            }
            case QLockFile::PermissionError:
                throw Failure(kNotWritable, folder);
            default:
                throw Failure(kCannotLock, folder);
        }
    }

    // Files the folder lacks come from the sample; an existing file is the user's and stays.
    if (!choice.sample.isEmpty() && QFileInfo(choice.sample).isDir() &&
        !SameFolder(choice.sample, folder)) {
        const QDir sample(choice.sample);
        for (const QString& name : sample.entryList(QDir::Files, QDir::Name)) {
            const QString target = folder + name;
            if (QFileInfo::exists(target)) {
                continue;
            }
            const QString source = QDir::toNativeSeparators(sample.filePath(name));
            if (!listfile::WriteWhole(target, listfile::ReadAll(source))) {
                throw AppError(QString::fromUtf16(kCannotSeed).arg(source, target));
            }
            seeded_.append(name);
        }
    }
    dir_ = choice.dir;
    lock_ = std::move(lock);
}

OpenConfig::~OpenConfig() = default;

QString OpenConfig::ShownFolder() const {
    return Shown(dir_.Folder());
}

QString OpenConfig::LockFileName() {
    return QStringLiteral(".corppay.lock");
}
