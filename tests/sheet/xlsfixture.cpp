#include "tests/sheet/xlsfixture.h"

#include <QHash>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>

namespace fixture::biff {

namespace {

QByteArray Characters(const Segment& segment) {
    if (!segment.wide) {
        return segment.text.toLatin1();
    }
    QByteArray bytes;
    for (const QChar c : segment.text) {
        bytes += U16(c.unicode());
    }
    return bytes;
}

QByteArray Cell(int row, int column, int xf = 0) {
    return U16(row - 1) + U16(column - 1) + U16(xf);
}

// A text as BIFF8 writes it after its character count: an option byte, then its characters one
// byte each when they all fit in one, else two.
QByteArray UnicodeChars(const QString& text) {
    const bool wide =
        std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; });
    return QByteArray(1, wide ? '\x01' : '\x00') + Characters({text, wide});
}

// The RK value of a number when one holds it exactly: an integer, a number of cents, or a
// double whose low 34 bits are zero.
std::optional<quint32> AsRk(double value) {
    constexpr double kLimit = 1 << 29;
    const double cents = value * 100;
    if (value == std::floor(value) && std::fabs(value) < kLimit) {
        return RkInteger(static_cast<qint32>(value));
    }
    if (cents == std::floor(cents) && std::fabs(cents) < kLimit &&
        static_cast<double>(static_cast<qint32>(cents)) / 100 == value) {
        return RkInteger(static_cast<qint32>(cents), true);
    }
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    if ((bits & 0x3FFFFFFFFull) == 0) {
        return RkDouble(value);
    }
    return std::nullopt;
}

QByteArray Double(double value) {
    QByteArray bytes(8, '\0');
    qToLittleEndian<double>(value, bytes.data());
    return bytes;
}

// The compound file around one stream named "Workbook": header, one allocation sector, one
// directory sector, then the stream, padded to at least 4096 bytes so that it lives in the
// container's own sectors rather than in its small-stream area.
QByteArray Container(QByteArray stream) {
    constexpr quint32 kEnd = 0xFFFFFFFE;
    constexpr quint32 kFree = 0xFFFFFFFF;
    stream.append(QByteArray(std::max<qsizetype>(0, 4096 - stream.size()), '\0'));
    stream.append(QByteArray((512 - stream.size() % 512) % 512, '\0'));
    const auto sectors = static_cast<quint32>(stream.size() / 512);
    if (sectors + 2 > 128) {
        throw std::length_error("the workbook stream does not fit one allocation sector");
    }
    QByteArray header(512, '\0');
    header.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    const auto put16 = [&](int at, int value) { header.replace(at, 2, U16(value)); };
    const auto put32 = [&](int at, quint32 value) { header.replace(at, 4, U32(value)); };
    put16(0x18, 0x3E);
    put16(0x1A, 3);
    put16(0x1C, 0xFFFE);
    put16(0x1E, 9);  // 512-byte sectors
    put16(0x20, 6);  // 64-byte small sectors
    put32(0x2C, 1);  // one allocation sector
    put32(0x30, 1);  // the directory in sector 1
    put32(0x38, 4096);
    put32(0x3C, kEnd);
    put32(0x44, kEnd);
    for (int i = 0; i < 109; ++i) {
        put32(0x4C + 4 * i, i == 0 ? 0 : kFree);
    }
    QByteArray fat = U32(0xFFFFFFFD) + U32(kEnd);
    for (quint32 i = 0; i < sectors; ++i) {
        fat += U32(i + 1 < sectors ? i + 3 : kEnd);
    }
    while (fat.size() < 512) {
        fat += U32(kFree);
    }
    const auto entry = [](const QString& name, int type, quint32 child, quint32 start,
                          quint32 size) {
        QByteArray e(128, '\0');
        for (qsizetype i = 0; i < name.size(); ++i) {
            e.replace(2 * i, 2, U16(name[i].unicode()));
        }
        e.replace(0x40, 2, U16(static_cast<int>(name.size() + 1) * 2));
        e[0x42] = static_cast<char>(type);
        e.replace(0x44, 4, U32(kFree));
        e.replace(0x48, 4, U32(kFree));
        e.replace(0x4C, 4, U32(child));
        e.replace(0x74, 4, U32(start));
        e.replace(0x78, 4, U32(size));
        return e;
    };
    QByteArray directory =
        entry(QStringLiteral("Root Entry"), 5, 1, kEnd, 0) +
        entry(QStringLiteral("Workbook"), 2, kFree, 2, static_cast<quint32>(stream.size()));
    directory.append(QByteArray(512 - directory.size(), '\0'));
    return header + fat + directory + stream;
}

}  // namespace

QByteArray U16(int value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian<quint16>(static_cast<quint16>(value), bytes.data());
    return bytes;
}

QByteArray U32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, bytes.data());
    return bytes;
}

QByteArray Record(int type, const QByteArray& body) {
    return U16(type) + U16(static_cast<int>(body.size())) + body;
}

QByteArray StringTable(const std::vector<SharedString>& strings) {
    const auto count = static_cast<quint32>(strings.size());
    std::vector<QByteArray> bodies{U32(count) + U32(count)};
    for (const SharedString& s : strings) {
        qsizetype length = 0;
        for (const Segment& segment : s.segments) {
            length += segment.text.size();
        }
        const bool firstWide = !s.segments.empty() && s.segments.front().wide;
        const char options = static_cast<char>((firstWide ? 0x01 : 0) | (s.runs > 0 ? 0x08 : 0));
        bodies.back() += U16(static_cast<int>(length)) + QByteArray(1, options);
        if (s.runs > 0) {
            bodies.back() += U16(s.runs);
        }
        for (std::size_t k = 0; k < s.segments.size(); ++k) {
            if (k > 0) {
                bodies.push_back(QByteArray(1, s.segments[k].wide ? '\x01' : '\x00'));
            }
            bodies.back() += Characters(s.segments[k]);
        }
        for (int r = 0; r < s.runs; ++r) {
            bodies.back() += U16(r) + U16(0);  // from character r on, font 0
        }
    }
    QByteArray records = Record(0x00FC, bodies.front());
    for (std::size_t i = 1; i < bodies.size(); ++i) {
        records += Record(0x003C, bodies[i]);
    }
    return records;
}

QByteArray LabelSst(int row, int column, quint32 index) {
    return Record(0x00FD, Cell(row, column) + U32(index));
}

QByteArray Label(int row, int column, const QString& text) {
    return Record(0x0204, Cell(row, column) + U16(static_cast<int>(text.size())) +
                              QByteArray(1, '\x01') + Characters({text, true}));
}

quint32 RkInteger(qint32 value, bool cents) {
    return (static_cast<quint32>(value) << 2) | 0x02 | (cents ? 0x01 : 0);
}

quint32 RkDouble(double value) {
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return static_cast<quint32>(bits >> 32) & 0xFFFFFFFCu;
}

QByteArray MulRk(int row, int first, const std::vector<quint32>& values) {
    QByteArray body = U16(row - 1) + U16(first - 1);
    for (const quint32 rk : values) {
        body += U16(0) + U32(rk);
    }
    body += U16(first - 1 + static_cast<int>(values.size()) - 1);
    return Record(0x00BD, body);
}

QByteArray FormattedXls(const std::vector<FormattedCell>& cells,
                        const std::vector<ColumnWidth>& columns) {
    // FORMAT records for the workbook's own formats (ids from 164 on, as a spreadsheet program
    // numbers them), one XF record for each format used; XF 0 is the workbook's general one.
    QByteArray formats;
    QByteArray xfs;
    QHash<QString, int> ids;
    std::map<int, int> xfOfFormat{{0, 0}};
    const auto xfFor = [&](const NumberFormat& format) {
        int id = format.index;
        if (id < 0) {
            const QString code = QString::fromUtf8(format.code);
            id = ids.value(code, -1);
            if (id < 0) {
                id = 164 + static_cast<int>(ids.size());
                ids.insert(code, id);
                formats += Record(
                    0x041E, U16(id) + U16(static_cast<int>(code.size())) + UnicodeChars(code));
            }
        }
        const auto [it, added] = xfOfFormat.try_emplace(id, static_cast<int>(xfOfFormat.size()));
        if (added) {
            xfs += Record(0x00E0, U16(0) + U16(id) + QByteArray(16, '\0'));
        }
        return it->second;
    };

    std::vector<FormattedCell> sorted = cells;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    QByteArray records;
    for (const ColumnWidth& column : columns) {
        records += Record(0x007D, U16(column.first - 1) + U16(column.last - 1) +
                                      U16(static_cast<int>(std::lround(column.width * 256))) +
                                      U16(0) + U16(column.hidden ? 1 : 0) + U16(0));
    }
    int rows = 1;
    int lastColumn = 1;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const FormattedCell& cell = sorted[i];
        rows = std::max(rows, cell.row);
        lastColumn = std::max(lastColumn, cell.column);
        const int xf = xfFor(cell.format);
        switch (cell.kind) {
            case CellKind::Number: {
                const std::optional<quint32> rk = AsRk(cell.number);
                if (!rk) {
                    records +=
                        Record(0x0203, Cell(cell.row, cell.column, xf) + Double(cell.number));
                    break;
                }
                // The numbers side by side from here that RK values hold go in one record.
                QByteArray items = U16(xf) + U32(*rk);
                std::size_t last = i;
                while (last + 1 < sorted.size()) {
                    const FormattedCell& next = sorted[last + 1];
                    const std::optional<quint32> nextRk = AsRk(next.number);
                    if (next.kind != CellKind::Number || next.row != cell.row ||
                        next.column != sorted[last].column + 1 || !nextRk) {
                        break;
                    }
                    items += U16(xfFor(next.format)) + U32(*nextRk);
                    ++last;
                }
                if (last == i) {
                    records += Record(0x027E, Cell(cell.row, cell.column, xf) + U32(*rk));
                } else {
                    records += Record(0x00BD, U16(cell.row - 1) + U16(cell.column - 1) + items +
                                                  U16(sorted[last].column - 1));
                    lastColumn = std::max(lastColumn, sorted[last].column);
                    i = last;
                }
                break;
            }
            case CellKind::Text: {
                const QString text = QString::fromUtf8(cell.text);
                records +=
                    Record(0x0204, Cell(cell.row, cell.column, xf) +
                                       U16(static_cast<int>(text.size())) + UnicodeChars(text));
                break;
            }
            case CellKind::Boolean:
            case CellKind::Error:
                records += Record(
                    0x0205, Cell(cell.row, cell.column, xf) + (cell.kind == CellKind::Boolean
                                                                   ? QByteArray("\x01\x00", 2)
                                                                   : QByteArray("\x2A\x01", 2)));
                break;
            case CellKind::NumberFormula:
                // The result, options, a cache field, then the formula: the number itself.
                records += Record(0x0006, Cell(cell.row, cell.column, xf) + Double(cell.number) +
                                              U16(0) + U32(0) + U16(9) + QByteArray(1, '\x1F') +
                                              Double(cell.number));
                break;
            case CellKind::TextFormula: {
                // A text result is marked in the result field and follows in a STRING record.
                const QString text = QString::fromUtf8(cell.text);
                const QByteArray chars = UnicodeChars(text);
                const QByteArray formula =
                    QByteArray(1, '\x17') + QByteArray(1, static_cast<char>(text.size())) + chars;
                records +=
                    Record(0x0006, Cell(cell.row, cell.column, xf) +
                                       QByteArray("\0\0\0\0\0\0\xFF\xFF", 8) + U16(0) + U32(0) +
                                       U16(static_cast<int>(formula.size())) + formula);
                records += Record(0x0207, U16(static_cast<int>(text.size())) + chars);
                break;
            }
        }
    }
    return XlsWorkbook(formats + xfs, records, rows, lastColumn + 1);
}

QByteArray XlsWorkbook(const QByteArray& globals, const QByteArray& cells, int rows, int columns,
                       const QString& sheetName) {
    const QByteArray bof = U16(0x0600) + U16(0x0005) + QByteArray(12, '\0');
    const QString& name = sheetName;
    const auto book = [&](quint32 sheetAt) {
        return Record(0x0809, bof) + Record(0x0042, U16(1200)) +
               Record(0x00E0, QByteArray(20, '\0')) + globals +
               Record(0x0085, U32(sheetAt) + U16(0) +
                                  QByteArray(1, static_cast<char>(name.size())) +
                                  QByteArray(1, '\x01') + Characters({name, true})) +
               Record(0x000A, {});
    };
    const auto sheetAt = static_cast<quint32>(book(0).size());
    QByteArray stream = book(sheetAt);
    stream += Record(0x0809, U16(0x0600) + U16(0x0010) + QByteArray(12, '\0'));
    stream +=
        Record(0x0200, U32(0) + U32(static_cast<quint32>(rows)) + U16(0) + U16(columns) + U16(0));
    stream += cells + Record(0x000A, {});
    return Container(stream);
}

}  // namespace fixture::biff
