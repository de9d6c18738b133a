#include "platform/dataset/initialsindex.h"

#include "platform/text/ansi.h"
#include "platform/text/initials.h"

#include <algorithm>
#include <bit>

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
            const auto letter = static_cast<std::size_t>(std::countr_zero(mask));
            std::vector<std::uint64_t>& bits = bits_[letter];
            if (word >= bits.size()) {
                bits.resize(std::max(word + 1, 2 * bits.size()));
            }
            bits[word] |= bit;
            ++counts_[letter];
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
    }
}

std::vector<std::uint32_t> InitialsIndex::Select(QStringView term) const {
    if (!IsInitialsTerm(term)) {
        return {};
    }
    // Each letter's bitmap with its offset in the term, the rarest letter first: the words of
    // most positions are then settled by the first one or two bitmaps.
    struct Part {
        const std::uint64_t* bits;
        std::size_t size;
        std::size_t offset;
        std::size_t count;
    };
    std::vector<Part> parts;
    for (qsizetype j = 0; j < term.size(); ++j) {
        const auto letter =
            static_cast<std::size_t>(std::countr_zero(Initials::LetterMask(term[j].unicode())));
        if (counts_[letter] == 0) {
            return {};
        }
        parts.push_back({bits_[letter].data(), bits_[letter].size(), static_cast<std::size_t>(j),
                         counts_[letter]});
    }
    std::stable_sort(parts.begin(), parts.end(),
                     [](const Part& a, const Part& b) { return a.count < b.count; });
    // The 64 bits of a bitmap from a position on.
    const auto bitsFrom = [](const Part& part, std::size_t position) {
        const std::size_t word = position >> 6;
        const unsigned shift = position & 63;
        std::uint64_t value = word < part.size ? part.bits[word] >> shift : 0;
        if (shift != 0 && word + 1 < part.size) {
            value |= part.bits[word + 1] << (64 - shift);
        }
        return value;
    };

    std::vector<std::uint32_t> rows;
    const std::size_t rowCount = starts_.size() - 1;
    // Room for as many rows as the rarest letter has positions, at most all rows: only the
    // pages the matches need are ever touched.
    rows.reserve(std::min(rowCount, parts.front().count));
    const std::size_t words = parts.front().size;
    std::size_t row = 0;
    std::size_t from = 0;  // hits before this position are in rows already found
    for (std::size_t w = 0; w < words; w = std::max(w + 1, from / 64)) {
        std::uint64_t hits = ~std::uint64_t{0};
        for (const Part& part : parts) {
            hits &= bitsFrom(part, w * 64 + part.offset);
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
                // The row holding p: a search that gallops from the last row found, since the
                // next hit is mostly a few rows on.
                std::size_t low = row + 1;
                std::size_t step = 1;
                while (low + step < rowCount && starts_[low + step] <= p) {
                    low += step;
                    step *= 2;
                }
                const std::size_t high = std::min(low + step, rowCount);
                row = static_cast<std::size_t>(
                    std::upper_bound(starts_.begin() + static_cast<std::ptrdiff_t>(low),
                                     starts_.begin() + static_cast<std::ptrdiff_t>(high), p) -
                    starts_.begin() - 1);
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
