#include "platform/report/pdftext.h"

#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QSet>
#include <QTextLayout>
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

// A CMap rewritten: its text, the codes its sections name, and whether anything changed.
struct CMap {
    QByteArray text;
    QSet<uint> codes;
    bool changed = false;
};

// A bfchar section's pairs (source, destination) with the destinations mapped.
std::optional<QByteArray> CharSection(const std::vector<QByteArray>& tokens, const CodeMap& map,
                                      CMap& cmap) {
    if (tokens.size() % 2 != 0) {
        return std::nullopt;
    }
    QByteArray out;
    for (std::size_t i = 0; i < tokens.size(); i += 2) {
        bool ok = false;
        const uint code = tokens[i].toUInt(&ok, 16);
        const auto points = DecodeHex(tokens[i + 1]);
        if (!ok || !points) {
            return std::nullopt;
        }
        cmap.codes.insert(code);
        out += '<' + tokens[i] + "> <" + EncodeHex(Mapped(*points, map, cmap.changed)) + ">\n";
    }
    return out;
}

// A bfrange section's entries: "<lo> <hi> <first>" maps lo..hi to first, first+1, ...; a
// range that the map changes becomes "<lo> <hi> [<d> ...]" with one destination per code.
std::optional<QByteArray> RangeSection(const std::vector<QByteArray>& tokens, const CodeMap& map,
                                       CMap& cmap) {
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
        for (uint k = 0; k <= high - low; ++k) {
            cmap.codes.insert(low + k);
        }
        bool ranged = false;
        std::vector<std::vector<char32_t>> mapped;
        for (const auto& d : destinations) {
            mapped.push_back(Mapped(d, map, ranged));
        }
        cmap.changed = cmap.changed || ranged;
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

// The CMap with its sections' destinations mapped; nothing when it does not read.
std::optional<CMap> RewriteCMap(const QByteArray& cmap, const CodeMap& map) {
    CMap out;
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
            range ? RangeSection(*tokens, map, out) : CharSection(*tokens, map, out);
        if (!section) {
            return std::nullopt;
        }
        out.text += cmap.mid(at, bodyAt - at) + '\n' + *section;
        at = end;
    }
    out.text += cmap.mid(at);
    return out;
}

// Adds bfchar sections of the codes and their characters before the CMap's end, at most 100
// codes a section as CMaps allow; false when there are codes and the CMap has no end.
bool AddCodes(CMap& cmap, const std::vector<std::pair<uint, char32_t>>& codes) {
    const qsizetype end = cmap.text.lastIndexOf("endcmap");
    if (codes.empty() || end < 0) {
        return codes.empty();
    }
    QByteArray sections;
    for (std::size_t i = 0; i < codes.size(); i += 100) {
        const std::size_t n = std::min<std::size_t>(100, codes.size() - i);
        sections += QByteArray::number(static_cast<qulonglong>(n)) + " beginbfchar\n";
        for (std::size_t k = i; k < i + n; ++k) {
            sections += '<' +
                        QByteArray::number(codes[k].first, 16).toUpper().rightJustified(4, '0') +
                        "> <" + EncodeHex({codes[k].second}) + ">\n";
            cmap.codes.insert(codes[k].first);
        }
        sections += "endbfchar\n";
    }
    cmap.text.insert(end, sections);
    cmap.changed = true;
    return true;
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

// Where the key (a name such as "/W") ends in a dictionary's text, -1 when it has none: the
// whole name, not the start of a longer one ("/WMode", or "/WenQuanYi" as a font's name).
qsizetype KeyEnd(QByteArrayView dictionary, QByteArrayView key) {
    for (qsizetype at = dictionary.indexOf(key); at >= 0; at = dictionary.indexOf(key, at + 1)) {
        const qsizetype end = at + key.size();
        if (end == dictionary.size() || IsSpace(dictionary[end]) ||
            QByteArrayView("/<>[]()").contains(dictionary[end])) {
            return end;
        }
    }
    return -1;
}

// The name that follows key in a dictionary's text ("/BaseFont /Name" gives "Name").
QByteArray NameAfter(QByteArrayView dictionary, QByteArrayView key) {
    qsizetype pos = KeyEnd(dictionary, key);
    if (pos < 0) {
        return {};
    }
    SkipSpace(dictionary, pos);
    if (pos >= dictionary.size() || dictionary[pos] != '/') {
        return {};
    }
    const qsizetype start = ++pos;
    while (pos < dictionary.size() && !IsSpace(dictionary[pos]) &&
           !QByteArrayView("/<>[]()").contains(dictionary[pos])) {
        ++pos;
    }
    return dictionary.sliced(start, pos - start).toByteArray();
}

// The number of glyph codes of a CIDFont: one past the highest code its /W array gives a width
// (at most 65536, the two-byte codes of Identity-H).
std::optional<uint> CodeCount(QByteArrayView font) {
    qsizetype pos = KeyEnd(font, "/W");
    if (pos < 0) {
        return std::nullopt;
    }
    SkipSpace(font, pos);
    if (pos >= font.size() || font[pos] != '[') {
        return std::nullopt;
    }
    ++pos;
    // Entries "c [w1 ... wn]" (codes c to c+n-1) and "first last w".
    qint64 count = 0;
    std::vector<qint64> numbers;
    while (count <= 0x10000) {
        SkipSpace(font, pos);
        if (pos >= font.size()) {
            return std::nullopt;
        }
        if (font[pos] == ']') {
            return numbers.empty() ? std::optional<uint>(static_cast<uint>(count)) : std::nullopt;
        }
        if (font[pos] == '[') {
            const qsizetype end = font.indexOf(']', pos);
            if (end < 0 || numbers.size() != 1) {
                return std::nullopt;
            }
            const QByteArray widths =
                font.sliced(pos + 1, end - pos - 1).toByteArray().simplified();
            if (widths.isEmpty()) {
                return std::nullopt;
            }
            count = std::max(count, numbers[0] + widths.count(' ') + 1);
            numbers.clear();
            pos = end + 1;
            continue;
        }
        const auto number = Number(font, pos);
        if (!number) {
            return std::nullopt;
        }
        numbers.push_back(*number);
        if (numbers.size() == 3) {
            count = std::max(count, numbers[1] + 1);
            numbers.clear();
        }
    }
    return std::nullopt;
}

// The codes from 1 (0 is .notdef) up to count that a map does not name, paired in order with
// the characters; none unless there are exactly as many codes as characters.
std::vector<std::pair<uint, char32_t>> PairUnnamed(const QSet<uint>& named, uint count,
                                                   const std::vector<char32_t>& characters) {
    std::vector<std::pair<uint, char32_t>> pairs;
    for (uint code = 1; code < count; ++code) {
        if (!named.contains(code)) {
            if (pairs.size() == characters.size()) {
                return {};
            }
            pairs.emplace_back(code, characters[pairs.size()]);
        }
    }
    return pairs.size() == characters.size() ? pairs : std::vector<std::pair<uint, char32_t>>();
}

// The PostScript name of a font, as its name table gives it (name 6) and PDF writers name it.
QByteArray PostScriptName(const QRawFont& font) {
    const QByteArray table = font.fontTable("name");
    const auto u16 = [&table](qsizetype at) {
        return at >= 0 && at + 2 <= table.size()
                   ? (static_cast<uint>(static_cast<uchar>(table[at])) << 8) |
                         static_cast<uchar>(table[at + 1])
                   : 0u;
    };
    const uint strings = u16(4);
    for (uint i = 0; i < u16(2); ++i) {
        const qsizetype record = 6 + 12 * static_cast<qsizetype>(i);
        if (record + 12 > table.size() || u16(record + 6) != 6) {
            continue;
        }
        const uint platform = u16(record);
        const QByteArray bytes = table.mid(strings + u16(record + 10), u16(record + 8));
        if (platform == 1) {
            return bytes;
        }
        if (platform == 0 || platform == 3) {
            QByteArray name;
            for (qsizetype k = 0; k + 1 < bytes.size(); k += 2) {
                name += bytes[k + 1];
            }
            return name;
        }
    }
    return {};
}

// Calls f with every item of the pages first to last (0-based), in the order they are painted.
void ForEachItem(const PreparedReport& report, int first, int last,
                 const std::function<void(const PreparedItem&)>& f) {
    const int count = static_cast<int>(report.pages.size());
    for (int p = std::max(first, 0); p <= std::min(last, count - 1); ++p) {
        for (const PreparedItem& item : report.pages[static_cast<std::size_t>(p)].items) {
            f(item);
        }
    }
}

// The glyphs of the font that a code point up to U+FFFF names.
QSet<quint32> BmpGlyphs(const QRawFont& font) {
    QString bmp;
    bmp.reserve(0x10000);
    for (char32_t c = 1; c <= 0xFFFF; ++c) {
        if (!QChar::isSurrogate(c)) {
            bmp += QChar(static_cast<char16_t>(c));
        }
    }
    const QList<quint32> glyphs = font.glyphIndexesForString(bmp);
    return QSet<quint32>(glyphs.begin(), glyphs.end());
}

// Per font by PostScript name, the characters beyond U+FFFF that the pages first to last draw
// with a glyph of their own, in the order they are first drawn (see PrintedText::unnamed). A
// character is drawn with its style's font or, where that lacks it, the font standing in, as
// the layout of the character alone finds it.
QHash<QByteArray, std::vector<char32_t>> UnnamedCharacters(const PreparedReport& report, int first,
                                                           int last) {
    struct Drawn {
        QByteArray font;
        quint32 glyph = 0;
    };
    QHash<QString, QByteArray> names;            // by family and style
    QHash<QByteArray, QSet<quint32>> bmpGlyphs;  // by name
    QHash<QPair<int, char32_t>, Drawn> drawn;    // by style and character
    const auto draw = [&](int style, char32_t c) {
        QTextLayout layout(QString::fromUcs4(&c, 1),
                           MakeFont(report.styles[static_cast<std::size_t>(style)].font));
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (runs.size() != 1 || runs[0].glyphIndexes().size() != 1 ||
            !runs[0].rawFont().isValid()) {
            return Drawn();
        }
        const QRawFont font = runs[0].rawFont();
        const QString key = font.familyName() + u'/' + font.styleName();
        if (!names.contains(key)) {
            const QByteArray name = PostScriptName(font);
            names.insert(key, name);
            bmpGlyphs.insert(name, BmpGlyphs(font));
        }
        return Drawn{names.value(key), runs[0].glyphIndexes()[0]};
    };
    QHash<QByteArray, std::vector<char32_t>> unnamed;
    QHash<QByteArray, QSet<quint32>> listed;
    ForEachItem(report, first, last, [&](const PreparedItem& item) {
        for (char32_t c : item.text.toUcs4()) {
            if (c <= 0xFFFF) {
                continue;
            }
            const QPair<int, char32_t> key(item.style, c);
            if (!drawn.contains(key)) {
                drawn.insert(key, draw(item.style, c));
            }
            const Drawn d = drawn.value(key);
            if (d.font.isEmpty() || d.glyph == 0 || bmpGlyphs.value(d.font).contains(d.glyph) ||
                listed[d.font].contains(d.glyph)) {
                continue;
            }
            listed[d.font].insert(d.glyph);
            unnamed[d.font].push_back(c);
        }
    });
    return unnamed;
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

PrintedText PrintedCharacters(const PreparedReport& report, int first, int last) {
    auto printed = std::make_shared<QSet<char32_t>>();
    bool beyondBmp = false;
    ForEachItem(report, first, last, [&](const PreparedItem& item) {
        for (char32_t c : item.text.toUcs4()) {
            printed->insert(c);
            beyondBmp = beyondBmp || c > 0xFFFF;
        }
    });
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
    PrintedText text;
    text.map = [printed, fonts](char32_t c) {
        if (printed->contains(c)) {
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
    if (beyondBmp) {
        text.unnamed = UnnamedCharacters(report, first, last);
    }
    return text;
}

QByteArray RewriteToUnicode(const QByteArray& pdf, const PrintedText& text) {
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

    // Where an object's body starts, past "n 0 obj"; -1 when it is not where the table says.
    const auto objectAt = [&](qint64 object) -> qsizetype {
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&](const XrefEntry& e) { return e.object == object; });
        const QByteArray head = QByteArray::number(object) + " 0 obj";
        if (entry == entries.end() || entry->offset + head.size() > pdf.size() ||
            !QByteArrayView(pdf).sliced(entry->offset).startsWith(head)) {
            return -1;
        }
        return entry->offset + head.size();
    };
    // The PostScript name and the code count of the font whose dictionary names the ToUnicode
    // map at `at`.
    const auto fontOf = [&](qsizetype at) -> std::pair<QByteArray, std::optional<uint>> {
        const qsizetype from = pdf.lastIndexOf("<<", at);
        const qsizetype to = pdf.indexOf(">>", at);
        if (from < 0 || to < 0) {
            return {};
        }
        const QByteArrayView font = QByteArrayView(pdf).sliced(from, to - from);
        qsizetype p = font.indexOf("/DescendantFonts");
        if (p < 0) {
            return {};
        }
        p += 16;
        SkipSpace(font, p);
        if (p >= font.size() || font[p] != '[') {
            return {};
        }
        ++p;
        SkipSpace(font, p);
        const auto descendant = Number(font, p);
        const qsizetype body = descendant ? objectAt(*descendant) : -1;
        const qsizetype bodyEnd = body < 0 ? -1 : pdf.indexOf("endobj", body);
        if (bodyEnd < 0) {
            return {};
        }
        return {NameAfter(font, "/BaseFont"),
                CodeCount(QByteArrayView(pdf).sliced(body, bodyEnd - body))};
    };
    // The codes the font of the map at `at` leaves out of it, with the font's unnamed characters.
    const auto unnamedCodes = [&](qsizetype at, const QSet<uint>& named) {
        if (text.unnamed.isEmpty()) {
            return std::vector<std::pair<uint, char32_t>>();  // the usual case: nothing to add
        }
        const auto [name, count] = fontOf(at);
        const auto characters = text.unnamed.constFind(name);
        if (characters == text.unnamed.cend() || !count) {
            return std::vector<std::pair<uint, char32_t>>();
        }
        return PairUnnamed(named, *count, *characters);
    };

    // Each ToUnicode stream once, rewritten where it names radicals or leaves codes out.
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
        const qsizetype start = objectAt(*object);
        if (start < 0) {
            return pdf;
        }
        const qsizetype dictionary = pdf.indexOf("<<", start);
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
        auto cmap = RewriteCMap(pdf.mid(data, *length), text.map);
        if (!cmap || !AddCodes(*cmap, unnamedCodes(at, cmap->codes)) || !cmap->changed) {
            continue;
        }
        edits.push_back(
            {dictionary, data + *length,
             "<< /Length " + QByteArray::number(cmap->text.size()) + " >>\nstream\n" + cmap->text});
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
