// The pinyin initials of characters: for each Han character the first letters of all its
// Mandarin readings (行 is h or x, 长 c or z), so that a user can find a name by typing the
// initials of its characters. The table is data generated at build time (tools/initialsgen);
// this unit reads it and answers for code points, GB18030 bytes and texts.
//
// A character's initials are a letter mask: bit 0 for "a" up to bit 25 for "z". A Latin
// letter A-Z or a-z stands for itself; every other character without a reading has no
// initials and so matches no letter.
//
// The table's binary form, all integers unsigned and little-endian: the 4 bytes "PYIN", a
// 4-byte format version (1), a 4-byte entry count n, then n entries of 8 bytes, each a 4-byte
// code point and a 4-byte letter mask, in ascending code point order, masks not 0.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <utility>
#include <vector>

class Initials {
public:
    using Mask = std::uint32_t;
    using Entry = std::pair<char32_t, Mask>;

    static constexpr Mask kAllLetters = (Mask{1} << 26) - 1;

    // An empty table: only Latin letters have initials.
    Initials();
    // Reads the binary form; fails with an AppError when it is not a well-formed table.
    static Initials Parse(QByteArrayView data);
    // The binary form of entries in ascending code point order.
    static QByteArray Serialize(const std::vector<Entry>& entries);

    // The mask of one letter a-z or A-Z; 0 for any other character.
    static Mask LetterMask(char32_t c);

    Mask Of(char32_t codePoint) const;
    // The initials of the GB18030 character of `length` bytes (1, 2 or 4) at p.
    Mask OfGb(const char* p, int length) const;
    // The initials of the two-byte GB18030 character lead (0x81-0xFE), trail (0x40-0xFE).
    Mask OfGb2(unsigned char lead, unsigned char trail) const {
        return gb2_[static_cast<std::size_t>((lead - 0x81) * kTrails + (trail - 0x40))];
    }

    // The masks of a text's characters, one per character (a surrogate pair is one).
    std::vector<Mask> OfText(QStringView text) const;

    std::size_t EntryCount() const { return entryCount_; }

private:
    static constexpr int kLeads = 0xFE - 0x81 + 1;
    static constexpr int kTrails = 0xFE - 0x40 + 1;

    std::vector<Mask> bmp_;             // by code point below 0x10000
    std::vector<Entry> supplementary_;  // code points from 0x10000, ascending
    // By two-byte GB18030 code: a lead byte 0x81-0xFE and a trail byte 0x40-0xFE (0x7F is no
    // trail byte and keeps an empty entry).
    std::vector<Mask> gb2_;
    std::size_t entryCount_ = 0;
};

// Whether term is a search text of initials: not empty and only Latin letters.
bool IsInitialsTerm(QStringView term);

// Whether the masks of consecutive characters spell term (an initials term, letter case
// ignored) somewhere: character i + j has the letter term[j] among its initials.
bool ContainsInitials(const std::vector<Initials::Mask>& masks, QStringView term);
