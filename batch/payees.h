// Learning payees into the roster held in memory: a payee is added when no roster line holds
// its account as one of its fields (letter case ignored), so a later payee sees the ones added
// before it and no account is ever written twice.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace payees {

struct Payee {
    QString name, account, bank, bankCode;
};

// The path that learns: an add (or an import) or the export. Both look at every line, whatever
// its field count: a line with an empty unquoted bank number splits into three fields, a name
// with a blank into five, a damaged line into two, and each still names a known payee.
enum class LineTest {
    MoreThanTwoFields,  // a single add or an import
    ExactlyFourFields,  // the export
};

// The roster line of a payee, each field quoted where the split needs it.
QString Line(const Payee& payee);

// Appends the line of every payee whose account is not yet known; returns how many were added.
// One pass over the roster however many payees there are.
int Learn(QStringList& roster, const QList<Payee>& list, LineTest test);

// Learns payees into the roster file with one load and, when any is new, one save: the file
// that Learn on its lines and a save give. Fails as loading and saving a list file fail.
void LearnIntoFile(const QString& path, const QList<Payee>& list, LineTest test);

}  // namespace payees
