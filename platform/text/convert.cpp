#include "platform/text/convert.h"

#include "platform/text/apperror.h"

#include <cmath>
#include <limits>
#include <optional>

namespace convert {

namespace {

// Only the space surrounds a number; a tab or another control character makes it no number.
bool IsBlank(QChar c) {
    return c == u' ';
}

}  // namespace

std::optional<DecimalNumber> ParseDecimal(const QString& text) {
    qsizetype i = 0;
    qsizetype n = text.size();
    while (i < n && IsBlank(text[i])) {
        ++i;
    }
    while (n > i && IsBlank(text[n - 1])) {
        --n;
    }
    DecimalNumber d;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        d.negative = text[i] == u'-';
        ++i;
    }
    bool anyDigit = false;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            d.digits.append(c);
            anyDigit = true;
            if (point) {
                --d.exponent;
            }
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    // A point alone is a number too: the empty digits on both sides of it read as 0.
    if (!anyDigit && !point) {
        return std::nullopt;
    }
    if (!anyDigit) {
        d.digits = QStringLiteral("0");
    }
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            expNegative = text[i] == u'-';
            ++i;
        }
        int exp = 0;
        bool expDigit = false;
        for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            exp = std::min(exp * 10 + (text[i].unicode() - u'0'), 100000);
            expDigit = true;
        }
        if (!expDigit) {
            return std::nullopt;
        }
        d.exponent += expNegative ? -exp : exp;
    }
    if (i != n) {
        return std::nullopt;
    }
    return d;
}

namespace {

[[noreturn]] void Fail(const QString& text) {
    throw MakeError(msg::kNotValidFloat, text);
}

}  // namespace

double TextToFloat(const QString& text) {
    const auto d = ParseDecimal(text);
    if (!d) {
        Fail(text);
    }
    const QString plain = (d->negative ? QStringLiteral("-") : QString()) + d->digits + u'e' +
                          QString::number(d->exponent);
    bool ok = false;
    const double v = plain.toLatin1().toDouble(&ok);
    if (!ok) {
        // A value too small for a double is zero; one too large is no value at all.
        if (d->exponent < 0 && std::isfinite(v) && std::fabs(v) < 1.0) {
            return d->negative ? -0.0 : 0.0;
        }
        Fail(text);
    }
    return v;
}

std::int64_t TextToCurrency(const QString& text) {
    const auto d = ParseDecimal(text);
    if (!d) {
        Fail(text);
    }
    // Shift to ten-thousandths: the digits before the cut are the whole part, the rest decides
    // the rounding.
    const int shift = d->exponent + 4;
    QString whole;
    QString rest;
    if (shift >= 0) {
        whole = d->digits + QString(shift, u'0');
    } else {
        const qsizetype cut = d->digits.size() + shift;
        if (cut > 0) {
            whole = d->digits.left(cut);
            rest = d->digits.mid(cut);
        } else {
            rest = QString(-cut, u'0') + d->digits;
        }
    }
    // Leading zeros do not count towards the size.
    qsizetype lead = 0;
    while (lead < whole.size() - 1 && whole[lead] == u'0') {
        ++lead;
    }
    whole = whole.mid(lead);
    if (whole.size() > 19) {
        Fail(text);
    }
    unsigned long long value = 0;
    for (QChar c : whole) {
        value = value * 10 + static_cast<unsigned>(c.unicode() - u'0');
    }
    if (!rest.isEmpty()) {
        bool roundUp = false;
        if (rest[0] > u'5') {
            roundUp = true;
        } else if (rest[0] == u'5') {
            bool beyondHalf = false;
            for (qsizetype k = 1; k < rest.size(); ++k) {
                beyondHalf = beyondHalf || rest[k] != u'0';
            }
            // Ties go to the even neighbour.
            roundUp = beyondHalf || (value % 2 == 1);
        }
        if (roundUp) {
            ++value;
        }
    }
    const auto limit = static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max());
    if (value > limit) {
        Fail(text);
    }
    const auto signedValue = static_cast<std::int64_t>(value);
    return d->negative ? -signedValue : signedValue;
}

QString Excerpt(const QString& value, qsizetype chars) {
    if (value.size() <= chars) {
        return value;
    }
    qsizetype cut = chars;
    if (QChar::isHighSurrogate(value[cut - 1].unicode())) {
        --cut;
    }
    return value.left(cut) + QStringLiteral("…");
}

QString Trim(const QString& text) {
    const auto blank = [](QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin);
}

QString CurrencyToText(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(tenThousandths)
                 : static_cast<unsigned long long>(tenThousandths);
    QString text = QString::number(magnitude / 10000);
    unsigned long long fraction = magnitude % 10000;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, u'0');
        while (digits.endsWith(u'0')) {
            digits.chop(1);
        }
        text += u'.' + digits;
    }
    return negative && magnitude != 0 ? u'-' + text : text;
}

}  // namespace convert
