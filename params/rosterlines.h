// The tests the parameter page applies to roster lines: which line holds a typed account, and
// which typed value a roster line cannot carry.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace params {

// Field counts a line must have to be looked at; 0 looks at every line.
inline constexpr qsizetype kAnyFieldCount = 0;

// The first line, among those with `fieldCount` fields (pipes replaced before the split), that
// has a field equal to `account` as a whole, letter case ignored.
std::optional<qsizetype> FindLine(const QStringList& lines, const QString& account,
                                  qsizetype fieldCount);

// The position of the first value that holds "|" or a line break: the split would cut it and
// no quoting can carry it.
std::optional<qsizetype> FirstUnwritable(const QStringList& values);

}  // namespace params
