// The file encoding of the program: GB18030, byte-identical to GBK for every GBK character
// and able to carry every other character, so that nothing is ever replaced by "?".
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace ansi {

QByteArray Encode(QStringView text);
QString Decode(QByteArrayView bytes);

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
