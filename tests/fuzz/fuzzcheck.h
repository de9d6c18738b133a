// Helpers shared by the fuzz targets: a check that stops the run as a crash (so libFuzzer keeps
// the input), and the texts a target builds from raw bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Stops with the failed condition and a description when cond is false.
#define FUZZ_CHECK(cond, what)                                                                    \
    do {                                                                                          \
        if (!(cond)) {                                                                            \
            std::fprintf(stderr, "%s:%d: FUZZ_CHECK(%s) failed: %s\n", __FILE__, __LINE__, #cond, \
                         std::string(what).c_str());                                              \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

namespace fuzz {

inline QByteArray Bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// UTF-16 code units straight from the bytes (pairs, little-endian; an odd last byte is one
// more unit), so that every QString can occur, unpaired surrogates and NUL included.
inline QString Utf16(const QByteArray& bytes) {
    QString s;
    s.reserve(bytes.size() / 2 + 1);
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[i]);
        const auto hi = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0u;
        s.append(QChar(static_cast<char16_t>(lo | (hi << 8))));
    }
    return s;
}

// Readable text of a QString for failure messages.
inline std::string Show(const QString& s) {
    return s.toUtf8().toStdString();
}

}  // namespace fuzz
