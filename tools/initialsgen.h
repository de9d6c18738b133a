// The pinyin initials generator: reads the Mandarin readings of the Unihan database (the
// fields kMandarin, kHanyuPinyin and kXHC1983 of Unihan_Readings.txt) and builds the table of
// initials the program embeds, every reading of a character counting.
#pragma once

#include "platform/text/initials.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

namespace initialsgen {

// The entries, in ascending code point order, for the Unihan_Readings.txt text: each
// character with a reading in one of the three fields gets the first letters of all of them;
// a compatibility ideograph without readings of its own gets those of the character it stands
// for. A reading that does not start with a letter a-z fails with an AppError naming the line.
std::vector<Initials::Entry> FromReadings(QByteArrayView readings);

// The whole content of a bzip2 file (the form Debian installs the Unihan files in).
QByteArray ReadBzip2(const QString& path);

}  // namespace initialsgen
