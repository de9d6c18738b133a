// The record of every upload file the program wrote: one entry per file, appended to a text file
// in the configuration folder, so that the same payments exported again on another day are
// caught before the file is written, and a cashier can see what left the program and whether
// the file is still as it was written.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

class QIODevice;

#include "payments/money.h"

namespace payments::exportrecord {

// One payment of an upload file: the payee account and the amount, exact.
struct Payment {
    QString account;
    Money amount;
};

struct Entry {
    QDateTime time;
    QString page;  // "批量支付" or "工资代发"
    QString path;
    int rows = 0;
    QString total;      // the payments' sum, two decimals
    QByteArray sha256;  // of the file's bytes as read back, hex
    QList<Payment> payments;
};

// The entry of a file just written: its payments as the export gave them, their count and
// exact sum, the SHA-256 of its bytes.
Entry MakeEntry(const QDateTime& time, const QString& page, const QString& path,
                const QByteArray& bytes, const QList<Payment>& payments);

// The entry line as stored: tab-separated fields ending in a check of the line itself, so that
// a line cut short by a crash is told from a whole one.
QByteArray EntryLine(const Entry& entry);
// Appends the entry in one write, synced before it counts; false (errno set) when it could not
// be written. An entry is whole or, when cut short, named as damaged by Load.
bool Append(const QString& recordPath, const Entry& entry);

// A line of the record that is not a whole entry: changed since it was written, or cut short by
// a crash. The exports it stood for cannot be checked, so it is never passed over in silence.
struct Damage {
    qint64 line = 0;  // 1-based
    QString path;     // the upload file the line names, when that much of it still reads
};

// What reading the record found besides its whole entries: the damaged lines (the first
// kDamageListed of them, with their count), and whether the file could not be read at all.
inline constexpr int kDamageListed = 100;
struct Findings {
    QList<Damage> damaged;
    qint64 damagedLines = 0;
    bool unreadable = false;  // the record exists but could not be read
    QString reason;           // why, when unreadable
};

struct Record : Findings {
    QList<Entry> entries;  // oldest first
};
// The record, read in blocks of a few megabytes and never held whole.
Record Load(const QString& recordPath);
Record Parse(const QByteArray& bytes);

enum class FileState { Unchanged, Changed, Missing, NotAFile };
// The file an entry names as it is now. Only a regular file of at most kLargestUpload bytes is
// hashed (a path naming a device or a huge file is not read); a larger one is Changed.
inline constexpr qint64 kLargestUpload = 256LL * 1024 * 1024;
FileState StateOf(const Entry& entry);

// A payment about to be exported that equals one exported within `days` before now: its row
// (1-based, as the user counts) and the earlier export's time and file.
struct Repeat {
    int row = 0;
    QString account;
    Money amount;
    QDateTime time;
    QString path;
};
struct Check : Findings {
    QList<Repeat> repeats;  // in the order of `payments`
};
// The payments about to be exported, matched against every whole entry of the record dated
// `days` before now or later (a clock set ahead still matches), the latest export of each
// named. The record is streamed and only entries naming an account of `payments` are decoded,
// so that a record of a million lines is checked in well under a second.
Check CheckPayments(const QString& recordPath, const QList<Payment>& payments, const QDateTime& now,
                    int days = 30);
Check CheckPayments(QIODevice& record, const QList<Payment>& payments, const QDateTime& now,
                    int days = 30);

}  // namespace payments::exportrecord
