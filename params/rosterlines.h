// The roster lines the parameter page works on: which lines each roster's buttons and lists
// take, which line holds a typed account, and which typed value a roster line cannot carry.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace params {

enum class Roster {
    Company,  // lines of exactly three fields: name, account, bank
    Payees,   // every line with an account field: name, account, bank, bank number
};

// One line the page takes: its position in the file and its fields (pipes replaced before the
// split).
struct Line {
    qsizetype index = 0;
    QStringList fields;
    const QString& Account() const { return fields[1]; }
};

// The lines of a roster file that its lists show and its buttons act on, in file order.
QList<Line> Lines(const QStringList& lines, Roster roster);

// The first of those lines whose account field equals `account` exactly. Only the account
// field counts: a name or a bank number equal to the typed text is another payee's line.
std::optional<Line> FindLine(const QStringList& lines, const QString& account, Roster roster);
std::optional<Line> FindLine(const QList<Line>& lines, const QString& account);

// True when the text holds nothing but blanks: no account to add or delete.
bool IsBlank(const QString& text);

// The position of the first value that holds "|" or a line break: the split would cut it and
// no quoting can carry it.
std::optional<qsizetype> FirstUnwritable(const QStringList& values);

}  // namespace params
