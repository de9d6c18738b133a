// A child process for the save tests: writes a list file or a profile key under a file-size
// limit (as a full disk would cut it), or rewrites a file in a loop until it is killed.
//   savetool list <path> <limit> <lines>      exit 0 saved, 3 refused (message on stdout)
//   savetool profile <path> <limit> <chars>
//   savetool loop <path> <linesA> <linesB>    alternates two contents forever, printing "R"
//                                             once the first is saved
//   savetool appdir                           prints the configuration directory
//   savetool sync <path> <fail> <errno>       saves with every fsync of a file ("file"), of a
//                                             directory ("dir") or of none ("none") failing
//                                             with that errno; prints the fsyncs of files and
//                                             directories made, then the message if refused
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QStringList>

#include "platform/text/apperror.h"
#include "store/configdir.h"
#include "store/listfile.h"
#include "store/profile.h"
#include "tests/store/savecontent.h"

namespace {

// What the interposed fsync below does: which kind of descriptor fails, and how.
enum class SyncFault { None, File, Directory };
SyncFault g_syncFault = SyncFault::None;
int g_syncErrno = 0;
int g_fileSyncs = 0;
int g_dirSyncs = 0;

}  // namespace

// The system call behind a stand-in for the C library's fsync, which this program's own
// definition replaces for the whole process: a disk whose sync reports an error, as ext4, XFS
// or NFS may report a write error or a full quota only then.
extern "C" int fsync(int fd) {
    struct stat st {};
    const bool directory = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    ++(directory ? g_dirSyncs : g_fileSyncs);
    if ((g_syncFault == SyncFault::File && !directory) ||
        (g_syncFault == SyncFault::Directory && directory)) {
        errno = g_syncErrno;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

void LimitFileSize(long bytes) {
    if (bytes <= 0) {
        return;
    }
    // Past the limit a write fails with EFBIG instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    setrlimit(RLIMIT_FSIZE, &limit);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 2 && QString::fromLocal8Bit(argv[1]) == u"appdir") {
        std::fputs(AppDirectory().toUtf8().constData(), stdout);
        return 0;
    }
    if (argc != 5) {
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    const long a = std::atol(argv[3]);
    const int b = std::atoi(argv[4]);
    try {
        if (mode == u"list") {
            LimitFileSize(a);
            listfile::Save(path, SaveContent('N', b));
        } else if (mode == u"profile") {
            LimitFileSize(a);
            profile::WriteString(path, QStringLiteral("excel"), QStringLiteral("name"),
                                 QString(b, u'新'));
        } else if (mode == u"sync") {
            const QString fault = QString::fromLocal8Bit(argv[3]);
            g_syncFault = fault == u"file"  ? SyncFault::File
                          : fault == u"dir" ? SyncFault::Directory
                                            : SyncFault::None;
            g_syncErrno = b;
            try {
                listfile::Save(path, SaveContent('N', 10));
            } catch (const AppError&) {
                std::printf("%d %d\n", g_fileSyncs, g_dirSyncs);
                throw;
            }
            std::printf("%d %d\n", g_fileSyncs, g_dirSyncs);
        } else if (mode == u"loop") {
            listfile::Save(path, SaveContent('A', static_cast<int>(a)));
            std::fputs("R\n", stdout);
            std::fflush(stdout);
            for (;;) {
                listfile::Save(path, SaveContent('B', b));
                listfile::Save(path, SaveContent('A', static_cast<int>(a)));
            }
        } else {
            return 2;
        }
    } catch (const AppError& e) {
        std::fputs(e.Message().toUtf8().constData(), stdout);
        return 3;
    }
    return 0;
}
