// Fuzzes the profile (INI) reader and writer on a file of the input's content: read a key,
// write one, read it back.
//
// Input: five length bytes (section, key and other key: one byte each; value: two bytes,
// little-endian), then those four texts in GB18030, then the file's content as bytes.
// Checked:
// - every read gives at most 2047 characters, never half of a surrogate pair;
// - after a write of a key that can stand in a file (section and key without line breaks, "]"
//   and "=", the key not starting with "[", the section not ending in a byte that starts no
//   character), the key reads back as the value, trimmed, without
//   matching quotes and cut to 2047 characters (before a pair that does not fit) as every
//   read is;
// - another key reads as before the write, and the write changed one line, or added the key's
//   line, or added the section's two lines at the end: every other line is kept.
#include "platform/text/ansi.h"
#include "store/listfile.h"
#include "store/profile.h"
#include "tests/fuzz/fuzzcheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

namespace {

QString Path() {
    // On a memory file system when there is one: every write of the profile is synced to disk.
    static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                       ? QStringLiteral("/dev/shm/corppay-profile-fuzz-XXXXXX")
                                       : QDir::tempPath() +
                                             QStringLiteral("/corppay-profile-fuzz-XXXXXX"));
    return dir.filePath(QStringLiteral("fuzz.ini"));
}

QStringList FileLines() {
    QFile file(Path());
    FUZZ_CHECK(file.open(QIODevice::ReadOnly), "the profile cannot be read back");
    return listfile::SplitLines(ansi::Decode(file.readAll()));
}

void CheckRead(const QString& value) {
    FUZZ_CHECK(value.size() <= profile::kMaxValue, "a read is longer than the limit");
    const bool cutPair = !value.isEmpty() && value.back().isHighSurrogate();
    FUZZ_CHECK(!cutPair, "a read ends in half a surrogate pair");
}

bool Carried(const QString& s) {
    return !s.contains(u'\r') && !s.contains(u'\n');
}

// The value a read of a written value gives: trimmed, without matching quotes, cut to the
// limit before a character that does not fit whole.
QString AsRead(const QString& value) {
    QString v = value.trimmed();
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front()) {
        v = v.mid(1, v.size() - 2);
    }
    if (v.size() > profile::kMaxValue) {
        v.truncate(v[profile::kMaxValue].isLowSurrogate() ? profile::kMaxValue - 1
                                                          : profile::kMaxValue);
    }
    return v;
}

// Whether after is before with one line replaced, one inserted, or the two section lines added
// at the end.
bool OneChange(const QStringList& before, const QStringList& after) {
    if (after.size() == before.size()) {
        qsizetype changed = 0;
        for (qsizetype i = 0; i < before.size(); ++i) {
            changed += before[i] != after[i] ? 1 : 0;
        }
        return changed <= 1;
    }
    if (after.size() == before.size() + 1) {
        const auto mismatch = std::mismatch(before.begin(), before.end(), after.begin());
        const qsizetype at = mismatch.first - before.begin();
        return std::equal(before.begin() + at, before.end(), after.begin() + at + 1);
    }
    return after.size() == before.size() + 2 && after.first(before.size()) == before;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    const std::size_t lengths[4] = {data[0], data[1], data[2],
                                    static_cast<std::size_t>(data[3] | (data[4] << 8))};
    std::size_t at = 5;
    QString texts[4];
    for (int i = 0; i < 4; ++i) {
        const std::size_t n = std::min(lengths[i], size - at);
        texts[i] = ansi::Decode(fuzz::Bytes(data + at, n));
        at += n;
    }
    const QString& section = texts[0];
    const QString& key = texts[1];
    const QString& other = texts[2];
    const QString& value = texts[3];
    // No content stands for a missing file.
    QFile::remove(Path());
    if (at < size) {
        QFile file(Path());
        FUZZ_CHECK(file.open(QIODevice::WriteOnly), "cannot write the profile");
        file.write(reinterpret_cast<const char*>(data + at), static_cast<qint64>(size - at));
    }

    const QString fallback = QStringLiteral("<default>");
    CheckRead(profile::ReadString(Path(), section, key, fallback));
    const QString otherBefore = profile::ReadString(Path(), section, other, fallback);
    CheckRead(otherBefore);

    // A section ending in a byte that starts no character cannot stand in a file: that byte
    // and the "]" after it are read back as one character. The program writes only its own
    // section names.
    const qsizetype n = section.size();
    const qsizetype lastSize =
        n >= 2 && section[n - 1].isLowSurrogate() && section[n - 2].isHighSurrogate() ? 2 : 1;
    const bool joinsBracket = ansi::HasUndecodable(QStringView(section).right(lastSize));
    const bool writable = Carried(section) && !section.contains(u']') &&
                          section == section.trimmed() && !joinsBracket && Carried(key) &&
                          !key.contains(u'=') && key == key.trimmed() && !key.startsWith(u'[') &&
                          Carried(value);
    if (!writable) {
        return 0;
    }
    const QStringList linesBefore = QFile::exists(Path()) ? FileLines() : QStringList();
    profile::WriteString(Path(), section, key, value);
    const QString read = profile::ReadString(Path(), section, key, fallback);
    CheckRead(read);
    FUZZ_CHECK(read == AsRead(value), "[" + fuzz::Show(section) + "] " + fuzz::Show(key) +
                                          " written as " + fuzz::Show(value) + " reads back as " +
                                          fuzz::Show(read));
    if (other.compare(key, Qt::CaseInsensitive) != 0) {
        FUZZ_CHECK(profile::ReadString(Path(), section, other, fallback) == otherBefore,
                   "the write of " + fuzz::Show(key) + " changed " + fuzz::Show(other));
    }
    FUZZ_CHECK(OneChange(linesBefore, FileLines()),
               "the write of " + fuzz::Show(key) + " changed other lines");
    return 0;
}
