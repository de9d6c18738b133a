#include "platform/text/apperror.h"

#include <cerrno>
#include <system_error>

#if defined(Q_OS_WIN)
#include <windows.h>
#endif

const char* AppError::what() const noexcept {
    if (utf8_.isEmpty()) {
        utf8_ = message_.toUtf8();
    }
    return utf8_.constData();
}

AppError MakeError(const char16_t* pattern, const QString& arg) {
    return AppError(QString::fromUtf16(pattern).arg(arg));
}

std::optional<QString> EmptyFieldName(const QString& message) {
    const QString pattern = QString::fromUtf16(msg::kFieldMustHaveValue);
    const qsizetype at = pattern.indexOf(QStringLiteral("%1"));
    const QString before = pattern.left(at);
    const QString after = pattern.mid(at + 2);
    if (message.size() <= before.size() + after.size() || !message.startsWith(before) ||
        !message.endsWith(after)) {
        return std::nullopt;
    }
    return message.mid(before.size(), message.size() - before.size() - after.size());
}

namespace {

QString ErrnoText(int code) {
    switch (code) {
        case ENOSPC:
            return QStringLiteral("磁盘空间不足");
#ifdef EDQUOT
        case EDQUOT:
            return QStringLiteral("超出磁盘配额");
#endif
        case EACCES:
        case EPERM:
            return QStringLiteral("没有权限");
        case EROFS:
            return QStringLiteral("文件系统只读");
        case EISDIR:
            return QStringLiteral("是一个文件夹");
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("文件或文件夹不存在");
        case EEXIST:
            return QStringLiteral("文件已存在");
        case EIO:
            return QStringLiteral("读写出错");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("打开的文件过多");
        case ENAMETOOLONG:
            return QStringLiteral("文件名或路径过长");
        case EBUSY:
            return QStringLiteral("文件被其他程序占用");
        default:
            // The portable form of strerror (which MSVC warns about).
            return QString::fromLocal8Bit(std::generic_category().message(code));
    }
}

#if defined(Q_OS_WIN)
// ERROR_DISK_QUOTA_EXCEEDED, which not every Windows header set (MinGW's) defines.
constexpr DWORD kDiskQuotaExceeded = 1295;

QString WindowsText(DWORD code) {
    switch (code) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return QStringLiteral("磁盘空间不足");
        case kDiskQuotaExceeded:
            return QStringLiteral("超出磁盘配额");
        case ERROR_ACCESS_DENIED:
            return QStringLiteral("没有权限");
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return QStringLiteral("文件被其他程序占用");
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return QStringLiteral("文件或文件夹不存在");
        case ERROR_WRITE_PROTECT:
            return QStringLiteral("磁盘有写保护");
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return QStringLiteral("文件已存在");
        case ERROR_TOO_MANY_OPEN_FILES:
            return QStringLiteral("打开的文件过多");
        case ERROR_FILENAME_EXCED_RANGE:
            return QStringLiteral("文件名或路径过长");
        case ERROR_CRC:
        case ERROR_IO_DEVICE:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
            return QStringLiteral("读写出错");
        default:
            // FormatMessage's text, in the language of the system.
            return qt_error_string(static_cast<int>(code));
    }
}
#endif

}  // namespace

SystemError SystemError::Last() {
#if defined(Q_OS_WIN)
    if (const DWORD code = ::GetLastError(); code != 0) {
        return {Kind::Windows, code};
    }
#endif
    const int code = errno;
    return code != 0 ? SystemError{Kind::Errno, static_cast<unsigned long>(code)} : SystemError{};
}

void SystemError::Restore() const {
    errno = kind == Kind::Errno ? static_cast<int>(code) : 0;
#if defined(Q_OS_WIN)
    ::SetLastError(kind == Kind::Windows ? static_cast<DWORD>(code) : 0);
#endif
}

bool SystemError::DiskFull() const {
    switch (kind) {
        case Kind::Errno:
            return code == ENOSPC
#ifdef EDQUOT
                   || code == EDQUOT
#endif
                ;
        case Kind::Windows:
#if defined(Q_OS_WIN)
            return code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL ||
                   code == kDiskQuotaExceeded;
#else
            return false;
#endif
        case Kind::None:
            break;
    }
    return false;
}

QString SystemError::Text() const {
    switch (kind) {
        case Kind::Errno:
            return ErrnoText(static_cast<int>(code));
        case Kind::Windows:
#if defined(Q_OS_WIN)
            return WindowsText(static_cast<DWORD>(code));
#else
            return qt_error_string(static_cast<int>(code));
#endif
        case Kind::None:
            break;
    }
    return QString();
}

void ClearSystemError() {
    SystemError{}.Restore();
}
