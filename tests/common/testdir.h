// A temporary directory for a test, with helpers to write and read files as raw bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <ostream>

class TestDir {
public:
    TestDir();
    QString Path(const QString& relative) const;
    void Write(const QString& relative, const QByteArray& bytes) const;
    QByteArray Read(const QString& relative) const;
    bool Exists(const QString& relative) const;
    // The base with a trailing separator, as the program's configuration directory.
    QString Base() const;

private:
    QTemporaryDir dir_;
};

// GB18030 bytes of a UTF-8 literal.
QByteArray Gb(const char* utf8);

// Readable failure output for texts.
void PrintTo(const QString& text, std::ostream* os);
