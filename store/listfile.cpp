#include "store/listfile.h"

#include <algorithm>
#include <cstring>

#include "platform/text/ansi.h"
#include "platform/text/apperror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace listfile {

QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < n) {
        lines.append(text.mid(start));
    }
    return lines;
}

QByteArray JoinLines(const QStringList& lines) {
    // One encoding of the whole text: encoding line by line costs a converter per line.
    qsizetype size = 0;
    for (const QString& line : lines) {
        size += line.size() + 2;
    }
    QString text;
    text.reserve(size);
    for (const QString& line : lines) {
        text += line;
        text += u"\r\n";
    }
    return ansi::Encode(text);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        throw MakeError(msg::kCannotOpenFile, path);
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw MakeError(msg::kCannotOpenFile, path);
    }
    return bytes;
}

bool IsSavedForm(QByteArrayView bytes) {
    if (bytes.isEmpty()) {
        return true;
    }
    if (!bytes.endsWith("\r\n")) {
        return false;
    }
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', end - p));
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        // Every line end is a CR directly followed by an LF.
        if (cr == nullptr || lf != cr + 1) {
            return cr == nullptr && lf == nullptr;
        }
        p = lf + 1;
    }
    return true;
}

QStringList Load(const QString& path) {
    return SplitLines(ansi::Decode(ReadAll(path)));
}

namespace {
// True when the file holds exactly these bytes. Read and compared a block at a time: a roster
// of megabytes is read back after every add, and a second copy of it in memory costs more in
// fresh pages than the comparison itself.
bool Holds(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || file.size() != bytes.size()) {
        return false;
    }
    constexpr qint64 kBlock = 64 * 1024;
    static thread_local char block[kBlock];
    qint64 at = 0;
    while (at < bytes.size()) {
        const qint64 got = file.read(block, std::min(kBlock, bytes.size() - at));
        if (got <= 0 || std::memcmp(block, bytes.constData() + at, got) != 0) {
            return false;
        }
        at += got;
    }
    // Nothing may follow what was compared.
    char extra = 0;
    return file.read(&extra, 1) == 0 && file.error() == QFileDevice::NoError;
}
}  // namespace

bool WriteWhole(const QString& path, const QByteArray& bytes) {
    return Replace(path, bytes) && Holds(path, bytes);
}

namespace {
// The failure of a write, from the reason the writer left (errno, or Windows' last error).
AppError CannotCreate(const QString& path) {
    const SystemError reason = SystemError::Last();
    QString text = MakeError(msg::kCannotCreateFile, path).Message();
    // A full disk is said so, in words of the user's language, on a second line.
    if (reason.DiskFull()) {
        text += u'\n' + reason.Text();
    }
    return AppError(text);
}
}  // namespace

void Save(const QString& path, const QStringList& lines) {
    ClearSystemError();
    if (!WriteWhole(path, JoinLines(lines))) {
        throw CannotCreate(path);
    }
}

std::optional<QString> SaveVerified(const QString& path, const QStringList& lines,
                                    const Writer& write) {
    const QByteArray bytes = JoinLines(lines);
    ClearSystemError();
    if (!write(path, bytes)) {
        throw CannotCreate(path);
    }
    if (Holds(path, bytes)) {
        return std::nullopt;
    }
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (QFile::remove(path)) {
        return QStringLiteral(
                   "文件“%1”写入后读回的内容与应写入的不一致，已删除该文件，请重新导出！")
            .arg(shown);
    }
    return QStringLiteral("文件“%1”写入后读回的内容与应写入的不一致，且无法删除，请勿上传该文件！")
        .arg(shown);
}

}  // namespace listfile
