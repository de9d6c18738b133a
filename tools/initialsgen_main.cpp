// initialsgen UNIHAN_READINGS OUT  writes the table of pinyin initials made from the Unihan
// readings file (plain or bzip2-compressed) to OUT

#include "platform/text/apperror.h"
#include "tools/initialsgen.h"

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <cstdio>

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "initialsgen: %s\n", message.toLocal8Bit().constData());
    return 1;
}

QByteArray ReadAll(const QString& path) {
    if (path.endsWith(u".bz2")) {
        return initialsgen::ReadBzip2(path);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AppError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    }
    return file.readAll();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return Fail(QStringLiteral("usage: initialsgen UNIHAN_READINGS OUT"));
    }
    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    try {
        const auto entries = initialsgen::FromReadings(ReadAll(in));
        const QByteArray table = Initials::Serialize(entries);
        QSaveFile file(out);
        if (!file.open(QIODevice::WriteOnly) || file.write(table) != table.size() ||
            !file.commit()) {
            return Fail(QStringLiteral("cannot write %1: %2").arg(out, file.errorString()));
        }
        std::printf("initialsgen: wrote %zu characters to %s\n", entries.size(),
                    out.toLocal8Bit().constData());
        return 0;
    } catch (const AppError& e) {
        return Fail(e.Message());
    }
}
