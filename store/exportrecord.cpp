#include "store/exportrecord.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <QUrl>
#include <cmath>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace exportrecord {

namespace {

constexpr char kVersion[] = "1";

QString DecodeUpload(const QByteArray& bytes) {
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

QList<Payment> Payments(const QByteArray& bytes, int skipLines, int accountField, int amountField) {
    QList<Payment> payments;
    const QStringList lines = DecodeUpload(bytes).split(QStringLiteral("\r\n"));
    for (qsizetype i = skipLines; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) {
            continue;
        }
        const QStringList fields = lines[i].split(u'|');
        if (fields.size() > std::max(accountField, amountField)) {
            payments.append({fields[accountField], fields[amountField]});
        }
    }
    return payments;
}

// An amount in cents for comparing: "100", "100.0" and "100.00" are one payment.
QString Cents(const QString& amount) {
    bool ok = false;
    const double value = amount.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return amount.trimmed();
    }
    return QString::number(std::llround(value * 100));
}

// Percent-decoding, with the common case of nothing encoded (accounts, amounts) taken fast.
QString Decode(const QByteArray& bytes) {
    return bytes.contains('%') ? QUrl::fromPercentEncoding(bytes) : QString::fromLatin1(bytes);
}

QByteArray Check(const QByteArray& body) {
    return QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex().left(16);
}

}  // namespace

QList<Payment> BatchPayments(const QByteArray& bytes) {
    return Payments(bytes, 0, 2, 7);
}

QList<Payment> SalaryPayments(const QByteArray& bytes) {
    return Payments(bytes, 1, 1, 3);
}

QByteArray EntryLine(const Entry& entry) {
    QByteArray payments;
    for (const Payment& p : entry.payments) {
        if (!payments.isEmpty()) {
            payments += ',';
        }
        payments += QUrl::toPercentEncoding(p.account) + ':' + QUrl::toPercentEncoding(p.amount);
    }
    const QByteArray body =
        QByteArray(kVersion) + '\t' + entry.time.toUTC().toString(Qt::ISODateWithMs).toLatin1() +
        '\t' + QUrl::toPercentEncoding(entry.page) + '\t' + QUrl::toPercentEncoding(entry.path) +
        '\t' + QByteArray::number(entry.rows) + '\t' + QUrl::toPercentEncoding(entry.total) + '\t' +
        entry.sha256 + '\t' + payments;
    return body + '\t' + Check(body);
}

bool Append(const QString& recordPath, const Entry& entry) {
    QFile file(recordPath);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        return false;
    }
    QByteArray line = EntryLine(entry) + '\n';
    // A line cut short by an earlier crash ends here, so that this one starts on its own line.
    if (file.size() > 0) {
        QFile last(recordPath);
        if (last.open(QIODevice::ReadOnly) && last.seek(file.size() - 1) && last.read(1) != "\n") {
            line.prepend('\n');
        }
    }
    if (file.write(line) != line.size() || !file.flush()) {
        return false;
    }
#if defined(Q_OS_UNIX)
    if (::fsync(file.handle()) != 0) {
        return false;
    }
#endif
    return true;
}

QList<Entry> Parse(const QByteArray& bytes) {
    QList<Entry> entries;
    for (const QByteArray& line : bytes.split('\n')) {
        const qsizetype tab = line.lastIndexOf('\t');
        if (tab < 0 || Check(line.left(tab)) != line.mid(tab + 1)) {
            continue;  // cut short or damaged
        }
        const QList<QByteArray> fields = line.left(tab).split('\t');
        if (fields.size() != 8 || fields[0] != kVersion) {
            continue;
        }
        Entry e;
        e.time = QDateTime::fromString(QString::fromLatin1(fields[1]), Qt::ISODateWithMs);
        e.page = QUrl::fromPercentEncoding(fields[2]);
        e.path = QUrl::fromPercentEncoding(fields[3]);
        e.rows = fields[4].toInt();
        e.total = QUrl::fromPercentEncoding(fields[5]);
        e.sha256 = fields[6];
        if (!fields[7].isEmpty()) {
            for (const QByteArray& p : fields[7].split(',')) {
                const qsizetype colon = p.indexOf(':');
                e.payments.append({Decode(p.left(colon)), Decode(p.mid(colon + 1))});
            }
        }
        entries.append(std::move(e));
    }
    return entries;
}

QList<Entry> Load(const QString& recordPath) {
    QFile file(recordPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return Parse(file.readAll());
}

FileState StateOf(const Entry& entry) {
    QFile file(entry.path);
    if (!file.open(QIODevice::ReadOnly)) {
        return FileState::Missing;
    }
    // Hashed as it is read, without holding the whole file.
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) {
        return FileState::Missing;
    }
    return hash.result().toHex() == entry.sha256 ? FileState::Unchanged : FileState::Changed;
}

QList<Repeat> Repeats(const QList<Entry>& entries, const QList<Payment>& payments,
                      const QDateTime& now, int days) {
    // The payments about to be exported, by account; the record is read against them, so that
    // a long record costs one lookup per recorded payment.
    QHash<QString, QList<qsizetype>> byAccount;
    QList<QString> cents;
    for (qsizetype i = 0; i < payments.size(); ++i) {
        byAccount[payments[i].account].append(i);
        cents.append(Cents(payments[i].amount));
    }
    // The latest earlier export of each payment within the window.
    const QDateTime since = now.addDays(-days);
    QList<const Entry*> latest(payments.size(), nullptr);
    for (const Entry& e : entries) {
        if (e.time < since || e.time > now) {
            continue;
        }
        for (const Payment& p : e.payments) {
            const auto it = byAccount.constFind(p.account);
            if (it == byAccount.constEnd()) {
                continue;
            }
            const QString amount = Cents(p.amount);
            for (const qsizetype i : *it) {
                if (cents[i] == amount && (!latest[i] || latest[i]->time < e.time)) {
                    latest[i] = &e;
                }
            }
        }
    }
    QList<Repeat> repeats;
    for (qsizetype i = 0; i < payments.size(); ++i) {
        if (latest[i]) {
            repeats.append({static_cast<int>(i) + 1, payments[i].account, payments[i].amount,
                            latest[i]->time, latest[i]->path});
        }
    }
    return repeats;
}

}  // namespace exportrecord
