#include "platform/dataset/initialsindex.h"

#include "platform/text/ansi.h"
#include "platform/text/initials.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace {
using uchar = unsigned char;
}  // namespace

InitialsIndex::InitialsIndex(const ColumnData& column, const Initials& initials) {
    const std::size_t rows = column.RowCount();
    starts_.reserve(rows + 1);
    std::size_t position = 0;
    // Sets the letters of mask at the current position; a letter's bitmap is made at its first
    // occurrence and grows as needed.
    const auto set = [&](Initials::Mask mask) {
        const std::size_t word = position >> 6;
        const std::uint64_t bit = std::uint64_t{1} << (position & 63);
        for (; mask != 0; mask &= mask - 1) {
            std::vector<std::uint64_t>& bits =
                bits_[static_cast<std::size_t>(std::countr_zero(mask))];
            if (word >= bits.size()) {
                bits.resize(std::max(word + 1, 2 * bits.size()));
            }
            bits[word] |= bit;
        }
    };
    for (std::size_t r = 0; r < rows; ++r) {
        starts_.push_back(static_cast<std::uint32_t>(position));
        const QByteArrayView value = column.Value(r);
        const char* p = value.data();
        const char* end = p + value.size();
        while (p < end) {
            const auto lead = static_cast<uchar>(p[0]);
            const auto trail = static_cast<uchar>(end - p >= 2 ? p[1] : 0);
            if (lead >= 0x81 && lead <= 0xFE &&
                ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE))) {
                set(initials.OfGb2(lead, trail));
                p += 2;
            } else if (lead < 0x80) {
                set(Initials::LetterMask(lead));
                ++p;
            } else {
                const int length = ansi::CharLength(p, end);
                set(initials.OfGb(p, length));
                p += length;
            }
            ++position;
        }
        ++position;  // the position between this value and the next
    }
    starts_.push_back(static_cast<std::uint32_t>(position));
    const std::size_t words = (position + 63) / 64;
    for (std::size_t l = 0; l < bits_.size(); ++l) {
        if (!bits_[l].empty()) {
            bits_[l].resize(words);
            bits_[l].shrink_to_fit();
        }
        counts_[l] =
            std::transform_reduce(bits_[l].begin(), bits_[l].end(), std::size_t{0}, std::plus<>(),
                                  [](std::uint64_t w) { return std::popcount(w); });
    }
}

std::uint64_t InitialsIndex::Bits(int letter, std::size_t position) const {
    const std::vector<std::uint64_t>& bits = bits_[static_cast<std::size_t>(letter)];
    const std::size_t word = position >> 6;
    const unsigned shift = position & 63;
    std::uint64_t value = word < bits.size() ? bits[word] >> shift : 0;
    if (shift != 0 && word + 1 < bits.size()) {
        value |= bits[word + 1] << (64 - shift);
    }
    return value;
}

std::vector<std::uint32_t> InitialsIndex::Select(QStringView term) const {
    if (!IsInitialsTerm(term)) {
        return {};
    }
    // The letters with their offsets in the term, the rarest first: the words of most
    // positions are then settled by the first one or two bitmaps.
    struct Part {
        int letter;
        std::size_t offset;
    };
    std::vector<Part> parts;
    for (qsizetype j = 0; j < term.size(); ++j) {
        const int letter = std::countr_zero(Initials::LetterMask(term[j].unicode()));
        if (counts_[static_cast<std::size_t>(letter)] == 0) {
            return {};
        }
        parts.push_back({letter, static_cast<std::size_t>(j)});
    }
    std::stable_sort(parts.begin(), parts.end(), [&](const Part& a, const Part& b) {
        return counts_[static_cast<std::size_t>(a.letter)] <
               counts_[static_cast<std::size_t>(b.letter)];
    });

    std::vector<std::uint32_t> rows;
    // Reserved, not filled: only the pages the matches need are ever touched.
    rows.reserve(starts_.size() - 1);
    const std::size_t words = bits_[static_cast<std::size_t>(parts.front().letter)].size();
    std::size_t row = 0;
    std::size_t from = 0;  // hits before this position are in rows already found
    for (std::size_t w = 0; w < words; w = std::max(w + 1, from / 64)) {
        std::uint64_t hits = ~std::uint64_t{0};
        for (const Part& part : parts) {
            hits &= Bits(part.letter, w * 64 + part.offset);
            if (hits == 0) {
                break;
            }
        }
        if (from > w * 64) {
            hits &= ~std::uint64_t{0} << (from - w * 64);
        }
        while (hits != 0) {
            const std::size_t p = w * 64 + static_cast<std::size_t>(std::countr_zero(hits));
            if (starts_[row + 1] <= p) {
                // The next row, or a search further on when the rows in between had no hit.
                ++row;
                if (starts_[row + 1] <= p) {
                    row = static_cast<std::size_t>(
                        std::upper_bound(starts_.begin() + static_cast<std::ptrdiff_t>(row),
                                         starts_.end(), p) -
                        starts_.begin() - 1);
                }
            }
            rows.push_back(static_cast<std::uint32_t>(row));
            // The row is found: the rest of it needs no look.
            from = starts_[row + 1];
            hits = from < (w + 1) * 64 ? hits & (~std::uint64_t{0} << (from - w * 64)) : 0;
        }
    }
    if (rows.size() < rows.capacity() / 2) {
        rows.shrink_to_fit();
    }
    return rows;
}

std::size_t InitialsIndex::Bytes() const {
    std::size_t bytes = starts_.capacity() * sizeof(std::uint32_t);
    for (const auto& bits : bits_) {
        bytes += bits.capacity() * sizeof(std::uint64_t);
    }
    return bytes;
}
