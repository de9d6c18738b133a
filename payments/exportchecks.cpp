#include "payments/exportchecks.h"

#include <QHash>

#include "payments/values.h"

namespace payments::exportchecks {

namespace {
constexpr int kListed = 10;  // rows named in the question; more are counted

void AppendListed(QStringList& lines, const QStringList& items) {
    for (qsizetype i = 0; i < items.size() && i < kListed; ++i) {
        lines.append(items[i]);
    }
    if (items.size() > kListed) {
        lines.append(QStringLiteral("……等共%1处").arg(items.size()));
    }
}
}  // namespace

bool LuhnValid(const QString& digits) {
    if (!AllDigits(digits)) {
        return false;
    }
    int sum = 0;
    bool doubled = false;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        int d = digits[i].unicode() - u'0';
        if (doubled) {
            d *= 2;
            if (d > 9) {
                d -= 9;
            }
        }
        sum += d;
        doubled = !doubled;
    }
    return sum % 10 == 0;
}

bool LooksLikeCard(const QString& account) {
    return account.size() >= 16 && account.size() <= 19 && account.startsWith(u"62") &&
           AllDigits(account);
}

QString Question(const QList<Row>& rows, const QString& what, const Earlier& earlier) {
    const QStringList& repeats = earlier.repeats;
    QStringList cards;
    // Rows by account and amount in cents; the first row of each pair names it.
    QHash<QString, QList<int>> payments;
    QHash<QString, QString> shown;
    QStringList order;
    for (const Row& r : rows) {
        if (r.cpflag == u"私人" && LooksLikeCard(r.recacct) && !LuhnValid(r.recacct)) {
            cards.append(QStringLiteral("第%1笔：%2").arg(r.number).arg(r.recacct));
        }
        const QString key = r.recacct + u'|' + QString::number(r.amount.Cents());
        if (!payments.contains(key)) {
            order.append(key);
            shown.insert(key, QStringLiteral("账号%1，金额%2").arg(r.recacct, r.amount.Plain()));
        }
        payments[key].append(r.number);
    }
    QStringList doubles;
    for (const QString& key : order) {
        const QList<int>& numbers = payments[key];
        if (numbers.size() < 2) {
            continue;
        }
        QStringList named;
        for (int n : numbers) {
            named.append(QStringLiteral("第%1笔").arg(n));
        }
        doubles.append(named.join(u'、') + u'：' + shown.value(key));
    }
    if (cards.isEmpty() && doubles.isEmpty() && repeats.isEmpty() && earlier.unchecked.isEmpty()) {
        return QString();
    }
    QStringList lines;
    if (!cards.isEmpty()) {
        lines.append(QStringLiteral("以下私人收款账号像银行卡号，但校验位不正确，请核对："));
        AppendListed(lines, cards);
    }
    if (!doubles.isEmpty()) {
        if (!lines.isEmpty()) {
            lines.append(QString());
        }
        lines.append(QStringLiteral("以下%1的收款账号和金额相同，可能重复付款：").arg(what));
        AppendListed(lines, doubles);
    }
    if (!repeats.isEmpty()) {
        if (!lines.isEmpty()) {
            lines.append(QString());
        }
        lines.append(
            QStringLiteral("以下%1与近30天内已导出的付款账号和金额相同，可能重复付款：").arg(what));
        AppendListed(lines, repeats);
    }
    if (!earlier.unchecked.isEmpty()) {
        if (!lines.isEmpty()) {
            lines.append(QString());
        }
        lines.append(earlier.unchecked);
    }
    lines.append(QString());
    lines.append(QStringLiteral("仍要导出吗？"));
    return lines.join(u'\n');
}

}  // namespace payments::exportchecks
