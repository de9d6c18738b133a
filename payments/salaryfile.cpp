#include "payments/salaryfile.h"

#include "platform/text/apperror.h"
#include "platform/text/convert.h"

namespace payments::salaryfile {

QString DefaultFileName(const QString& date) {
    return QStringLiteral("salary") + date + QStringLiteral(".txt");
}

QString MemoText(const QString& memo) {
    const QString m = convert::Trim(memo);
    return m.isEmpty() || m == u"NULL" ? QStringLiteral("网银代发") : m;
}

QString CarriedText(const QString& fieldName, const QString& stored) {
    return fieldName.compare(u"memo", Qt::CaseInsensitive) == 0 ? MemoText(stored) : stored;
}

QStringList BuildLines(const QList<Credit>& rows) {
    QStringList lines;
    lines.reserve(rows.size() + 1);
    lines.append(QString());
    Total total;
    int counter = 1;
    for (const Credit& row : rows) {
        const Money amount = Money::FromTenThousandths(convert::TextToCurrency(row.finalincome));
        if (!total.Add(amount)) {
            throw AppError(TotalTooLargeText(QStringLiteral("工资记录")));
        }
        lines.append(QString::number(counter) + u'|' + row.acct + u'|' + row.name + u'|' +
                     row.finalincome + u'|' + MemoText(row.memo) + u'|');
        ++counter;
    }
    lines[0] = QString::number(rows.size()) + u'|' + total.Sum().Plain() + u'|';
    return lines;
}

}  // namespace payments::salaryfile
