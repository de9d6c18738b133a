#include "payments/exportrecord.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QUrl>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#endif

namespace payments::exportrecord {

namespace {

constexpr char kVersion[] = "1";

// Percent-decoding, with the common case of nothing encoded (accounts, amounts) taken fast.
QString Decode(const QByteArray& bytes) {
    return bytes.contains('%') ? QUrl::fromPercentEncoding(bytes) : QString::fromLatin1(bytes);
}

QByteArray Check(const QByteArray& body) {
    return QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex().left(16);
}

}  // namespace

Entry MakeEntry(const QDateTime& time, const QString& page, const QString& path,
                const QByteArray& bytes, const QList<Payment>& payments) {
    Entry entry;
    entry.time = time;
    entry.page = page;
    entry.path = path;
    entry.payments = payments;
    entry.rows = static_cast<int>(payments.size());
    Total total;
    for (const Payment& p : payments) {
        total.Add(p.amount);
    }
    // An export whose sum does not fit is refused before it is written; the record never
    // holds a wrapped figure.
    entry.total = total.Overflowed() ? QString() : total.Sum().Plain();
    entry.sha256 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
    return entry;
}

QByteArray EntryLine(const Entry& entry) {
    QByteArray payments;
    for (const Payment& p : entry.payments) {
        if (!payments.isEmpty()) {
            payments += ',';
        }
        payments += QUrl::toPercentEncoding(p.account) + ':' + p.amount.Plain().toLatin1();
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
#elif defined(Q_OS_WIN)
    // FlushFileBuffers is the Windows fsync, on the handle Qt opened (QFile's descriptor is the C
    // runtime's over it, and the program shares Qt's runtime); it leaves its reason in
    // GetLastError(), as Windows' file calls set no errno. It puts the file's new size on the
    // disk with its bytes. The folder is not synced, here as on Unix: the record is appended to,
    // never renamed over, and Win32 has no call that syncs a folder for an ordinary user.
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(file.handle()));
    if (handle == INVALID_HANDLE_VALUE || !::FlushFileBuffers(handle)) {
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
                // An amount that reads as no number can match no payment.
                if (const auto amount = Money::Parse(Decode(p.mid(colon + 1)))) {
                    e.payments.append({Decode(p.left(colon)), *amount});
                }
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
    for (qsizetype i = 0; i < payments.size(); ++i) {
        byAccount[payments[i].account].append(i);
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
            for (const qsizetype i : *it) {
                // The same payment to the cent: "100", "100.0" and "100.00" are one.
                if (payments[i].amount.Cents() == p.amount.Cents() &&
                    (!latest[i] || latest[i]->time < e.time)) {
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

}  // namespace payments::exportrecord
