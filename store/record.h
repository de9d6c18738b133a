// Roster records: the comma-text split that cuts a line into fields, and the join with "|".
#pragma once

#include <QString>
#include <QStringList>

namespace record {

enum class Pipes { Keep, Replace };

// Cuts a line into fields. With Pipes::Replace every "|" first becomes ",". Fields are
// separated by "," and by blanks (codes 1 to 32); blanks around fields are dropped; a field
// in double quotes may hold blanks and "," ("" inside stands for one "); a line that ends in a
// separator gives no empty last field; an empty line gives none. A NUL character ends the
// line, as it ends a C string.
QStringList Split(const QString& line, Pipes pipes);

// Joins fields with "|", nothing before or after.
QString Join(const QStringList& fields);

// A field as a roster line must hold it for Split to give it back whole: in double quotes (a
// double quote inside doubled) when it is empty or holds a blank, "," or a double quote; as it
// is otherwise. "|" and line breaks cannot be carried and are refused before writing.
QString Quote(const QString& field);
// Joins fields with "|", each one quoted where Split needs it.
QString JoinQuoted(const QStringList& fields);

// True when text equals one of the fields as a whole, letter case ignored.
bool HasField(const QStringList& fields, const QString& text);

}  // namespace record
