// bankgen --out FILE    writes the generated bank directory packet to FILE
// bankgen --check FILE  reads FILE as the program would and fails when it is unfit to embed

#include "platform/text/apperror.h"
#include "tools/bankgen.h"

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <cstdio>

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "bankgen: %s\n", message.toLocal8Bit().constData());
    return 1;
}

int Write(const QString& path) {
    const QByteArray packet = bankgen::GenerateDirectory();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(packet) != packet.size() || !file.commit()) {
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    }
    std::printf("bankgen: wrote %lld bytes, %zu rows to %s\n",
                static_cast<long long>(packet.size()), bankgen::kRows,
                path.toLocal8Bit().constData());
    return 0;
}

int Check(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    }
    const QString problem = bankgen::CheckDirectory(file.readAll());
    if (!problem.isEmpty()) {
        return Fail(QStringLiteral("%1 cannot be embedded: %2").arg(path, problem));
    }
    std::printf("bankgen: %s is a valid directory packet\n", path.toLocal8Bit().constData());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return Fail(QStringLiteral("usage: bankgen --out FILE | --check FILE"));
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    try {
        if (mode == u"--out") {
            return Write(path);
        }
        if (mode == u"--check") {
            return Check(path);
        }
    } catch (const AppError& e) {
        return Fail(e.Message());
    }
    return Fail(QStringLiteral("unknown option %1").arg(mode));
}
