// Replacing a file's bytes atomically: the new bytes go into a temporary file beside the target
// (named after it, with a mark and the writer's process id), every write checked and synced,
// then renamed over the target, and the directory synced so that the rename lasts. A process
// killed half-way leaves only that temporary file, and the next save of the same file removes it.
// A failure leaves its reason as SystemError::Last() gives it (errno, or Windows' last error).
#include "store/listfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>

#include "platform/text/apperror.h"
#include "platform/text/filesync.h"

#if defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#include <string>
#else
#include <filesystem>
#include <system_error>
#endif
#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
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
#elif defined(Q_OS_WIN)
    // A process id that cannot be opened belongs to no process (ERROR_INVALID_PARAMETER), or to
    // one this user may not look at (ERROR_ACCESS_DENIED, alive). An opened process may still
    // have ended while another program holds a handle to it: its exit code says.
    if (pid > static_cast<qint64>(MAXDWORD)) {
        return false;
    }
    const HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        return ::GetLastError() != ERROR_INVALID_PARAMETER;
    }
    DWORD exitCode = 0;
    const bool alive = !::GetExitCodeProcess(process, &exitCode) || exitCode == STILL_ACTIVE;
    ::CloseHandle(process);
    return alive;
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

#if defined(Q_OS_WIN)
// A path as the wide Win32 calls take it: absolute, with backslashes, and past MAX_PATH in the
// "\\?\" form, which lifts that limit (Qt's own file calls do the same).
std::wstring Win32Path(const QString& path) {
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (native.size() >= MAX_PATH && !native.startsWith(u"\\\\?\\")) {
        native = native.startsWith(u"\\\\") ? QStringLiteral("\\\\?\\UNC\\") + native.mid(2)
                                            : QStringLiteral("\\\\?\\") + native;
    }
    return native.toStdWString();
}

// Whether a replace refused by Windows is worth trying again: the target (or the new file) is
// held open for the moment, by Excel showing an upload file or a virus scanner reading it.
bool HeldOpen(DWORD reason) {
    return reason == ERROR_ACCESS_DENIED || reason == ERROR_SHARING_VIOLATION ||
           reason == ERROR_LOCK_VIOLATION;
}
#endif

// Moves the written temporary file over the target in one step; false with the system's
// reason set when it could not.
bool Rename(const QString& from, const QString& to) {
#if defined(Q_OS_WIN)
    // MOVEFILE_REPLACE_EXISTING replaces the target in one step, and MOVEFILE_WRITE_THROUGH
    // returns only once the move is on the disk. A target another program holds open refuses
    // the replace while it does: tried again in short steps for about a second before the save
    // fails, since a scanner lets go within moments (a workbook open in Excel does not).
    const std::wstring source = Win32Path(from);
    const std::wstring target = Win32Path(to);
    constexpr int kTries = 20;
    constexpr DWORD kPauseMs = 50;
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(source.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD reason = ::GetLastError();
        if (attempt == kTries || !HeldOpen(reason)) {
            ::SetLastError(reason);
            return false;
        }
        ::Sleep(kPauseMs);
    }
#else
    std::error_code error;
    std::filesystem::rename(QFileInfo(from).filesystemAbsoluteFilePath(),
                            QFileInfo(to).filesystemAbsoluteFilePath(), error);
    if (error) {
        errno = error.value();
        return false;
    }
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
    // On Windows nothing to do, and nothing that could be done: Win32 has no call that syncs a
    // folder for an ordinary user. NTFS writes the rename to its own journal, and the
    // write-through move above returns only once the move is on the disk.
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
    if (info.isDir()) {
        SystemError{SystemError::Kind::Errno, EISDIR}.Restore();
        return false;
    }
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner)) {
        SystemError{SystemError::Kind::Errno, EACCES}.Restore();
        return false;
    }
    const QDir dir = info.absoluteDir();
    SweepLeftovers(dir, info.fileName());
    QFile temp;
    if (!CreateTemp(dir, info.fileName(), temp)) {
        return false;
    }
    ClearSystemError();
    const bool written = (!info.exists() || temp.setPermissions(info.permissions())) &&
                         temp.write(bytes) == bytes.size() && temp.flush() && filesync::Sync(temp);
    // The system's reason for a failed write (a full disk above all) outlives the clean-up, so
    // that the caller can tell the user.
    SystemError reason = SystemError::Last();
    temp.close();
    if (written && temp.error() == QFileDevice::NoError) {
        if (Rename(temp.fileName(), info.absoluteFilePath())) {
            // The new bytes are the file's now, but not durably so until the directory is
            // synced: a failure there is a failed save, with the system's reason.
            return SyncDirectory(dir);
        }
        reason = SystemError::Last();
    } else if (reason.kind == SystemError::Kind::None) {
        reason = SystemError::Last();  // the close's own failure
    }
    temp.remove();
    reason.Restore();
    return false;
}

}  // namespace listfile
