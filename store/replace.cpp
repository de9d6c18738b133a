// Replacing a file's bytes atomically: the new bytes go into a temporary file beside the target
// (named after it, with a mark and the writer's process id), every write checked and synced,
// then renamed over the target, and the directory synced so that the rename lasts. A process
// killed half-way leaves only that temporary file, and the next save of the same file removes it.
#include "store/listfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <filesystem>
#include <system_error>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <cerrno>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace listfile {

namespace {

// "<name>.corppay-<pid>-<random>.tmp"
QString TempPrefix(const QString& fileName) {
    return fileName + QStringLiteral(".corppay-");
}

bool ProcessAlive(qint64 pid) {
#if defined(Q_OS_UNIX)
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true;  // not known here: only this process's own leftovers are removed
#endif
}

// Removes the temporaries of earlier saves of this file whose process is gone, and any of this
// process's own: it writes one file at a time, so none of them is still being written.
void SweepLeftovers(const QDir& dir, const QString& fileName) {
    const QString prefix = TempPrefix(fileName);
    const qint64 self = QCoreApplication::applicationPid();
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!name.startsWith(prefix) || !name.endsWith(u".tmp")) {
            continue;
        }
        const QStringView rest = QStringView(name).mid(prefix.size());
        bool ok = false;
        const qint64 pid = rest.left(rest.indexOf(u'-')).toLongLong(&ok);
        if (ok && pid > 0 && (pid == self || !ProcessAlive(pid))) {
            QFile::remove(dir.filePath(name));
        }
    }
}

// Creates a new, empty temporary file beside the target; its name is in `file`.
bool CreateTemp(const QDir& dir, const QString& fileName, QFile& file) {
    const QString stem =
        TempPrefix(fileName) + QString::number(QCoreApplication::applicationPid()) + u'-';
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = stem + QString::number(QRandomGenerator::global()->generate(), 16) +
                             QStringLiteral(".tmp");
        file.setFileName(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            return true;
        }
        if (!QFileInfo::exists(file.fileName())) {
            return false;  // the directory refuses new files
        }
    }
    return false;
}

// Puts the written bytes on the disk before the rename makes them the file's.
bool Sync(QFile& file) {
#if defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#elif defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

// Puts the rename itself on the disk: until the directory is synced, a power cut can bring the
// old file back after the save said it was done. A file system that cannot sync a directory
// (EINVAL) keeps the rename as its own journal does.
bool SyncDirectory(const QDir& dir) {
#if defined(Q_OS_UNIX)
    const int fd =
        ::open(QFile::encodeName(dir.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int reason = errno;
    ::close(fd);
    errno = reason;
    return synced;
#else
    Q_UNUSED(dir);
    return true;
#endif
}

}  // namespace

bool Replace(const QString& path, const QByteArray& bytes) {
    QFileInfo info(path);
    // A link is followed: the file it points to gets the new bytes, the link stays.
    if (info.isSymLink() && info.exists()) {
        info = QFileInfo(info.canonicalFilePath());
    }
    // A file without write permission stays as it is, whoever runs the program.
    if (info.isDir() || (info.exists() && !(info.permissions() & QFileDevice::WriteOwner))) {
        return false;
    }
    const QDir dir = info.absoluteDir();
    SweepLeftovers(dir, info.fileName());
    QFile temp;
    if (!CreateTemp(dir, info.fileName(), temp)) {
        return false;
    }
    errno = 0;
    const bool written = (!info.exists() || temp.setPermissions(info.permissions())) &&
                         temp.write(bytes) == bytes.size() && temp.flush() && Sync(temp);
    // The system's reason for a failed write (a full disk above all) outlives the clean-up, so
    // that the caller can tell the user.
    int reason = errno;
    temp.close();
    std::error_code error;
    if (written && temp.error() == QFileDevice::NoError) {
        std::filesystem::rename(QFileInfo(temp.fileName()).filesystemAbsoluteFilePath(),
                                info.filesystemAbsoluteFilePath(), error);
        if (!error) {
            // The new bytes are the file's now, but not durably so until the directory is
            // synced: a failure there is a failed save, with the system's reason.
            return SyncDirectory(dir);
        }
        reason = error.value();
    }
    temp.remove();
    errno = reason;
    return false;
}

}  // namespace listfile
