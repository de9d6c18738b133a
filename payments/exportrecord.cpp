#include "payments/exportrecord.h"

#include "platform/text/apperror.h"
#include "platform/text/filesync.h"

#include <openssl/evp.h>

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace payments::exportrecord {

namespace {

constexpr char kVersion[] = "1";
constexpr int kFields = 8;
// Read in blocks; a line longer than this is no entry the program writes.
constexpr qint64 kBlock = 4LL * 1024 * 1024;
constexpr qint64 kLongestLine = 64LL * 1024 * 1024;

// Percent-decoding, with the common case of nothing encoded (accounts, amounts) taken fast.
QString Decode(QByteArrayView bytes) {
    return bytes.contains('%') ? QUrl::fromPercentEncoding(bytes.toByteArray())
                               : QString::fromLatin1(bytes);
}

// The check at the end of each line: the first 16 hex digits of the SHA-256 of the rest. Lines
// are checked by the million, so the digest comes from OpenSSL (with the processor's SHA
// instructions where it has them) and its context is kept from line to line.
class LineCheck {
public:
    LineCheck() : md_(EVP_MD_fetch(nullptr, "SHA256", nullptr)), ctx_(EVP_MD_CTX_new()) {}
    ~LineCheck() {
        EVP_MD_CTX_free(ctx_);
        EVP_MD_free(md_);
    }
    LineCheck(const LineCheck&) = delete;
    LineCheck& operator=(const LineCheck&) = delete;

    QByteArray Of(QByteArrayView body) {
        char hex[16];
        return Hex(body, hex) ? QByteArray(hex, 16) : QByteArray();
    }
    // Whether the line ends in the check of the rest of it. The check is 16 characters after
    // the last tab.
    bool Whole(QByteArrayView line) {
        if (line.size() < 17 || line[line.size() - 17] != '\t') {
            return false;
        }
        char hex[16];
        return Hex(line.first(line.size() - 17), hex) &&
               std::memcmp(hex, line.data() + line.size() - 16, 16) == 0;
    }

private:
    // The check of `body` as 16 lower-case hex digits; false without a digest, so that no line
    // is then told whole.
    bool Hex(QByteArrayView body, char (&hex)[16]) {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        if (md_ == nullptr || ctx_ == nullptr || EVP_DigestInit_ex(ctx_, md_, nullptr) != 1 ||
            EVP_DigestUpdate(ctx_, body.data(), static_cast<size_t>(body.size())) != 1 ||
            EVP_DigestFinal_ex(ctx_, digest, &size) != 1 || size < 8) {
            return false;
        }
        constexpr char kDigits[] = "0123456789abcdef";
        for (int i = 0; i < 8; ++i) {
            hex[2 * i] = kDigits[digest[i] >> 4];
            hex[2 * i + 1] = kDigits[digest[i] & 0xF];
        }
        return true;
    }

private:
    EVP_MD* md_;
    EVP_MD_CTX* ctx_;
};

using Fields = std::array<QByteArrayView, kFields>;

// Splits a line into as many of its fields as it has (up to kFields; the check excluded by the
// caller); the count found.
int Split(QByteArrayView body, Fields& fields) {
    int n = 0;
    qsizetype start = 0;
    while (n < kFields) {
        const qsizetype tab = body.indexOf('\t', start);
        if (tab < 0) {
            fields[n++] = body.sliced(start);
            return n;
        }
        fields[n++] = body.sliced(start, tab - start);
        start = tab + 1;
    }
    return kFields + 1;  // more fields than an entry has
}

// The fields of a whole entry of this version; false for any other line.
bool EntryFields(QByteArrayView line, LineCheck& check, Fields& fields) {
    if (!check.Whole(line)) {
        return false;
    }
    const QByteArrayView body = line.first(line.size() - 17);
    return Split(body, fields) == kFields && fields[0] == kVersion;
}

// What a damaged line still tells: the upload file it names, when its fields up to the path
// still stand and the path reads as one.
Damage DamageOf(QByteArrayView line, qint64 number) {
    Damage damage{number, QString()};
    Fields fields;
    if (line.size() < 4096 && Split(line, fields) > 4 && fields[0] == kVersion) {
        const QString path = QUrl::fromPercentEncoding(fields[3].toByteArray());
        const bool readable = !path.isEmpty() && path.size() < 1000 &&
                              std::none_of(path.begin(), path.end(), [](QChar c) {
                                  // A tab is a file name's own; a line break or other control is
                                  // damage.
                                  return (c.category() == QChar::Other_Control && c != u'\t') ||
                                         c == QChar::ReplacementCharacter;
                              });
        if (readable) {
            damage.path = path;
        }
    }
    return damage;
}

void Note(Findings& findings, QByteArrayView line, qint64 number) {
    ++findings.damagedLines;
    if (findings.damaged.size() < kDamageListed) {
        findings.damaged.append(DamageOf(line, number));
    }
}

// Calls f(line, number) for every line of the device, read in blocks; a line too long to be an
// entry is passed as its first kLongestLine bytes. Empty lines (the end of the file) are
// skipped. False when a read failed.
template <class F>
bool ForEachLine(QIODevice& device, F&& f) {
    QByteArray buffer;
    qint64 number = 0;
    bool skipping = false;  // inside a line already passed as too long
    const auto pass = [&](QByteArrayView line) {
        ++number;
        if (!line.isEmpty()) {
            f(line, number);
        }
    };
    for (;;) {
        const QByteArray block = device.read(kBlock);
        if (block.isEmpty()) {
            if (device.atEnd() || device.bytesAvailable() == 0) {
                break;
            }
            return false;
        }
        buffer += block;
        qsizetype start = 0;
        for (;;) {
            const qsizetype end = buffer.indexOf('\n', start);
            if (end < 0) {
                break;
            }
            if (skipping) {
                skipping = false;
            } else {
                pass(QByteArrayView(buffer).sliced(start, end - start));
            }
            start = end + 1;
        }
        buffer.remove(0, start);
        if (!skipping && buffer.size() > kLongestLine) {
            pass(QByteArrayView(buffer).first(kLongestLine));
            skipping = true;
        }
        if (skipping) {
            buffer.clear();
        }
    }
    if (!skipping && !buffer.isEmpty()) {
        pass(buffer);
    }
    return true;
}

Entry EntryOf(const Fields& fields) {
    Entry e;
    e.time = QDateTime::fromString(QString::fromLatin1(fields[1]), Qt::ISODateWithMs);
    e.page = QUrl::fromPercentEncoding(fields[2].toByteArray());
    e.path = QUrl::fromPercentEncoding(fields[3].toByteArray());
    e.rows = fields[4].toInt();
    e.total = QUrl::fromPercentEncoding(fields[5].toByteArray());
    e.sha256 = fields[6].toByteArray();
    return e;
}

// The account of a recorded payment as the record writes it, so that a payment compares by
// its bytes: an account encoded otherwise (a hand-made line) is encoded again.
QByteArray CanonicalAccount(QByteArrayView encoded) {
    return encoded.contains('%')
               ? QUrl::toPercentEncoding(QUrl::fromPercentEncoding(encoded.toByteArray()))
               : encoded.toByteArray();
}

// Calls f(account, amount) for each payment of an entry's payments field.
template <class F>
void ForEachPayment(QByteArrayView field, F&& f) {
    qsizetype start = 0;
    while (start < field.size()) {
        qsizetype comma = field.indexOf(',', start);
        if (comma < 0) {
            comma = field.size();
        }
        const QByteArrayView p = field.sliced(start, comma - start);
        const qsizetype colon = p.indexOf(':');
        if (colon >= 0) {
            f(p.first(colon), p.sliced(colon + 1));
        }
        start = comma + 1;
    }
}

// The length of an account and its last (up to) seven bytes in one number.
quint64 SieveKey(QByteArrayView account) {
    quint64 key = static_cast<quint64>(std::min<qsizetype>(account.size(), 255));
    const qsizetype from = std::max<qsizetype>(0, account.size() - 7);
    for (qsizetype i = from; i < account.size(); ++i) {
        key = (key << 8) | static_cast<unsigned char>(account[i]);
    }
    return key;
}

// Why a read of the device failed, taken right after the failure: the system's reason in
// Chinese, else the device's own text.
QString ReasonOf(const QIODevice& device) {
    const QString reason = SystemError::Last().Text();
    return reason.isEmpty() ? device.errorString() : reason;
}

// Opens the record and reads it with read(file): nothing when there is no record yet, or the
// findings of an unreadable one. The record is read in large blocks of the reader's own, which
// Qt's buffer would only copy once more.
template <typename Result, typename Read>
Result WithRecord(const QString& recordPath, Read read) {
    ClearSystemError();  // an earlier call's reason is never given for this one
    QFile file(recordPath);
    if (!file.exists()) {
        return {};
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        Result result;
        result.unreadable = true;
        result.reason = ReasonOf(file);
        return result;
    }
    return read(file);
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
    LineCheck check;
    return body + '\t' + check.Of(body);
}

bool Append(const QString& recordPath, const Entry& entry) {
    QByteArray line = EntryLine(entry);
    // A line without its check would read back as damaged: it is not written as if recorded.
    if (LineCheck check; !check.Whole(line)) {
        return false;
    }
    line += '\n';
    QFile file(recordPath);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        return false;
    }
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
    // The folder is not synced: the record is appended to, never renamed over.
    return filesync::Sync(file);
}

namespace {

Record Read(QIODevice& device) {
    Record record;
    LineCheck check;
    Fields fields;
    const bool read = ForEachLine(device, [&](QByteArrayView line, qint64 number) {
        if (!EntryFields(line, check, fields)) {
            Note(record, line, number);
            return;
        }
        Entry e = EntryOf(fields);
        ForEachPayment(fields[7], [&](QByteArrayView account, QByteArrayView amount) {
            // An amount that reads as no number can match no payment.
            if (const auto money = Money::Parse(Decode(amount))) {
                e.payments.append({Decode(account), *money});
            }
        });
        record.entries.append(std::move(e));
    });
    if (!read) {
        record.unreadable = true;
        record.reason = ReasonOf(device);
    }
    return record;
}

}  // namespace

Record Parse(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return Read(buffer);
}

Record Load(const QString& recordPath) {
    return WithRecord<Record>(recordPath, [](QFile& file) { return Read(file); });
}

FileState StateOf(const Entry& entry) {
    const QFileInfo info(entry.path);
    if (!info.exists()) {
        return FileState::Missing;
    }
    // A path that names a device, a pipe or a folder is no upload file, and reading one could
    // block for ever.
    if (!info.isFile()) {
        return FileState::NotAFile;
    }
    if (info.size() > kLargestUpload) {
        return FileState::Changed;
    }
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

Check CheckPayments(QIODevice& record, const QList<Payment>& payments, const QDateTime& now,
                    int days) {
    Check result;
    // The payments about to be exported, by account as the record writes it: each recorded
    // payment costs one lookup, and only an entry naming one of these accounts is decoded.
    QHash<QByteArray, QList<qsizetype>> byAccount;
    // A first sieve on the length and last bytes of the account, so that the millions of
    // accounts that are not in the batch cost no copy and no hashing.
    std::vector<quint64> sieve;
    for (qsizetype i = 0; i < payments.size(); ++i) {
        const QByteArray account = QUrl::toPercentEncoding(payments[i].account);
        byAccount[account].append(i);
        sieve.push_back(SieveKey(account));
    }
    std::sort(sieve.begin(), sieve.end());
    const QDateTime since = now.addDays(-days);
    struct Latest {
        QDateTime time;
        QString path;
        bool found = false;
    };
    std::vector<Latest> latest(static_cast<size_t>(payments.size()));
    LineCheck check;
    Fields fields;
    const bool read = ForEachLine(record, [&](QByteArrayView line, qint64 number) {
        if (!EntryFields(line, check, fields)) {
            Note(result, line, number);
            return;
        }
        std::optional<QDateTime> time;  // read once the entry names an account of the batch
        ForEachPayment(fields[7], [&](QByteArrayView account, QByteArrayView amount) {
            if (!std::binary_search(sieve.begin(), sieve.end(), SieveKey(account)) &&
                !account.contains('%')) {
                return;
            }
            const auto it = byAccount.constFind(CanonicalAccount(account));
            if (it == byAccount.constEnd()) {
                return;
            }
            const std::optional<Money> money = Money::Parse(Decode(amount));
            if (!money) {
                return;
            }
            if (!time) {
                time = QDateTime::fromString(QString::fromLatin1(fields[1]), Qt::ISODateWithMs);
            }
            // An entry whose time does not read is matched: it cannot be shown to be older.
            if (time->isValid() && *time < since) {
                return;
            }
            for (const qsizetype i : *it) {
                // The same payment to the cent: "100", "100.0" and "100.00" are one.
                Latest& l = latest[static_cast<size_t>(i)];
                if (payments[i].amount.Cents() == money->Cents() &&
                    (!l.found || (time->isValid() && l.time < *time))) {
                    l = {*time, QUrl::fromPercentEncoding(fields[3].toByteArray()), true};
                }
            }
        });
    });
    if (!read) {
        result.unreadable = true;
        result.reason = ReasonOf(record);
    }
    for (qsizetype i = 0; i < payments.size(); ++i) {
        const Latest& l = latest[static_cast<size_t>(i)];
        if (l.found) {
            result.repeats.append(
                {static_cast<int>(i) + 1, payments[i].account, payments[i].amount, l.time, l.path});
        }
    }
    return result;
}

Check CheckPayments(const QString& recordPath, const QList<Payment>& payments, const QDateTime& now,
                    int days) {
    return WithRecord<Check>(recordPath,
                             [&](QFile& file) { return CheckPayments(file, payments, now, days); });
}

}  // namespace payments::exportrecord
