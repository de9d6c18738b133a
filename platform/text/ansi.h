// The file encoding of the program: GB18030, byte-identical to GBK for every GBK character
// and able to carry every other character, so that nothing is ever replaced by "?".
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace ansi {

// Decoding never loses a byte: a byte that starts no valid character becomes the lone
// surrogate U+DC80 + (byte - 0x80), and encoding turns such a surrogate back into its byte, so a
// line that is read and written again keeps its bytes exactly. Text typed by a user never holds
// lone surrogates.
QByteArray Encode(QStringView text);
QString Decode(QByteArrayView bytes);

// True when the text holds a byte that Decode could not read as a character.
bool HasUndecodable(QStringView text);
// The position of the first character below U+0020 or U+007F, or -1.
qsizetype FindControl(QStringView text);

// Strict UTF-8: the text, or nothing when the bytes are no valid UTF-8.
std::optional<QString> DecodeUtf8(QByteArrayView bytes);
// UTF-8 that never loses a byte either: a byte that starts no valid sequence becomes its lone
// surrogate as in Decode, and EncodeUtf8Keeping writes such a surrogate back as that byte, so
// that a checked value can name the bytes a forged or damaged file holds.
QString DecodeUtf8Keeping(QByteArrayView bytes);
QByteArray EncodeUtf8Keeping(QStringView text);
// True when the bytes hold a character beyond ASCII and are valid UTF-8 throughout.
bool LooksLikeUtf8(QByteArrayView bytes);

// Size of the text in bytes once encoded.
qsizetype Size(QStringView text);

// Length of the GB18030 character that starts at p (1, 2 or 4); a byte that starts no valid
// sequence counts as a character of its own, so a walk over any bytes always advances.
int CharLength(const char* p, const char* end);

// The longest prefix of bytes that is at most maxBytes long and ends on a character boundary.
QByteArrayView CutBytes(QByteArrayView bytes, qsizetype maxBytes);

// True when pos is the start of a character of bytes (walking from the start).
bool IsCharStart(QByteArrayView bytes, qsizetype pos);

}  // namespace ansi
