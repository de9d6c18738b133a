#include "platform/report/pdftext.h"

#include <QHash>
#include <QRawFont>
#include <QSet>
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "platform/report/textbox.h"

namespace report {

namespace {

struct Equivalence {
    char32_t first;
    char32_t last;
    char32_t ideograph;
};

constexpr Equivalence kEquivalences[] = {
#include "equivalentideographs.inc"
};

bool IsSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

// Reads the code points of a CMap destination such as <884C> (UTF-16BE in hex).
std::optional<std::vector<char32_t>> DecodeHex(QByteArrayView hex) {
    if (hex.size() % 4 != 0 || hex.isEmpty()) {
        return std::nullopt;
    }
    std::vector<char16_t> units;
    for (qsizetype i = 0; i < hex.size(); i += 4) {
        bool ok = false;
        const uint unit = QByteArray(hex.sliced(i, 4).data(), 4).toUInt(&ok, 16);
        if (!ok) {
            return std::nullopt;
        }
        units.push_back(static_cast<char16_t>(unit));
    }
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (QChar::isHighSurrogate(units[i]) && i + 1 < units.size() &&
            QChar::isLowSurrogate(units[i + 1])) {
            points.push_back(QChar::surrogateToUcs4(units[i], units[i + 1]));
            ++i;
        } else {
            points.push_back(units[i]);
        }
    }
    return points;
}

QByteArray EncodeHex(const std::vector<char32_t>& points) {
    QByteArray hex;
    const auto unit = [&hex](uint u) {
        hex += QByteArray::number(u, 16).toUpper().rightJustified(4, '0');
    };
    for (char32_t c : points) {
        if (QChar::requiresSurrogates(c)) {
            unit(QChar::highSurrogate(c));
            unit(QChar::lowSurrogate(c));
        } else {
            unit(c);
        }
    }
    return hex;
}

// The destination through the map; changed tells whether any code point was replaced.
std::vector<char32_t> Mapped(std::vector<char32_t> points, const CodeMap& map, bool& changed) {
    for (char32_t& c : points) {
        const char32_t printed = map(c);
        changed = changed || printed != c;
        c = printed;
    }
    return points;
}

// The tokens of a bfchar or bfrange section: hex strings (without brackets), "[" and "]".
std::optional<std::vector<QByteArray>> Tokens(QByteArrayView body) {
    std::vector<QByteArray> tokens;
    for (qsizetype i = 0; i < body.size();) {
        const char c = body[i];
        if (IsSpace(c)) {
            ++i;
        } else if (c == '[' || c == ']') {
            tokens.emplace_back(1, c);
            ++i;
        } else if (c == '<') {
            const qsizetype end = body.indexOf('>', i + 1);
            if (end < 0) {
                return std::nullopt;
            }
            tokens.emplace_back(body.sliced(i + 1, end - i - 1).toByteArray());
            i = end + 1;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

// A bfchar section's pairs (source, destination) with the destinations mapped.
std::optional<QByteArray> CharSection(const std::vector<QByteArray>& tokens, const CodeMap& map,
                                      bool& changed) {
    if (tokens.size() % 2 != 0) {
        return std::nullopt;
    }
    QByteArray out;
    for (std::size_t i = 0; i < tokens.size(); i += 2) {
        const auto points = DecodeHex(tokens[i + 1]);
        if (!points || tokens[i] == "[" || tokens[i] == "]") {
            return std::nullopt;
        }
        out += '<' + tokens[i] + "> <" + EncodeHex(Mapped(*points, map, changed)) + ">\n";
    }
    return out;
}

// A bfrange section's entries: "<lo> <hi> <first>" maps lo..hi to first, first+1, ...; a
// range that the map changes becomes "<lo> <hi> [<d> ...]" with one destination per code.
std::optional<QByteArray> RangeSection(const std::vector<QByteArray>& tokens, const CodeMap& map,
                                       bool& changed) {
    QByteArray out;
    for (std::size_t i = 0; i < tokens.size();) {
        if (i + 2 >= tokens.size()) {
            return std::nullopt;
        }
        bool okLow = false;
        bool okHigh = false;
        const uint low = tokens[i].toUInt(&okLow, 16);
        const uint high = tokens[i + 1].toUInt(&okHigh, 16);
        if (!okLow || !okHigh || high < low || high - low > 0xFFFF) {
            return std::nullopt;
        }
        const QByteArray codes = '<' + tokens[i] + "> <" + tokens[i + 1] + "> ";
        std::vector<std::vector<char32_t>> destinations;
        bool listed = tokens[i + 2] == "[";
        std::size_t next = i + 3;
        if (listed) {
            for (; next < tokens.size() && tokens[next] != "]"; ++next) {
                const auto points = DecodeHex(tokens[next]);
                if (!points) {
                    return std::nullopt;
                }
                destinations.push_back(*points);
            }
            if (next >= tokens.size() || destinations.size() != high - low + 1) {
                return std::nullopt;
            }
            ++next;
        } else {
            const auto first = DecodeHex(tokens[i + 2]);
            if (!first) {
                return std::nullopt;
            }
            for (uint k = 0; k <= high - low; ++k) {
                std::vector<char32_t> d = *first;
                d.back() += k;
                destinations.push_back(d);
            }
        }
        bool ranged = false;
        std::vector<std::vector<char32_t>> mapped;
        for (const auto& d : destinations) {
            mapped.push_back(Mapped(d, map, ranged));
        }
        changed = changed || ranged;
        if (!listed && !ranged) {
            out += codes + '<' + tokens[i + 2] + ">\n";
        } else {
            out += codes + '[';
            for (std::size_t k = 0; k < mapped.size(); ++k) {
                out += (k > 0 ? " <" : "<") + EncodeHex(mapped[k]) + '>';
            }
            out += "]\n";
        }
        i = next;
    }
    return out;
}

// The CMap with its sections' destinations mapped; nothing when it does not read or the map
// changes nothing.
std::optional<QByteArray> RewriteCMap(const QByteArray& cmap, const CodeMap& map) {
    QByteArray out;
    bool changed = false;
    qsizetype at = 0;
    while (true) {
        const qsizetype charAt = cmap.indexOf("beginbfchar", at);
        const qsizetype rangeAt = cmap.indexOf("beginbfrange", at);
        if (charAt < 0 && rangeAt < 0) {
            break;
        }
        const bool range = charAt < 0 || (rangeAt >= 0 && rangeAt < charAt);
        const qsizetype begin = range ? rangeAt : charAt;
        const QByteArray open = range ? "beginbfrange" : "beginbfchar";
        const QByteArray close = range ? "endbfrange" : "endbfchar";
        const qsizetype bodyAt = begin + open.size();
        const qsizetype end = cmap.indexOf(close, bodyAt);
        if (end < 0) {
            return std::nullopt;
        }
        const auto tokens = Tokens(QByteArrayView(cmap).sliced(bodyAt, end - bodyAt));
        if (!tokens) {
            return std::nullopt;
        }
        const auto section =
            range ? RangeSection(*tokens, map, changed) : CharSection(*tokens, map, changed);
        if (!section) {
            return std::nullopt;
        }
        out += cmap.mid(at, bodyAt - at) + '\n' + *section;
        at = end;
    }
    if (!changed) {
        return std::nullopt;
    }
    out += cmap.mid(at);
    return out;
}

// Reads an unsigned number at pos, moving pos past it; nothing without digits.
std::optional<qint64> Number(QByteArrayView bytes, qsizetype& pos) {
    const qsizetype start = pos;
    qint64 value = 0;
    while (pos < bytes.size() && bytes[pos] >= '0' && bytes[pos] <= '9' && pos - start < 12) {
        value = value * 10 + (bytes[pos] - '0');
        ++pos;
    }
    return pos > start ? std::optional<qint64>(value) : std::nullopt;
}

void SkipSpace(QByteArrayView bytes, qsizetype& pos) {
    while (pos < bytes.size() && IsSpace(bytes[pos])) {
        ++pos;
    }
}

struct XrefEntry {
    qint64 object;
    qsizetype at;   // where its ten offset digits are
    qint64 offset;  // of the object
};

struct Edit {
    qsizetype from;
    qsizetype to;
    QByteArray bytes;
};

}  // namespace

char32_t EquivalentIdeograph(char32_t c) {
    for (const Equivalence& e : kEquivalences) {
        if (c >= e.first && c <= e.last) {
            return e.ideograph;
        }
    }
    return c;
}

CodeMap PrintedCharacters(const PreparedReport& report) {
    // Only characters from the CJK radicals on can share a glyph with another.
    constexpr char32_t kFirstShared = 0x2E80;
    auto printed = std::make_shared<QSet<char32_t>>();
    for (const PreparedPage& page : report.pages) {
        for (const PreparedItem& item : page.items) {
            for (char32_t c : item.text.toUcs4()) {
                if (c >= kFirstShared) {
                    printed->insert(c);
                }
            }
        }
    }
    // Per font of the styles: the printed character drawn with each glyph.
    struct Font {
        QRawFont raw;
        QHash<quint32, char32_t> printedByGlyph;
    };
    auto fonts = std::make_shared<std::vector<Font>>();
    QSet<QString> seen;
    for (const TextStyle& style : report.styles) {
        const QRawFont raw = QRawFont::fromFont(MakeFont(style.font));
        const QString key = raw.familyName() + u'/' + raw.styleName();
        if (!raw.isValid() || seen.contains(key)) {
            continue;
        }
        seen.insert(key);
        Font font{raw, {}};
        for (char32_t c : *printed) {
            const QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
            if (glyphs.size() == 1 && glyphs[0] != 0) {
                font.printedByGlyph.insert(glyphs[0], c);
            }
        }
        fonts->push_back(std::move(font));
    }
    return [printed, fonts](char32_t c) {
        if (c < kFirstShared || printed->contains(c)) {
            return c;
        }
        for (const Font& font : *fonts) {
            const QList<quint32> glyphs = font.raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
            if (glyphs.size() == 1) {
                const auto it = font.printedByGlyph.constFind(glyphs[0]);
                if (it != font.printedByGlyph.cend()) {
                    return *it;
                }
            }
        }
        return EquivalentIdeograph(c);
    };
}

QByteArray RewriteToUnicode(const QByteArray& pdf, const CodeMap& map) {
    // The cross-reference table that startxref names: one classic table, as Qt writes it.
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    if (startxref < 0) {
        return pdf;
    }
    qsizetype pos = startxref + 9;
    SkipSpace(pdf, pos);
    const qsizetype xrefNumberAt = pos;
    const auto xref = Number(pdf, pos);
    const qsizetype xrefNumberEnd = pos;
    if (!xref || *xref >= pdf.size() || !QByteArrayView(pdf).sliced(*xref).startsWith("xref")) {
        return pdf;
    }
    std::vector<XrefEntry> entries;
    pos = *xref + 4;
    while (true) {
        SkipSpace(pdf, pos);
        if (QByteArrayView(pdf).sliced(pos).startsWith("trailer")) {
            break;
        }
        const auto first = Number(pdf, pos);
        SkipSpace(pdf, pos);
        const auto count = Number(pdf, pos);
        if (!first || !count) {
            return pdf;
        }
        SkipSpace(pdf, pos);
        for (qint64 k = 0; k < *count; ++k, pos += 20) {
            if (pos + 20 > pdf.size()) {
                return pdf;
            }
            qsizetype digits = pos;
            const auto offset = Number(pdf, digits);
            if (!offset || digits != pos + 10) {
                return pdf;
            }
            if (pdf[pos + 17] == 'n') {
                entries.push_back({*first + k, pos, *offset});
            }
        }
    }

    // Each ToUnicode stream once, rewritten where it names radicals.
    std::vector<Edit> edits;
    QSet<qint64> done;
    for (qsizetype at = pdf.indexOf("/ToUnicode"); at >= 0;
         at = pdf.indexOf("/ToUnicode", at + 1)) {
        qsizetype p = at + 10;
        SkipSpace(pdf, p);
        const auto object = Number(pdf, p);
        if (!object || done.contains(*object)) {
            continue;
        }
        done.insert(*object);
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&](const XrefEntry& e) { return e.object == *object; });
        if (entry == entries.end()) {
            return pdf;
        }
        const QByteArray head = QByteArray::number(*object) + " 0 obj";
        if (!QByteArrayView(pdf).sliced(entry->offset).startsWith(head)) {
            return pdf;
        }
        const qsizetype dictionary = pdf.indexOf("<<", entry->offset + head.size());
        const qsizetype dictionaryEnd = dictionary < 0 ? -1 : pdf.indexOf(">>", dictionary);
        if (dictionaryEnd < 0) {
            return pdf;
        }
        const QByteArray keys = pdf.mid(dictionary, dictionaryEnd - dictionary);
        const qsizetype lengthAt = keys.indexOf("/Length");
        // A compressed map or a length kept elsewhere is left as it is.
        if (lengthAt < 0 || keys.contains("/Filter")) {
            continue;
        }
        qsizetype q = lengthAt + 7;
        SkipSpace(keys, q);
        const auto length = Number(keys, q);
        SkipSpace(keys, q);
        if (!length || q != keys.size()) {
            continue;
        }
        qsizetype data = dictionaryEnd + 2;
        SkipSpace(pdf, data);
        if (!QByteArrayView(pdf).sliced(data).startsWith("stream")) {
            return pdf;
        }
        data += 6;
        data += pdf.mid(data, 2) == "\r\n" ? 2 : 1;
        if (data + *length > pdf.size()) {
            return pdf;
        }
        const auto cmap = RewriteCMap(pdf.mid(data, *length), map);
        if (!cmap) {
            continue;
        }
        edits.push_back(
            {dictionary, data + *length,
             "<< /Length " + QByteArray::number(cmap->size()) + " >>\nstream\n" + *cmap});
    }
    if (edits.empty()) {
        return pdf;
    }

    // The document with the edits, and every object's offset moved by the edits before it.
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.from < b.from; });
    QByteArray out;
    out.reserve(pdf.size() + 4096);
    qsizetype copied = 0;
    for (const Edit& e : edits) {
        if (e.from < copied) {
            return pdf;
        }
        out += QByteArrayView(pdf).sliced(copied, e.from - copied);
        out += e.bytes;
        copied = e.to;
    }
    const auto moved = [&edits](qint64 offset) {
        qint64 shift = 0;
        for (const Edit& e : edits) {
            if (e.to <= offset) {
                shift += e.bytes.size() - (e.to - e.from);
            }
        }
        return offset + shift;
    };
    if (*xref < copied) {
        return pdf;
    }
    out += QByteArrayView(pdf).sliced(copied, xrefNumberAt - copied);
    out += QByteArray::number(moved(*xref));
    out += QByteArrayView(pdf).sliced(xrefNumberEnd);
    for (const XrefEntry& e : entries) {
        const QByteArray digits = QByteArray::number(moved(e.offset)).rightJustified(10, '0');
        if (digits.size() != 10) {
            return pdf;
        }
        out.replace(moved(e.at), 10, digits);
    }
    return out;
}

}  // namespace report
