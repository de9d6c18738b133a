#include "platform/text/ansi.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <optional>

namespace ansi {

int CharLength(const char* p, const char* end);

namespace {
constexpr const char* kCodec = "GB18030";

bool IsLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
bool IsDigit(unsigned char c) {
    return c >= 0x30 && c <= 0x39;
}

constexpr char16_t kEscapeBase = 0xDC00;

// A lone low surrogate that stands for one undecodable byte.
bool IsEscape(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode()));
}

// The slow path of Decode, for bytes that hold something invalid: character by character.
QString DecodeEscaped(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    // Held in place: a converter must not be moved, the system converter keeps its address.
    std::optional<QStringDecoder> decoder(std::in_place, kCodec, QStringConverter::Flag::Stateless);
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    for (const char* p = begin; p < end;) {
        const auto u = static_cast<unsigned char>(*p);
        if (u < 0x80) {
            text.append(QChar(static_cast<char16_t>(u)));
            ++p;
            continue;
        }
        const int len = CharLength(p, end);
        if (len > 1) {
            decoder->resetState();
            const QString c = decoder->decode(QByteArrayView(p, len));
            if (!decoder->hasError() && !c.isEmpty()) {
                text.append(c);
                p += len;
                continue;
            }
            // A converter keeps reporting an error once it has met one, resetState() or not:
            // the characters after this one get a fresh converter.
            decoder.emplace(kCodec, QStringConverter::Flag::Stateless);
        }
        text.append(QChar(static_cast<char16_t>(kEscapeBase + u)));
        ++p;
    }
    return text;
}

}  // namespace

// Opening a converter costs more than converting a short text, so each thread keeps one of
// each; stateless, so no call sees what an earlier one left.
static QStringEncoder& Encoder() {
    static thread_local QStringEncoder encoder(kCodec, QStringConverter::Flag::Stateless);
    encoder.resetState();
    return encoder;
}

static QStringDecoder& Decoder() {
    // resetState() does not clear an error the converter met; one that has is replaced (in
    // place: a converter must not be moved), or every later text would seem damaged.
    static thread_local std::optional<QStringDecoder> decoder;
    if (!decoder || decoder->hasError()) {
        decoder.emplace(kCodec, QStringConverter::Flag::Stateless);
    } else {
        decoder->resetState();
    }
    return *decoder;
}

QByteArray Encode(QStringView text) {
    if (text.isEmpty()) {
        return {};
    }
    QStringEncoder& encoder = Encoder();
    if (!HasUndecodable(text)) {
        return encoder.encode(text);
    }
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsEscape(text, i)) {
            bytes += encoder.encode(text.sliced(start, i - start));
            bytes += static_cast<char>(text[i].unicode() - kEscapeBase);
            start = i + 1;
        }
    }
    bytes += encoder.encode(text.sliced(start));
    return bytes;
}

QString Decode(QByteArrayView bytes) {
    if (bytes.isEmpty()) {
        return {};
    }
    QStringDecoder& decoder = Decoder();
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? DecodeEscaped(bytes) : text;
}

bool HasUndecodable(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsEscape(text, i)) {
            return true;
        }
    }
    return false;
}

qsizetype FindControl(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() < 0x20 || text[i].unicode() == 0x7F) {
            return i;
        }
    }
    return -1;
}

std::optional<QString> DecodeUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

QString DecodeUtf8Keeping(QByteArrayView bytes) {
    if (std::optional<QString> text = DecodeUtf8(bytes)) {
        return *text;
    }
    QString text;
    text.reserve(bytes.size());
    const char* end = bytes.data() + bytes.size();
    for (const char* p = bytes.data(); p < end;) {
        const auto u = static_cast<unsigned char>(*p);
        const int len = u < 0x80                 ? 1
                        : u >= 0xC2 && u <= 0xDF ? 2
                        : u >= 0xE0 && u <= 0xEF ? 3
                        : u >= 0xF0 && u <= 0xF4 ? 4
                                                 : 0;
        if (len > 0 && end - p >= len) {
            if (const std::optional<QString> c = DecodeUtf8(QByteArrayView(p, len))) {
                text += *c;
                p += len;
                continue;
            }
        }
        text.append(QChar(static_cast<char16_t>(kEscapeBase + u)));
        ++p;
    }
    return text;
}

QByteArray EncodeUtf8Keeping(QStringView text) {
    if (!HasUndecodable(text)) {
        return text.toUtf8();
    }
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsEscape(text, i)) {
            bytes += text.sliced(start, i - start).toUtf8();
            bytes += static_cast<char>(text[i].unicode() - kEscapeBase);
            start = i + 1;
        }
    }
    bytes += text.sliced(start).toUtf8();
    return bytes;
}

bool LooksLikeUtf8(QByteArrayView bytes) {
    bool beyondAscii = false;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            beyondAscii = true;
            break;
        }
    }
    return beyondAscii && DecodeUtf8(bytes).has_value();
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
