#include "platform/text/filesync.h"

#include <QFile>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#endif

namespace filesync {

bool Sync(QFile& file) {
#if defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#elif defined(Q_OS_WIN)
    // FlushFileBuffers is the Windows fsync, on the file's own handle. QFile's descriptor is the
    // C runtime's over Qt's handle; Qt and the program share that runtime (the universal CRT),
    // so _get_osfhandle gives the handle back. Windows' file calls set no errno: the reason is
    // left in GetLastError().
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(file.handle()));
    if (handle == INVALID_HANDLE_VALUE) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return ::FlushFileBuffers(handle) != 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

}  // namespace filesync
