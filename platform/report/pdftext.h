// The text of exported PDFs. A CJK font draws a Kangxi radical and its ideograph (⾏ and 行),
// or two forms of one character (戶 and 户), with one glyph, and Qt's PDF writer names each glyph
// in its ToUnicode map by the lowest code point drawn with it: 银行 would be found, copied and
// searched as 银⾏. The maps are rewritten so that every glyph reads as the character printed.
#pragma once

#include <QByteArray>
#include <functional>

#include "platform/report/layout.h"

namespace report {

// What a code point named in a ToUnicode map is to read as.
using CodeMap = std::function<char32_t(char32_t)>;

// The unified ideograph a radical or stroke stands for (U+2F8F gives U+884C 行), by Unicode's
// EquivalentUnifiedIdeograph data; other code points unchanged.
char32_t EquivalentIdeograph(char32_t c);

// For the pages of a report: a code point the report does not print but whose glyph, in a font
// of the report's styles, is that of a character it prints, reads as that character; a radical
// or stroke otherwise as its equivalent ideograph; anything else as itself.
CodeMap PrintedCharacters(const PreparedReport& report);

// The document with every code point of its ToUnicode maps passed through the map, and its
// cross-reference table moved along. A document not laid out as Qt's PDF writer writes it is
// returned unchanged.
QByteArray RewriteToUnicode(const QByteArray& pdf, const CodeMap& map);

}  // namespace report
