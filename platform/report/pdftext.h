// The text of exported PDFs. A CJK font draws a Kangxi radical and its ideograph (⾏ and 行),
// or two forms of one character (戶 and 户), with one glyph, and Qt's PDF writer names each glyph
// in its ToUnicode map by the lowest code point drawn with it: 银行 would be found, copied and
// searched as 银⾏. It names glyphs by code points up to U+FFFF only, so a character beyond
// (𠮷, as in rare names) would not read at all. The maps are rewritten so that every glyph
// reads as the character printed.
#pragma once

#include <QByteArray>
#include <QHash>
#include <functional>
#include <vector>

#include "platform/report/layout.h"

namespace report {

// What a code point named in a ToUnicode map is to read as.
using CodeMap = std::function<char32_t(char32_t)>;

// What the text of a report's PDF is to read as.
struct PrintedText {
    // What a code point named in a ToUnicode map is to read as.
    CodeMap map;
    // Per font, by its PostScript name: the characters beyond U+FFFF whose glyphs the pages
    // draw and that no other code point of the font names, in the order they are first drawn.
    // Qt's writer names a glyph by the code points up to U+FFFF only, so it leaves these glyphs'
    // codes out of the ToUnicode map; it numbers a font's glyphs in the order they are first
    // drawn, so the n-th code it leaves out is the n-th of these characters.
    QHash<QByteArray, std::vector<char32_t>> unnamed;
};

// The unified ideograph a radical or stroke stands for (U+2F8F gives U+884C 行), by Unicode's
// EquivalentUnifiedIdeograph data; other code points unchanged.
char32_t EquivalentIdeograph(char32_t c);

// For the pages first to last (0-based) of a report: a code point the pages do not print but
// whose glyph, in a font of the report's styles, is that of a character they print, reads as
// that character; a radical or stroke otherwise as its equivalent ideograph; anything else as
// itself. With the characters beyond U+FFFF the pages draw, per font.
PrintedText PrintedCharacters(const PreparedReport& report, int first, int last);

// The document with every code point of its ToUnicode maps passed through the map, the codes
// of a font's unnamed characters added (when the font leaves out exactly as many codes), and
// its cross-reference table moved along. A document not laid out as Qt's PDF writer writes it
// is returned unchanged.
QByteArray RewriteToUnicode(const QByteArray& pdf, const PrintedText& text);

}  // namespace report
