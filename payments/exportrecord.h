// The record of every upload file the program wrote: one entry per file, appended to a text file
// in the configuration folder, so that the same payments exported again on another day are
// caught before the file is written, and a cashier can see what left the program and whether
// the file is still as it was written.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

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
// be written. An entry is whole or, when cut short, skipped by Load.
bool Append(const QString& recordPath, const Entry& entry);
// The whole entries of the record, oldest first; lines that are not whole are skipped.
QList<Entry> Load(const QString& recordPath);
QList<Entry> Parse(const QByteArray& bytes);

enum class FileState { Unchanged, Changed, Missing };
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
QList<Repeat> Repeats(const QList<Entry>& entries, const QList<Payment>& payments,
                      const QDateTime& now, int days = 30);

}  // namespace payments::exportrecord
