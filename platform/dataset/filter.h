// The filter expressions a table evaluates: "FIELD LIKE 'pattern'", "FIELD = 'text'" and the
// empty text, parsed from the text itself with the quoting rule ('' stands for one ').
//
// Syntax: a field name (letters, digits and "_", matched without regard to letter case), the
// keyword LIKE (any letter case) or "=", then one quoted string, with any white space between
// and around them. A text of white space only is no condition. Anything else (a missing quote,
// another operator, text after the string) is not an expression.
//
// Semantics, on the GB18030 bytes the table stores:
// - LIKE matches the whole value against the pattern: "%" stands for any run of characters
//   (also none), "_" for exactly one character (one GB18030 character of 1, 2 or 4 bytes, not
//   one byte); every other character stands for itself, Latin letters A-Z and a-z without
//   regard to case. A part of the pattern only matches whole characters of the value: a
//   match never starts or ends inside a character, so the trail byte of one character and the
//   lead byte of the next never form a match. "%t%" thus passes the values that contain t.
// - "=" passes the values whose bytes equal the encoded text exactly (letter case counts, and
//   "%" and "_" are plain characters).
// - A field without a value (null) passes neither test.
//
// Optionally, pinyin initials: a LIKE whose pattern is "%t%" with t made only of Latin letters
// also passes the values whose characters' initials spell t (see InitialsIndex), so "jsyh"
// finds 中国建设银行 as well as every value that contains "jsyh" itself.
#pragma once

#include "platform/dataset/columndata.h"

#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <vector>

// The rows of a column (by index) whose value's initials contain a term of Latin letters.
using InitialsSearch =
    std::function<std::vector<std::uint32_t>(std::size_t column, QStringView term)>;

// The rows (ascending indexes) that satisfy the filter text; the empty text lets every row
// pass. fieldNames name the columns (matched without regard to letter case). A text that is
// not a valid expression fails with an AppError, a field name that names no column with
// "Field '%s' not found". With an initials search, a LIKE "%t%" with an initials term t also
// passes the rows that search finds.
std::vector<std::uint32_t> SelectRows(QStringView text, const QStringList& fieldNames,
                                      const std::vector<ColumnData>& columns,
                                      const InitialsSearch& initials = {});
