// An index of the pinyin initials of a column's values, for finding the values whose
// characters' initials spell a typed run of letters ("jsyh" in 中国建设银行).
//
// Every character of every value is one position, and one more position with no letters
// follows each value, so that no run reaches from one value into the next. For each letter the
// index keeps a bitmap over the positions: bit p is set when character p has that letter among
// its initials. A run of letters t0 t1 ... starts at p when bit p of t0's bitmap, bit p + 1 of
// t1's and so on are all set, which is tested for 64 positions at once with a few word
// operations.
#pragma once

#include "platform/dataset/columndata.h"

#include <QStringView>
#include <array>
#include <cstdint>
#include <vector>

class Initials;

class InitialsIndex {
public:
    InitialsIndex(const ColumnData& column, const Initials& initials);

    // The rows (ascending) whose value has, at consecutive characters, the initials of term
    // (Latin letters, letter case ignored); none for a term that is not an initials term.
    std::vector<std::uint32_t> Select(QStringView term) const;

    // The bytes the index keeps.
    std::size_t Bytes() const;

private:
    std::vector<std::uint32_t> starts_;  // each row's first position, and the end position
    std::array<std::vector<std::uint64_t>, 26> bits_;  // empty for a letter that never occurs
    std::array<std::size_t, 26> counts_{};             // positions per letter
};
