#include "salary/salaryfile.h"

#include "platform/text/apperror.h"
#include "platform/text/convert.h"

namespace salaryfile {

namespace {

constexpr char16_t kInvalidOperation[] = u"Invalid floating point operation";

}  // namespace

QString DefaultFileName(const QString& date) {
    return QStringLiteral("salary") + date + QStringLiteral(".txt");
}

QString MemoText(const QString& memo) {
    const QString m = convert::Trim(memo);
    return m.isEmpty() || m == u"NULL" ? QStringLiteral("网银代发") : m;
}

QString FormatTotal(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    // Magnitude in hundredths, halves away from zero; unsigned so that the lowest value fits.
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(tenThousandths)
                                             : static_cast<std::uint64_t>(tenThousandths);
    const std::uint64_t hundredths = magnitude / 100 + (magnitude % 100 >= 50 ? 1 : 0);
    const QString text = QStringLiteral("%1.%2")
                             .arg(hundredths / 100)
                             .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    // A total that rounds to zero carries no sign.
    return negative && hundredths != 0 ? u'-' + text : text;
}

QStringList BuildLines(const QList<Row>& rows) {
    QStringList lines;
    lines.append(QString::number(rows.size()) + QStringLiteral("|SUMAMT|"));
    std::int64_t sum = 0;
    int counter = 1;
    for (const Row& row : rows) {
        const std::int64_t amount = convert::TextToCurrency(row.finalincome);
        if (__builtin_add_overflow(sum, amount, &sum)) {
            throw AppError(QString::fromUtf16(kInvalidOperation));
        }
        lines.append(QString::number(counter) + u'|' + row.acct + u'|' + row.name + u'|' +
                     row.finalincome + u'|' + MemoText(row.memo) + u'|');
        ++counter;
    }
    lines[0].replace(lines[0].indexOf(QStringLiteral("SUMAMT")), 6, FormatTotal(sum));
    return lines;
}

bool IsPlainValue(const QString& value) {
    return !value.contains(u'|') && !value.contains(u'\r') && !value.contains(u'\n');
}

}  // namespace salaryfile
