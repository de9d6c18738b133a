#include "tests/common/testdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

TestDir::TestDir() = default;

QString TestDir::Path(const QString& relative) const {
    QString rel = relative;
    rel.replace(u'\\', u'/');
    return QDir::toNativeSeparators(dir_.path() + u'/' + rel);
}

void TestDir::Write(const QString& relative, const QByteArray& bytes) const {
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(bytes);
    }
}

QByteArray TestDir::Read(const QString& relative) const {
    QFile f(Path(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TestDir::Exists(const QString& relative) const {
    return QFileInfo::exists(Path(relative));
}

QString TestDir::Base() const {
    return QDir::toNativeSeparators(dir_.path() + u'/');
}

QByteArray Gb(const char* utf8) {
    QStringEncoder enc("GB18030");
    return enc.encode(QString::fromUtf8(utf8));
}

void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
