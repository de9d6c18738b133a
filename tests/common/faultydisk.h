// A disk that keeps other bytes than it is given, to show that a written file is read back
// before it counts as written.
#pragma once

#include <QByteArray>

#include "store/listfile.h"

enum class Fault { FlippedBit, LostLastByte, ExtraByte };

inline constexpr Fault kFaults[] = {Fault::FlippedBit, Fault::LostLastByte, Fault::ExtraByte};

inline QByteArray Damaged(QByteArray bytes, Fault fault) {
    switch (fault) {
        case Fault::FlippedBit:
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x01);
            break;
        case Fault::LostLastByte:
            bytes.chop(1);
            break;
        case Fault::ExtraByte:
            bytes.append('\0');
            break;
    }
    return bytes;
}

// Writes as the program does, but the damaged bytes.
inline listfile::Writer FaultyDisk(Fault fault) {
    return [fault](const QString& path, const QByteArray& bytes) {
        return listfile::Replace(path, Damaged(bytes, fault));
    };
}

// The disk a window writes its upload files to: sound until a test sets `current` to a
// faulty one, which takes effect at the next write.
struct TestDisk {
    listfile::Writer current = &listfile::Replace;
    listfile::Writer Writer() {
        return
            [this](const QString& path, const QByteArray& bytes) { return current(path, bytes); };
    }
};
