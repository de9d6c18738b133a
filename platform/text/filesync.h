// Putting a file's written bytes on the disk, not only in the system's cache, before the
// program says they are saved.
#pragma once

class QFile;

namespace filesync {

// Syncs the open file's bytes (and its size) to the disk: fsync on Unix, FlushFileBuffers on
// Windows. False on failure, with the reason where SystemError reads it (errno, or
// GetLastError() on Windows).
bool Sync(QFile& file);

}  // namespace filesync
