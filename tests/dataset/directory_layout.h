// The bank directory's packet metadata, written out byte by byte from its documented layout,
// for tests of the packet writer and of the generated directory.
#pragma once

#include <QByteArray>
#include <cstdint>

inline QByteArray DirectoryMetadata(std::uint32_t rows) {
    QByteArray rowCount(4, '\0');
    for (int i = 0; i < 4; ++i) {
        rowCount[i] = static_cast<char>((rows >> (8 * i)) & 0xFF);
    }
    const QByteArray header = QByteArray::fromHex(
        "9619e0bd"  // signature
        "01000000"  // format version
        "18000000"  // header size 24
        "0200");    // two columns
    const QByteArray rest = QByteArray::fromHex(
        "03000000"          // the uninterpreted word
        "5100"              // metadata size 81
        "08"                // column 1, 29 bytes: name length
        "42414e4b434f4445"  //   BANKCODE
        "0100"              //   1-byte length prefix
        "4900"              //   type 0x0049
        "0400"              //   required
        "0100"              //   one property:
        "05"                //   name length
        "5749445448"        //   WIDTH,
        "0200"              //   2 bytes,
        "0200"              //   unsigned,
        "1400"              //   20
        "05"                // column 2, 26 bytes: name length
        "4c4e414d45"        //   LNAME
        "0200"              //   2-byte length prefix
        "4900"              //   type 0x0049
        "0000"              //   no attributes
        "0100"              //   one property:
        "05"                //   name length
        "5749445448"        //   WIDTH,
        "0200"              //   2 bytes,
        "0200"              //   unsigned,
        "ff00"              //   255
        "0000");            // no table properties
    return header + rowCount + rest;
}
