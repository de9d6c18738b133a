#include "batch/payees.h"

#include <QSet>

#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "store/listfile.h"
#include "store/record.h"

namespace payees {

namespace {

// Field equality as the roster compares accounts: whole text, letter case ignored.
QString Key(const QString& field) {
    return field.toCaseFolded();
}

// Whether the roster bytes hold a line that knows the account, for an account of ASCII text:
// only the lines whose bytes contain it (ASCII letter case ignored) are decoded and split. A
// trail byte of a Chinese character may look like a letter; that only costs a split.
bool KnownInBytes(const QByteArray& bytes, const QString& account) {
    QByteArray needle = account.toLatin1();
    const bool letters = needle.toLower() != needle.toUpper();
    // Digits need no folding, and accounts are mostly digits.
    const QByteArray haystack = letters ? bytes.toLower() : bytes;
    needle = needle.toLower();
    for (qsizetype at = haystack.indexOf(needle); at >= 0; at = haystack.indexOf(needle, at + 1)) {
        const qsizetype lineStart = bytes.lastIndexOf('\n', at) + 1;
        qsizetype lineEnd = bytes.indexOf('\r', at);
        if (lineEnd < 0) {
            lineEnd = bytes.size();
        }
        const QString line =
            ansi::Decode(QByteArrayView(bytes).sliced(lineStart, lineEnd - lineStart));
        const QStringList fields = record::Split(line, record::Pipes::Replace);
        if (record::HasField(fields, account)) {
            return true;
        }
        at = lineEnd;
    }
    return false;
}

bool IsAscii(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

void LearnIntoFile(const QString& path, const QList<Payee>& list, LineTest test) {
    const QByteArray bytes = listfile::ReadAll(path);
    // The common case, one payee added to a roster in its saved form: the old bytes stay as
    // they are and the new line is appended, which is what the full rewrite would write.
    if (list.size() == 1 && !list.front().account.isEmpty() && IsAscii(list.front().account) &&
        listfile::IsSavedForm(bytes)) {
        if (KnownInBytes(bytes, list.front().account)) {
            return;
        }
        if (!listfile::WriteWhole(path, bytes + listfile::JoinLines({Line(list.front())}))) {
            throw MakeError(msg::kCannotCreateFile, path);
        }
        return;
    }
    QStringList lines = listfile::SplitLines(ansi::Decode(bytes));
    if (Learn(lines, list, test) > 0) {
        listfile::Save(path, lines);
    }
}

QString Line(const Payee& payee) {
    return record::JoinQuoted({payee.name, payee.account, payee.bank, payee.bankCode});
}

int Learn(QStringList& roster, const QList<Payee>& list, LineTest /*test*/) {
    if (list.isEmpty()) {
        return 0;
    }
    QSet<QString> known;
    if (list.size() == 1) {
        // One payee: only lines that hold the account somewhere need to be split.
        const QString& account = list.front().account;
        for (const QString& line : roster) {
            if (!line.contains(account, Qt::CaseInsensitive)) {
                continue;
            }
            if (record::HasField(record::Split(line, record::Pipes::Replace), account)) {
                return 0;
            }
        }
    } else {
        for (const QString& line : roster) {
            for (const QString& f : record::Split(line, record::Pipes::Replace)) {
                known.insert(Key(f));
            }
        }
    }
    int added = 0;
    for (const Payee& p : list) {
        if (known.contains(Key(p.account))) {
            continue;
        }
        const QString line = Line(p);
        roster.append(line);
        ++added;
        for (const QString& f : record::Split(line, record::Pipes::Replace)) {
            known.insert(Key(f));
        }
    }
    return added;
}

}  // namespace payees
