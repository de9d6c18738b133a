#include "platform/text/ansi.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace ansi {

namespace {
constexpr const char* kCodec = "GB18030";

bool IsLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
bool IsDigit(unsigned char c) {
    return c >= 0x30 && c <= 0x39;
}
}  // namespace

QByteArray Encode(QStringView text) {
    if (text.isEmpty()) {
        return {};
    }
    QStringEncoder encoder(kCodec);
    return encoder.encode(text);
}

QString Decode(QByteArrayView bytes) {
    if (bytes.isEmpty()) {
        return {};
    }
    QStringDecoder decoder(kCodec);
    return decoder.decode(bytes);
}

qsizetype Size(QStringView text) {
    qsizetype size = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            size += 1;
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                   QChar::isLowSurrogate(text[i + 1].unicode())) {
            size += 4;
            ++i;
        } else {
            size += Encode(text.mid(i, 1)).size();
        }
    }
    return size;
}

int CharLength(const char* p, const char* end) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    const qsizetype left = end - p;
    if (left <= 0 || !IsLead(u[0])) {
        return 1;
    }
    if (left >= 2 && ((u[1] >= 0x40 && u[1] <= 0x7E) || (u[1] >= 0x80 && u[1] <= 0xFE))) {
        return 2;
    }
    if (left >= 4 && IsDigit(u[1]) && IsLead(u[2]) && IsDigit(u[3])) {
        return 4;
    }
    return 1;
}

QByteArrayView CutBytes(QByteArrayView bytes, qsizetype maxBytes) {
    if (bytes.size() <= maxBytes) {
        return bytes;
    }
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    const char* p = begin;
    while (p < end) {
        const int len = CharLength(p, end);
        if (p - begin + len > maxBytes) {
            break;
        }
        p += len;
    }
    return bytes.first(p - begin);
}

bool IsCharStart(QByteArrayView bytes, qsizetype pos) {
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    const char* p = begin;
    while (p - begin < pos) {
        p += CharLength(p, end);
    }
    return p - begin == pos;
}

}  // namespace ansi
