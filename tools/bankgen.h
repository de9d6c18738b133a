// The bank directory generator: builds the directory packet (131,021 branches, each a 12-digit
// clearing number and a full branch name in GB18030) the program embeds, deterministically and
// with the directory's exact size, and checks a packet file before it is embedded.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstddef>

namespace bankgen {

inline constexpr std::size_t kRows = 131021;
inline constexpr qsizetype kPacketSize = 6624509;
inline constexpr char kFirstCode[] = "105851002223";

// The directory packet, the same bytes on every run.
QByteArray GenerateDirectory();

// Reads a packet the way the program will and checks that it holds the directory's columns
// (BANKCODE, LNAME). Returns an empty text when it is fit to embed, else what is wrong.
QString CheckDirectory(QByteArrayView packet);

}  // namespace bankgen
