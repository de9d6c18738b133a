#include "store/listfile.h"

#include "platform/text/ansi.h"
#include "platform/text/apperror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += ansi::Encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

QStringList Load(const QString& path) {
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        throw MakeError(msg::kCannotOpenFile, path);
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw MakeError(msg::kCannotOpenFile, path);
    }
    return SplitLines(ansi::Decode(bytes));
}

bool WriteWhole(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    // A file without write permission stays as it is, whoever runs the program.
    if (info.isDir() || (info.exists() && !(info.permissions() & QFileDevice::WriteOwner))) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void Save(const QString& path, const QStringList& lines) {
    if (!WriteWhole(path, JoinLines(lines))) {
        throw MakeError(msg::kCannotCreateFile, path);
    }
}

}  // namespace listfile
