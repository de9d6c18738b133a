// List files: text in GB18030, one record per line. Loading accepts CR, LF and CR LF line
// ends; saving rewrites the whole file atomically with CR LF after every line.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace listfile {

// Fails with "Cannot open file %s" when the file is missing or cannot be read. Bytes that are
// no GB18030 character are kept (see ansi::Decode), so a line saved again is unchanged.
QStringList Load(const QString& path);
// The file's bytes; fails like Load.
QByteArray ReadAll(const QString& path);
// Fails with "Cannot create file %s", a full disk named on a second line ("磁盘空间不足"); the
// old file stays intact on any failure.
void Save(const QString& path, const QStringList& lines);

// True when the bytes are exactly what saving their own lines writes back: a CR LF after every
// line and no other line end. Lines can then be added by appending their bytes.
bool IsSavedForm(QByteArrayView bytes);

// The line rules on their own, for data already in memory.
QStringList SplitLines(const QString& text);
QByteArray JoinLines(const QStringList& lines);

// Replaces a file's bytes atomically: into a temporary file beside it
// ("<name>.corppay-<pid>-<random>.tmp"), every write checked and synced before the rename over
// the file. False on any failure, with the system's reason as SystemError::Last() gives it; the
// old file is then intact. A temporary file that a process killed half-way left behind is
// removed by the next save of the same file.
bool Replace(const QString& path, const QByteArray& bytes);
// Replace, then the file read back and compared. False on any failure; the old file is then
// intact unless the comparison after the rename failed.
bool WriteWhole(const QString& path, const QByteArray& bytes);

// How a file's bytes are put on disk; Replace in the program, a faulty disk in tests. A writer
// that fails leaves its reason as Replace does (errno will do).
using Writer = std::function<bool(const QString& path, const QByteArray& bytes)>;

// Saves a file another program will act on (an upload file): written through `write`, then
// read back and compared byte for byte. Fails like Save when the write fails. A file that does not
// hold exactly the lines is removed, so that it cannot be used, and the message for the user is
// returned; nothing when the file is good.
std::optional<QString> SaveVerified(const QString& path, const QStringList& lines,
                                    const Writer& write);

}  // namespace listfile
