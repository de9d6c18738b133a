// The compound file container of .xls workbooks (and of encrypted Office files): enough of it
// to list the streams of the root storage and read one whole, with every sector number and
// chain checked, so that a damaged file is refused before any library sees it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtEndian>
#include <optional>

#include "platform/sheet/book.h"

namespace sheet::cfbf {

// Both the container and the workbook stream inside it are little-endian binary records.
inline quint16 U16(const char* p) {
    return qFromLittleEndian<quint16>(p);
}
inline quint32 U32(const char* p) {
    return qFromLittleEndian<quint32>(p);
}
// A structure that points outside its file or contradicts itself: not a readable workbook.
[[noreturn]] inline void Damaged() {
    throw ReadFailure{Failure::NotWorkbook};
}

bool HasSignature(const QByteArray& bytes);

class Container {
public:
    // Throws ReadFailure (NotWorkbook) when the header, allocation tables or directory are
    // damaged.
    explicit Container(const QByteArray& bytes);

    // Names of the streams directly in the root storage.
    QStringList StreamNames() const;
    // The stream's bytes; nullopt when there is no such stream. Throws ReadFailure when its
    // chain is damaged.
    std::optional<QByteArray> ReadStream(const QString& name) const;

private:
    struct Entry {
        QString name;
        int type = 0;
        quint32 start = 0;
        quint64 size = 0;
    };
    QByteArray ReadChain(quint32 start, quint64 size, bool mini) const;
    const char* Sector(quint32 index) const;

    const QByteArray& bytes_;
    quint32 sectorSize_ = 512;
    quint32 miniCutoff_ = 4096;
    std::vector<quint32> fat_;
    std::vector<quint32> miniFat_;
    std::vector<Entry> entries_;
    QByteArray miniStream_;
};

}  // namespace sheet::cfbf
