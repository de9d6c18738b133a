// Fuzzes the filter-text parser and the search it runs, over a small bank-directory packet.
//
// Input: one byte of mode, a first line, then one name per line (GB18030 bytes, cut to the
// field's 255 bytes, at most 64 names). The names are written as a packet with codes and read
// back, so their arena is exactly as long as its values; with mode bit 0 every third name is then
// rewritten, which moves it to the arena's end as an edit does. The first line (UTF-8) is:
// - mode bit 1 clear: a pattern, searched as NAME LIKE 'pattern' (mode bit 2: NAME = 'text');
//   the rows found are checked against a plain reading of the rule on the decoded names, for
//   every name that decodes and encodes back to its bytes;
// - mode bit 1 set: a whole filter text, which must give ascending rows of the table or fail
//   with an AppError.
#include "platform/dataset/filter.h"
#include "platform/dataset/packet.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "tests/fuzz/fuzzcheck.h"

#include <vector>

namespace {

using Chars = std::vector<char32_t>;

char32_t Fold(char32_t c) {
    return c >= U'A' && c <= U'Z' ? c + 32 : c;
}

// LIKE on characters: "%" any run, "_" one character, Latin letters without regard to case.
bool Like(const Chars& value, const Chars& pattern) {
    // matched[j]: the value's first i characters match the pattern's first j.
    std::vector<char> matched(pattern.size() + 1, 0);
    matched[0] = 1;
    for (std::size_t j = 1; j <= pattern.size() && pattern[j - 1] == U'%'; ++j) {
        matched[j] = 1;
    }
    for (const char32_t v : value) {
        std::vector<char> next(pattern.size() + 1, 0);
        for (std::size_t j = 1; j <= pattern.size(); ++j) {
            const char32_t p = pattern[j - 1];
            if (p == U'%') {
                next[j] = next[j - 1] || matched[j];
            } else if (p == U'_' || Fold(p) == Fold(v)) {
                next[j] = matched[j - 1];
            }
        }
        matched.swap(next);
    }
    return matched[pattern.size()] != 0;
}

// The characters of a text, a lone surrogate (an undecodable byte of a name) as itself: toUcs4()
// would make it U+FFFD, which a pattern may hold as a real character.
Chars CharsOf(const QString& s) {
    Chars chars;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            chars.push_back(QChar::surrogateToUcs4(c, s[i + 1].unicode()));
            ++i;
        } else {
            chars.push_back(c);
        }
    }
    return chars;
}

QString Quoted(const QString& text) {
    QString q = text;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    const QList<QByteArray> lines = fuzz::Bytes(data + 1, size - 1).split('\n');
    const QString first = QString::fromUtf8(lines[0]);

    PacketTable table;
    table.fields = {{QStringLiteral("BANKCODE"), 20, true}, {QStringLiteral("LNAME"), 255, false}};
    table.columns.resize(2);
    for (qsizetype r = 1; r < lines.size() && r <= 64; ++r) {
        table.columns[0].Append(QByteArray::number(r));
        table.columns[1].Append(ansi::CutBytes(lines[r], 255));
    }
    table = ReadPacket(WritePacket(table, {1, 2}));
    ColumnData& names = table.columns[1];
    if ((mode & 1) != 0) {
        for (std::size_t r = 0; r < names.RowCount(); r += 3) {
            names.Set(r, QByteArray(names.Value(r).toByteArray()));
        }
    }
    const QStringList fieldNames = {QStringLiteral("BANKCODE"), QStringLiteral("LNAME")};

    if ((mode & 2) != 0) {
        try {
            const std::vector<std::uint32_t> rows = SelectRows(first, fieldNames, table.columns);
            for (std::size_t i = 0; i < rows.size(); ++i) {
                FUZZ_CHECK(rows[i] < names.RowCount() && (i == 0 || rows[i - 1] < rows[i]),
                           "rows out of order or range for " + fuzz::Show(first));
            }
        } catch (const AppError&) {
        }
        return 0;
    }

    const bool equal = (mode & 4) != 0;
    const QString filter =
        QStringLiteral("lname %1 %2")
            .arg(equal ? QStringLiteral("=") : QStringLiteral("LIKE"), Quoted(first));
    const std::vector<std::uint32_t> rows = SelectRows(filter, fieldNames, table.columns);
    const Chars pattern = CharsOf(first);
    std::size_t next = 0;
    for (std::size_t r = 0; r < names.RowCount(); ++r) {
        const bool found = next < rows.size() && rows[next] == r;
        next += found ? 1 : 0;
        const QByteArrayView bytes = names.Value(r);
        const QString name = ansi::Decode(bytes);
        if (names.IsNull(r)) {
            FUZZ_CHECK(!found, "a row without a name passes " + fuzz::Show(filter));
            continue;
        }
        if (ansi::Encode(name) != bytes) {
            continue;  // bytes that are no text: no plain reading to compare with
        }
        const bool expected = equal ? name == first : Like(CharsOf(name), pattern);
        FUZZ_CHECK(found == expected, fuzz::Show(filter) + (found ? " passes " : " misses ") +
                                          fuzz::Show(name) + " (row " + std::to_string(r) + ")");
    }
    FUZZ_CHECK(next == rows.size(), "rows out of order or range for " + fuzz::Show(filter));
    return 0;
}
