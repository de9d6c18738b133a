#include "platform/dataset/filter.h"

#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "platform/text/initials.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <iterator>
#include <limits>
#include <numeric>

// SSE2 where the target has it: GCC and Clang say so with __SSE2__, MSVC only through the
// target (every x64 processor has it; on x86 /arch:SSE2 or above sets _M_IX86_FP to 2).
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define CORPPAY_FILTER_SSE2 1
#include <emmintrin.h>
#endif

namespace {

using uchar = unsigned char;

// ---- Parsing ----

[[noreturn]] void Invalid(QStringView text, qsizetype pos, const QString& what) {
    throw AppError(QStringLiteral("Invalid filter expression \"%1\": %2 at position %3")
                       .arg(text.toString(), what)
                       .arg(pos + 1));
}

struct Token {
    enum Kind { End, Name, String, Equals } kind = End;
    QString text;
    qsizetype pos = 0;
};

class Lexer {
public:
    explicit Lexer(QStringView text) : text_(text) {}

    Token Next() {
        while (i_ < text_.size() && text_[i_].isSpace()) {
            ++i_;
        }
        Token t;
        t.pos = i_;
        if (i_ == text_.size()) {
            return t;
        }
        const QChar c = text_[i_];
        if (IsNameChar(c) && !c.isDigit()) {
            t.kind = Token::Name;
            while (i_ < text_.size() && IsNameChar(text_[i_])) {
                ++i_;
            }
            t.text = text_.sliced(t.pos, i_ - t.pos).toString();
        } else if (c == u'\'') {
            t.kind = Token::String;
            ++i_;
            for (;;) {
                if (i_ == text_.size()) {
                    Invalid(text_, t.pos, QStringLiteral("the string has no closing quote"));
                }
                if (text_[i_] == u'\'') {
                    if (i_ + 1 < text_.size() && text_[i_ + 1] == u'\'') {
                        t.text.append(u'\'');
                        i_ += 2;
                        continue;
                    }
                    ++i_;
                    break;
                }
                t.text.append(text_[i_]);
                ++i_;
            }
        } else if (c == u'=') {
            t.kind = Token::Equals;
            ++i_;
        } else {
            Invalid(text_, i_, QStringLiteral("unexpected character '%1'").arg(c));
        }
        return t;
    }

private:
    static bool IsNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

    QStringView text_;
    qsizetype i_ = 0;
};

struct Condition {
    enum Op { All, Like, Equal } op = All;
    std::size_t column = 0;
    QString operand;
};

Condition Parse(QStringView text, const QStringList& fieldNames) {
    Lexer lexer(text);
    const Token field = lexer.Next();
    if (field.kind == Token::End) {
        return {};
    }
    if (field.kind != Token::Name) {
        Invalid(text, field.pos, QStringLiteral("a field name is expected"));
    }
    Condition condition;
    const Token op = lexer.Next();
    if (op.kind == Token::Equals) {
        condition.op = Condition::Equal;
    } else if (op.kind == Token::Name && op.text.compare(u"LIKE", Qt::CaseInsensitive) == 0) {
        condition.op = Condition::Like;
    } else {
        Invalid(text, op.pos, QStringLiteral("LIKE or = is expected after the field name"));
    }
    const Token operand = lexer.Next();
    if (operand.kind != Token::String) {
        Invalid(text, operand.pos, QStringLiteral("a quoted string is expected"));
    }
    const Token end = lexer.Next();
    if (end.kind != Token::End) {
        Invalid(text, end.pos, QStringLiteral("nothing may follow the string"));
    }
    const auto found = std::find_if(fieldNames.begin(), fieldNames.end(), [&](const QString& n) {
        return n.compare(field.text, Qt::CaseInsensitive) == 0;
    });
    if (found == fieldNames.end()) {
        throw MakeError(msg::kFieldNotFound, field.text);
    }
    condition.column = static_cast<std::size_t>(found - fieldNames.begin());
    condition.operand = operand.text;
    return condition;
}

// ---- Characters ----

bool IsAsciiLetter(uchar b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}
bool IsDigit(uchar b) {
    return b >= '0' && b <= '9';
}
bool IsRunByte(uchar b) {
    return b >= 0x81 && b <= 0xFE;
}
bool IsTrailByte(uchar b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

int CharLength(const uchar* p, const uchar* end) {
    return ansi::CharLength(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(end));
}

bool IsCharStartByWalk(const uchar* start, const uchar* at, const uchar* end) {
    const uchar* p = start;
    while (p < at) {
        p += CharLength(p, end);
    }
    return p == at;
}

// Whether `at` starts a character of the value [start, end). Instead of walking the whole
// value, look back over the bytes 0x81-0xFE just before `at` (the run): inside a run every
// character is two bytes, and the byte before the run (if any, and unless it is a digit,
// which may sit inside a four-byte character) always ends a character. So an even run means
// `at` starts a character and an odd run that `at` is the second byte of a pair. The rare
// cases this cannot settle (digits, invalid sequences) walk from the start.
// runStart is where the run begins, if the caller knows it already.
bool IsCharStart(const uchar* start, const uchar* at, const uchar* end,
                 const uchar* runStart = nullptr) {
    const uchar* p = runStart;
    if (p == nullptr) {
        p = at;
        while (p > start && IsRunByte(p[-1])) {
            --p;
        }
    }
    if (p > start && IsDigit(p[-1])) {
        return IsCharStartByWalk(start, at, end);
    }
    if (((at - p) & 1) == 0) {
        return true;
    }
    if (IsTrailByte(*at)) {
        return false;
    }
    return IsCharStartByWalk(start, at, end);
}

// ---- Searching ----

// A literal part of a pattern as bytes; a byte of a one-byte Latin letter is kept in lower
// case with 0x20 in its mask, so that (valueByte | mask) == byte compares it without regard to
// case. Bytes of multi-byte characters have mask 0 and compare exactly.
struct Needle {
    QByteArray bytes;
    QByteArray mask;

    qsizetype Size() const { return bytes.size(); }
    const uchar* Bytes() const { return reinterpret_cast<const uchar*>(bytes.constData()); }
    const uchar* Mask() const { return reinterpret_cast<const uchar*>(mask.constData()); }
};

Needle MakeNeedle(QStringView text) {
    Needle n;
    n.bytes = ansi::Encode(text);
    n.mask = QByteArray(n.bytes.size(), '\0');
    auto* b = reinterpret_cast<uchar*>(n.bytes.data());
    const uchar* end = b + n.bytes.size();
    for (uchar* p = b; p < end;) {
        const int len = CharLength(p, end);
        if (len == 1 && IsAsciiLetter(*p)) {
            *p = static_cast<uchar>(*p | 0x20);
            n.mask[static_cast<qsizetype>(p - b)] = 0x20;
        }
        p += len;
    }
    return n;
}

bool MatchesAt(const uchar* p, const Needle& n) {
    const uchar* b = n.Bytes();
    const uchar* m = n.Mask();
    for (qsizetype j = 0; j < n.Size(); ++j) {
        if (static_cast<uchar>(p[j] | m[j]) != b[j]) {
            return false;
        }
    }
    return true;
}

// Where the needle may start in the arena, a window at a time: bit i of block j is set when the
// bytes at position begin + 16 * j + i agree with the needle's first three bytes and its last
// one (letters folded as the needle says), so a needle of up to four bytes is matched in full.
// A window is filled in one pass without branches; longer needles have their candidates
// checked in full later. The window is small enough to stay in the first-level cache and is
// refilled as the rows move on, so a search allocates nothing for it.
class CandidateWindow {
public:
    // Bits for up to kSpan positions from pos on.
    static constexpr qsizetype kSpan = 48;

    CandidateWindow(const uchar* arena, qsizetype size, const Needle& n)
        : arena_(arena), size_(size), n_(n), starts_(size - n.Size() + 1) {
        const qsizetype length = n.Size();
        at_ = {0, std::min<qsizetype>(1, length - 1), std::min<qsizetype>(2, length - 1),
               length - 1};
    }

    // Candidate bits for up to kSpan positions from pos on; moves the window there if needed.
    std::uint64_t Bits(qsizetype pos) {
        if (pos < begin_ || pos + kSpan > end_) {
            // Moving on through the rows, the window doubles up to its full size; a jump
            // elsewhere (edited rows) starts again with a few blocks, so that scattered
            // values cost little.
            const bool onward = pos >= begin_ && pos <= end_;
            filled_ = onward ? std::min(2 * filled_, kBlocks) : kMinBlocks;
            Fill(pos, filled_);
        }
        return Read(map_, pos);
    }

    // Whether the window holds the run-byte bits of the kSpan positions from pos on.
    bool Holds(qsizetype pos) const { return pos >= begin_ && pos + kSpan <= end_; }

    // Bit i set when the byte at pos + i is a run byte (0x81-0xFE); pos must be held.
    std::uint64_t RunBits(qsizetype pos) const { return Read(run_, pos); }

private:
    static constexpr qsizetype kBlocks = 2048;
    static constexpr qsizetype kMinBlocks = 4;  // enough for kSpan bits from any position
    using Map = std::array<std::uint16_t, kBlocks + 4>;

    std::uint64_t Read(const Map& map, qsizetype pos) const {
        const qsizetype offset = pos - begin_;
        std::uint64_t word;
        std::memcpy(&word, map.data() + offset / 16, sizeof word);
        if constexpr (std::endian::native == std::endian::big) {
            word = (word >> 48) | ((word >> 16) & 0xFFFF0000ull) |
                   ((word << 16) & 0xFFFF00000000ull) | (word << 48);
        }
        // A 64-bit read from pos's block holds at least 49 bits from pos on.
        return word >> (offset % 16);
    }

    void Fill(qsizetype from, qsizetype wanted) {
        const qsizetype blocks = std::clamp<qsizetype>((starts_ - from + 15) / 16, 0, wanted);
        const uchar* b = n_.Bytes();
        const uchar* m = n_.Mask();
        qsizetype block = 0;
#if defined(CORPPAY_FILTER_SSE2)
        const auto spread = [](uchar c) { return _mm_set1_epi8(static_cast<char>(c)); };
        const __m128i b0 = spread(b[at_[0]]), m0 = spread(m[at_[0]]);
        const __m128i b1 = spread(b[at_[1]]), m1 = spread(m[at_[1]]);
        const __m128i b2 = spread(b[at_[2]]), m2 = spread(m[at_[2]]);
        const __m128i b3 = spread(b[at_[3]]), m3 = spread(m[at_[3]]);
        const qsizetype at1 = at_[1], at2 = at_[2], at3 = at_[3];
        const auto load = [](const uchar* p) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        };
        // As signed bytes, run bytes (0x81-0xFE) are those above 0x80 and below 0xFF.
        const __m128i below81 = spread(0x80), aboveFE = spread(0xFF);
        // Whole blocks whose last load stays inside the arena: the load at p + at3 of block k
        // ends at from + 16 * k + length - 1 + 16, which must not pass size_. The room is tested
        // before dividing, since a negative one would round up to a block that does not fit.
        const qsizetype room = size_ - n_.Size() - 15 - from;
        const qsizetype simdBlocks = room < 0 ? 0 : std::min<qsizetype>(room / 16 + 1, blocks);
        for (; block < simdBlocks; ++block) {
            const uchar* p = arena_ + from + block * 16;
            const __m128i e0 = _mm_cmpeq_epi8(_mm_or_si128(load(p), m0), b0);
            const __m128i e1 = _mm_cmpeq_epi8(_mm_or_si128(load(p + at1), m1), b1);
            const __m128i e2 = _mm_cmpeq_epi8(_mm_or_si128(load(p + at2), m2), b2);
            const __m128i e3 = _mm_cmpeq_epi8(_mm_or_si128(load(p + at3), m3), b3);
            const __m128i hit = _mm_and_si128(_mm_and_si128(e0, e1), _mm_and_si128(e2, e3));
            map_[static_cast<std::size_t>(block)] =
                static_cast<std::uint16_t>(_mm_movemask_epi8(hit));
            const __m128i v = load(p);
            const __m128i run =
                _mm_and_si128(_mm_cmpgt_epi8(v, below81), _mm_cmplt_epi8(v, aboveFE));
            run_[static_cast<std::size_t>(block)] =
                static_cast<std::uint16_t>(_mm_movemask_epi8(run));
        }
#endif
        for (; block < blocks; ++block) {
            std::uint16_t bits = 0;
            std::uint16_t run = 0;
            for (qsizetype i = 0; i < 16 && from + block * 16 + i < starts_; ++i) {
                const uchar* p = arena_ + from + block * 16 + i;
                bool hit = true;
                for (qsizetype k : at_) {
                    hit = hit && static_cast<uchar>(p[k] | m[k]) == b[k];
                }
                if (hit) {
                    bits = static_cast<std::uint16_t>(bits | (1u << i));
                }
                if (IsRunByte(*p)) {
                    run = static_cast<std::uint16_t>(run | (1u << i));
                }
            }
            map_[static_cast<std::size_t>(block)] = bits;
            run_[static_cast<std::size_t>(block)] = run;
        }
        std::fill(map_.begin() + blocks, map_.begin() + blocks + 4, std::uint16_t{0});
        std::fill(run_.begin() + blocks, run_.begin() + blocks + 4, std::uint16_t{0});
        begin_ = from;
        // Past the last possible start there are no candidates: the window reaches to the end.
        end_ = from + blocks * 16 >= starts_ ? std::numeric_limits<qsizetype>::max()
                                             : from + blocks * 16;
    }

    const uchar* arena_;
    qsizetype size_;
    const Needle& n_;
    qsizetype starts_;  // positions a match could start at
    std::array<qsizetype, 4> at_;
    qsizetype begin_ = 0;
    qsizetype end_ = 0;
    qsizetype filled_ = kMinBlocks;  // blocks asked for at the last fill
    Map map_;
    Map run_;
};

// IsCharStart for a match near the start of its value, with the run found from the window's
// run bits instead of the bytes: it begins after the highest non-run bit below the match.
bool StartsChar(const CandidateWindow& window, const uchar* arena, const uchar* start,
                const uchar* at, const uchar* end) {
    const qsizetype before = at - start;
    if (before > CandidateWindow::kSpan || !window.Holds(start - arena)) {
        return IsCharStart(start, at, end);
    }
    const std::uint64_t other = ~window.RunBits(start - arena) & ((std::uint64_t{1} << before) - 1);
    return IsCharStart(start, at, end, start + (other == 0 ? 0 : 64 - std::countl_zero(other)));
}

// The rows of a column whose value contains the needle: for each row the candidates inside its
// value, checked in full and for starting on a character. Cells may lie anywhere in the arena,
// as in an edited table; in a loaded one they follow each other and the window moves along.
std::vector<std::uint32_t> SelectContaining(const ColumnData& column, const Needle& n) {
    std::vector<std::uint32_t> rows;
    // Reserved, not filled: only the pages the matches need are ever touched.
    rows.reserve(column.cells.size());
    const auto* arena = reinterpret_cast<const uchar*>(column.arena.constData());
    const qsizetype length = n.Size();
    CandidateWindow window(arena, column.arena.size(), n);
    constexpr qsizetype kSpan = CandidateWindow::kSpan;
    for (std::size_t r = 0; r < column.cells.size(); ++r) {
        const ColumnData::Cell c = column.cells[r];
        if (c.length < length) {
            continue;
        }
        const uchar* start = arena + c.offset;
        const uchar* end = start + c.length;
        const qsizetype last = c.offset + c.length - length;  // last possible start
        bool found = false;
        for (qsizetype pos = c.offset; pos <= last && !found; pos += kSpan) {
            std::uint64_t bits = window.Bits(pos);
            bits &= (std::uint64_t{1} << std::min(kSpan, last - pos + 1)) - 1;
            while (bits != 0) {
                const uchar* at = arena + pos + std::countr_zero(bits);
                if ((length <= 4 || MatchesAt(at, n)) &&
                    StartsChar(window, arena, start, at, end)) {
                    rows.push_back(static_cast<std::uint32_t>(r));
                    found = true;
                    break;
                }
                bits &= bits - 1;
            }
        }
    }
    if (rows.size() < rows.capacity() / 2) {
        rows.shrink_to_fit();
    }
    return rows;
}

// ---- General patterns ----

struct Unit {
    enum Kind : std::uint8_t { Char, One, Any } kind = Char;
    std::uint8_t length = 0;
    uchar mask = 0;
    uchar bytes[4] = {};
};

std::vector<Unit> CompilePattern(QStringView pattern) {
    std::vector<Unit> units;
    qsizetype literalStart = 0;
    const auto flush = [&](qsizetype upTo) {
        const Needle n = MakeNeedle(pattern.sliced(literalStart, upTo - literalStart));
        const uchar* b = n.Bytes();
        const uchar* end = b + n.Size();
        for (const uchar* p = b; p < end;) {
            Unit u;
            u.length = static_cast<std::uint8_t>(CharLength(p, end));
            u.mask = n.Mask()[p - b];
            std::memcpy(u.bytes, p, u.length);
            units.push_back(u);
            p += u.length;
        }
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' || pattern[i] == u'_') {
            flush(i);
            Unit u;
            u.kind = pattern[i] == u'%' ? Unit::Any : Unit::One;
            units.push_back(u);
            literalStart = i + 1;
        }
    }
    flush(pattern.size());
    return units;
}

bool UnitMatches(const Unit& u, const uchar* v, const uchar* end) {
    if (end - v < u.length) {
        return false;
    }
    if (static_cast<uchar>(v[0] | u.mask) != u.bytes[0]) {
        return false;
    }
    return std::memcmp(v + 1, u.bytes + 1, u.length - 1u) == 0;
}

// Wildcard matching over characters; on a mismatch only the latest "%" needs to take one more
// character, earlier ones never have to be revisited.
bool Like(const uchar* v, const uchar* end, const std::vector<Unit>& units) {
    const std::size_t count = units.size();
    std::size_t i = 0;
    std::size_t star = count;
    const uchar* starValue = nullptr;
    while (v < end) {
        if (i < count && units[i].kind == Unit::Char && UnitMatches(units[i], v, end)) {
            v += units[i].length;
            ++i;
        } else if (i < count && units[i].kind == Unit::One) {
            v += CharLength(v, end);
            ++i;
        } else if (i < count && units[i].kind == Unit::Any) {
            star = i++;
            starValue = v;
        } else if (star < count) {
            starValue += CharLength(starValue, end);
            v = starValue;
            i = star + 1;
        } else {
            return false;
        }
    }
    while (i < count && units[i].kind == Unit::Any) {
        ++i;
    }
    return i == count;
}

std::vector<std::uint32_t> SelectLike(const ColumnData& column, QStringView pattern) {
    const std::vector<Unit> units = CompilePattern(pattern);
    // "%t%" with a plain t: the search for a contained text.
    if (units.size() >= 3 && units.front().kind == Unit::Any && units.back().kind == Unit::Any &&
        std::all_of(units.begin() + 1, units.end() - 1,
                    [](const Unit& u) { return u.kind == Unit::Char; })) {
        return SelectContaining(column, MakeNeedle(pattern.sliced(1, pattern.size() - 2)));
    }
    std::vector<std::uint32_t> rows;
    const auto* arena = reinterpret_cast<const uchar*>(column.arena.constData());
    for (std::size_t r = 0; r < column.cells.size(); ++r) {
        const ColumnData::Cell c = column.cells[r];
        if (c.length >= 0 && Like(arena + c.offset, arena + c.offset + c.length, units)) {
            rows.push_back(static_cast<std::uint32_t>(r));
        }
    }
    return rows;
}

std::vector<std::uint32_t> SelectEqual(const ColumnData& column, QStringView text) {
    const QByteArray needle = ansi::Encode(text);
    const auto length = static_cast<std::int32_t>(needle.size());
    const char* arena = column.arena.constData();
    std::vector<std::uint32_t> rows;
    for (std::size_t r = 0; r < column.cells.size(); ++r) {
        const ColumnData::Cell c = column.cells[r];
        if (c.length == length && std::memcmp(arena + c.offset, needle.constData(),
                                              static_cast<std::size_t>(length)) == 0) {
            rows.push_back(static_cast<std::uint32_t>(r));
        }
    }
    return rows;
}

}  // namespace

std::vector<std::uint32_t> SelectRows(QStringView text, const QStringList& fieldNames,
                                      const std::vector<ColumnData>& columns,
                                      const InitialsSearch& initials) {
    const Condition condition = Parse(text, fieldNames);
    if (condition.op == Condition::All) {
        std::vector<std::uint32_t> rows(columns.empty() ? 0 : columns.front().RowCount());
        std::iota(rows.begin(), rows.end(), 0u);
        return rows;
    }
    if (condition.column >= columns.size()) {
        throw MakeError(msg::kFieldNotFound, fieldNames[static_cast<qsizetype>(condition.column)]);
    }
    const ColumnData& column = columns[condition.column];
    if (condition.op == Condition::Equal) {
        return SelectEqual(column, condition.operand);
    }
    std::vector<std::uint32_t> rows = SelectLike(column, condition.operand);
    const QStringView pattern = condition.operand;
    if (initials && pattern.size() > 2 && pattern.front() == u'%' && pattern.back() == u'%' &&
        IsInitialsTerm(pattern.sliced(1, pattern.size() - 2))) {
        const std::vector<std::uint32_t> byInitials =
            initials(condition.column, pattern.sliced(1, pattern.size() - 2));
        std::vector<std::uint32_t> both;
        both.reserve(rows.size() + byInitials.size());
        std::set_union(rows.begin(), rows.end(), byInitials.begin(), byInitials.end(),
                       std::back_inserter(both));
        rows = std::move(both);
    }
    return rows;
}
