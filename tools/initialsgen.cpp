#include "tools/initialsgen.h"

#include "platform/text/apperror.h"

#include <bzlib.h>
#include <QFile>
#include <QList>
#include <QStringList>
#include <map>

namespace initialsgen {

namespace {

// The fields whose readings count: the customary reading, the readings of 汉语大字典 and those
// of 现代汉语词典.
bool IsReadingField(QByteArrayView field) {
    return field == "kMandarin" || field == "kHanyuPinyin" || field == "kXHC1983";
}

// The first letter of a reading written in pinyin with tone marks ("zhōng", "ǎi", "ḿ").
Initials::Mask InitialOf(QStringView reading) {
    const QString base = reading.toString().normalized(QString::NormalizationForm_D);
    return base.isEmpty() ? 0 : Initials::LetterMask(base.front().toLower().unicode());
}

// Code point ranges of the compatibility ideographs.
constexpr std::pair<char32_t, char32_t> kCompatibility[] = {{0xF900, 0xFAFF}, {0x2F800, 0x2FA1F}};

}  // namespace

std::vector<Initials::Entry> FromReadings(QByteArrayView readings) {
    std::map<char32_t, Initials::Mask> masks;
    qsizetype lineNumber = 0;
    for (const QByteArray& raw : readings.toByteArray().split('\n')) {
        ++lineNumber;
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() != 3 || !parts[0].startsWith("U+")) {
            throw AppError(QStringLiteral("line %1 is not a Unihan entry").arg(lineNumber));
        }
        if (!IsReadingField(parts[1])) {
            continue;
        }
        bool ok = false;
        const uint c = parts[0].sliced(2).toUInt(&ok, 16);
        if (!ok || c > 0x10FFFF) {
            throw AppError(QStringLiteral("line %1 names no character").arg(lineNumber));
        }
        Initials::Mask& mask = masks[c];
        // Space-separated entries, each with an optional "location:" before its readings,
        // which are separated by ",".
        for (const QString& entry : QString::fromUtf8(parts[2]).split(u' ', Qt::SkipEmptyParts)) {
            const QString values = entry.section(u':', -1);
            for (const QString& reading : values.split(u',', Qt::SkipEmptyParts)) {
                const Initials::Mask initial = InitialOf(reading);
                if (initial == 0) {
                    throw AppError(QStringLiteral("line %1: the reading \"%2\" has no initial")
                                       .arg(lineNumber)
                                       .arg(reading));
                }
                mask |= initial;
            }
        }
        if (mask == 0) {
            masks.erase(c);
        }
    }
    for (const auto& [first, last] : kCompatibility) {
        for (char32_t c = first; c <= last; ++c) {
            if (masks.contains(c)) {
                continue;
            }
            const QList<uint> unified =
                QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D).toUcs4();
            if (unified.size() == 1 && unified.front() != c) {
                if (const auto it = masks.find(unified.front()); it != masks.end()) {
                    masks[c] = it->second;
                }
            }
        }
    }
    return {masks.begin(), masks.end()};
}

QByteArray ReadBzip2(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AppError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    }
    QByteArray packed = file.readAll();
    QByteArray out;
    bz_stream stream{};
    stream.next_in = packed.data();
    stream.avail_in = static_cast<unsigned>(packed.size());
    // A file may hold several streams one after the other.
    while (stream.avail_in > 0) {
        if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK) {
            throw AppError(QStringLiteral("cannot start to decompress %1").arg(path));
        }
        int result = BZ_OK;
        while (result == BZ_OK) {
            char chunk[1 << 16];
            stream.next_out = chunk;
            stream.avail_out = sizeof chunk;
            result = BZ2_bzDecompress(&stream);
            out.append(chunk, static_cast<qsizetype>(sizeof chunk - stream.avail_out));
            if (result == BZ_OK && stream.avail_in == 0 && stream.avail_out != 0) {
                result = BZ_UNEXPECTED_EOF;
            }
        }
        BZ2_bzDecompressEnd(&stream);
        if (result != BZ_STREAM_END) {
            throw AppError(QStringLiteral("%1 is not a whole bzip2 file").arg(path));
        }
    }
    return out;
}

}  // namespace initialsgen
