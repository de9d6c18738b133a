#include "platform/text/initials.h"

#include "platform/text/ansi.h"
#include "platform/text/apperror.h"

#include <QList>
#include <QtEndian>
#include <algorithm>

namespace {

constexpr char kMagic[4] = {'P', 'Y', 'I', 'N'};
constexpr std::uint32_t kVersion = 1;
constexpr qsizetype kHeaderSize = 12;
constexpr qsizetype kEntrySize = 8;
constexpr char32_t kLastCodePoint = 0x10FFFF;

[[noreturn]] void Invalid(const QString& what) {
    throw AppError(QStringLiteral("Invalid initials table: %1").arg(what));
}

std::uint32_t ReadU32(const char* p) {
    return qFromLittleEndian<std::uint32_t>(p);
}

}  // namespace

Initials::Initials() : bmp_(0x10000, 0), gb2_(static_cast<std::size_t>(kLeads * kTrails), 0) {
    for (char32_t c = u'A'; c <= u'Z'; ++c) {
        bmp_[c] = LetterMask(c);
        bmp_[c + 32] = LetterMask(c);
    }
}

Initials::Mask Initials::LetterMask(char32_t c) {
    if (c >= u'a' && c <= u'z') {
        return Mask{1} << (c - u'a');
    }
    if (c >= u'A' && c <= u'Z') {
        return Mask{1} << (c - u'A');
    }
    return 0;
}

Initials Initials::Parse(QByteArrayView data) {
    if (data.size() < kHeaderSize || !std::equal(kMagic, kMagic + 4, data.data())) {
        Invalid(QStringLiteral("no table header"));
    }
    if (ReadU32(data.data() + 4) != kVersion) {
        Invalid(QStringLiteral("format version %1").arg(ReadU32(data.data() + 4)));
    }
    const std::uint32_t count = ReadU32(data.data() + 8);
    if ((data.size() - kHeaderSize) / kEntrySize != count ||
        (data.size() - kHeaderSize) % kEntrySize != 0) {
        Invalid(QStringLiteral("%1 bytes do not hold %2 entries").arg(data.size()).arg(count));
    }
    Initials table;
    char32_t previous = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const char* p = data.data() + kHeaderSize + i * kEntrySize;
        const char32_t c = ReadU32(p);
        const Mask mask = ReadU32(p + 4);
        if (c > kLastCodePoint || (i > 0 && c <= previous) || mask == 0 ||
            (mask & ~kAllLetters) != 0) {
            Invalid(QStringLiteral("entry %1").arg(i));
        }
        previous = c;
        if (c < 0x10000) {
            // Letters keep standing for themselves.
            if (LetterMask(c) == 0) {
                table.bmp_[c] = mask;
            }
        } else {
            table.supplementary_.emplace_back(c, mask);
        }
    }
    table.entryCount_ = count;

    // Every two-byte code decodes to one character of the basic plane; decode them all at once
    // and fall back to one at a time should the codec ever disagree.
    QByteArray codes;
    codes.reserve(kLeads * kTrails * 2);
    std::vector<std::size_t> targets;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F) {
                codes.append(static_cast<char>(lead));
                codes.append(static_cast<char>(trail));
                targets.push_back(static_cast<std::size_t>((lead - 0x81) * kTrails + trail - 0x40));
            }
        }
    }
    const QString decoded = ansi::Decode(codes);
    const bool oneEach = decoded.size() == static_cast<qsizetype>(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const auto at = static_cast<qsizetype>(i);
        if (oneEach) {
            table.gb2_[targets[i]] = table.Of(decoded[at].unicode());
        } else {
            const QList<uint> c = ansi::Decode(QByteArrayView(codes).sliced(2 * at, 2)).toUcs4();
            table.gb2_[targets[i]] = c.size() == 1 ? table.Of(c.front()) : 0;
        }
    }
    return table;
}

QByteArray Initials::Serialize(const std::vector<Entry>& entries) {
    QByteArray out(kHeaderSize + static_cast<qsizetype>(entries.size()) * kEntrySize, '\0');
    char* p = out.data();
    std::copy(kMagic, kMagic + 4, p);
    qToLittleEndian<std::uint32_t>(kVersion, p + 4);
    qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(entries.size()), p + 8);
    p += kHeaderSize;
    for (const auto& [c, mask] : entries) {
        qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(c), p);
        qToLittleEndian<std::uint32_t>(mask, p + 4);
        p += kEntrySize;
    }
    return out;
}

Initials::Mask Initials::Of(char32_t codePoint) const {
    if (codePoint < 0x10000) {
        return bmp_[codePoint];
    }
    const auto it = std::lower_bound(supplementary_.begin(), supplementary_.end(), codePoint,
                                     [](const Entry& e, char32_t c) { return e.first < c; });
    return it != supplementary_.end() && it->first == codePoint ? it->second : 0;
}

Initials::Mask Initials::OfGb(const char* p, int length) const {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    if (length == 1) {
        return LetterMask(u[0]);
    }
    if (length == 2) {
        if (u[0] < 0x81 || u[0] > 0xFE || u[1] < 0x40 || u[1] > 0xFE) {
            return 0;
        }
        return OfGb2(u[0], u[1]);
    }
    const QList<uint> c = ansi::Decode(QByteArrayView(p, length)).toUcs4();
    return c.size() == 1 ? Of(c.front()) : 0;
}

std::vector<Initials::Mask> Initials::OfText(QStringView text) const {
    std::vector<Mask> masks;
    masks.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        masks.push_back(Of(c));
    }
    return masks;
}

bool IsInitialsTerm(QStringView term) {
    return !term.isEmpty() && std::all_of(term.begin(), term.end(), [](QChar c) {
        return Initials::LetterMask(c.unicode()) != 0;
    });
}

bool ContainsInitials(const std::vector<Initials::Mask>& masks, QStringView term) {
    const auto length = static_cast<std::size_t>(term.size());
    if (length == 0 || length > masks.size()) {
        return false;
    }
    for (std::size_t i = 0; i + length <= masks.size(); ++i) {
        std::size_t j = 0;
        while (j < length && (masks[i + j] & Initials::LetterMask(term[j].unicode())) != 0) {
            ++j;
        }
        if (j == length) {
            return true;
        }
    }
    return false;
}
