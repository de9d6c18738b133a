// Excel 97-2003 workbooks (.xls, BIFF8; BIFF5 is read too). The compound container and the
// workbook stream are walked record by record, every length checked against its record: an
// encrypted file is refused as such, a damaged one as damaged. The walk reads every cell as
// the spreadsheet shows it: numbers in general form or, under a date format, as dates; the
// cached results of formulas; booleans and error values; and texts whole, also the long ones
// that the shared string table carries on over several records. It keeps the decimals each
// number cell's format shows and the columns the COLINFO records hide.
#include "platform/sheet/book.h"
#include "platform/sheet/celltext.h"
#include "platform/sheet/cfbf.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <bitset>
#include <cstring>
#include <vector>

namespace sheet {

namespace {

using cfbf::Damaged;
using cfbf::U16;
using cfbf::U32;

constexpr quint16 kBof = 0x0809;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kFilePass = 0x002F;
constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kRow = 0x0208;
constexpr quint16 kCodePage = 0x0042;
constexpr quint16 kDimension = 0x0200;
constexpr quint16 kFormula = 0x0006;
constexpr quint16 kString = 0x0207;
constexpr quint16 kBoolErr = 0x0205;
constexpr quint16 kNumber = 0x0203;
constexpr quint16 kRk = 0x027E;
constexpr quint16 kLabel = 0x0204;
constexpr quint16 kLabelSst = 0x00FD;
constexpr quint16 kMulRk = 0x00BD;
constexpr quint16 kBlank = 0x0201;
constexpr quint16 kMulBlank = 0x00BE;
constexpr quint16 kSst = 0x00FC;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kFormat = 0x041E;
constexpr quint16 kFormat5 = 0x001E;
constexpr quint16 kXf = 0x00E0;
constexpr quint16 kDateMode = 0x0022;
constexpr quint16 kRString = 0x00D6;
constexpr quint16 kMergedCells = 0x00E5;
constexpr quint16 kColInfo = 0x007D;
constexpr int kMaxRecord = 8224;
constexpr quint32 kMaxRows = 65536;
constexpr quint32 kMaxColumns = 256;

QString ErrorText(unsigned char code) {
    switch (code) {
        case 0x00:
            return QStringLiteral("#NULL!");
        case 0x07:
            return QStringLiteral("#DIV/0!");
        case 0x0F:
            return QStringLiteral("#VALUE!");
        case 0x17:
            return QStringLiteral("#REF!");
        case 0x1D:
            return QStringLiteral("#NAME?");
        case 0x24:
            return QStringLiteral("#NUM!");
        default:
            return QStringLiteral("#N/A");
    }
}

quint64 Key(quint32 row, quint32 column) {
    return (static_cast<quint64>(row) << 16) | column;
}

// The bytes before the characters of a BIFF8 unicode string whose option byte is at p (option
// byte, run count, extension size) and the bytes after them (runs, extension).
struct UnicodeLayout {
    int head = 1;
    qint64 tail = 0;
    bool wide = false;
};

UnicodeLayout Layout(const char* p, qsizetype available) {
    if (available < 1) {
        Damaged();
    }
    UnicodeLayout layout;
    const auto options = static_cast<unsigned char>(p[0]);
    layout.wide = (options & 0x01) != 0;
    if (options & 0x08) {
        if (available < layout.head + 2) {
            Damaged();
        }
        layout.tail += 4LL * U16(p + layout.head);
        layout.head += 2;
    }
    if (options & 0x04) {
        if (available < layout.head + 4) {
            Damaged();
        }
        layout.tail += U32(p + layout.head);
        layout.head += 4;
    }
    return layout;
}

// A BIFF8 unicode string of cch characters whose option byte is at p, all within `available`
// bytes: its characters, and the bytes it takes in all.
QString RecordString(const char* p, qsizetype available, quint32 cch, qsizetype* taken) {
    const UnicodeLayout layout = Layout(p, available);
    const qint64 bytes = static_cast<qint64>(cch) * (layout.wide ? 2 : 1);
    if (layout.head + bytes + layout.tail > available) {
        Damaged();
    }
    const char* chars = p + layout.head;
    QString text;
    if (layout.wide) {
        text.resize(cch);
        for (quint32 i = 0; i < cch; ++i) {
            text[i] = QChar(U16(chars + 2 * i));
        }
    } else {
        text = QString::fromLatin1(chars, cch);
    }
    if (taken) {
        *taken = layout.head + bytes + layout.tail;
    }
    return text;
}

// The shared string table: the SST record and the CONTINUE records after it, read as one run
// of bytes that remembers where each record began. A string may go on in the next record,
// and a long one over several: where its characters cross into a record, that record starts
// with a fresh option byte saying whether they go on in one or two bytes each; the formatting
// runs and extension data after the characters cross without one.
class SharedStrings {
public:
    void Record(const char* p, qsizetype size) {
        starts_.push_back(bytes_.size());
        bytes_.append(p, size);
    }

    QStringList Strings(qsizetype streamSize) {
        pos_ = 0;
        if (bytes_.size() < 8) {
            Damaged();
        }
        const quint32 count = U32(bytes_.constData() + 4);
        // Every string takes at least three bytes.
        if (count > static_cast<quint64>(streamSize) / 3) {
            Damaged();
        }
        pos_ = 8;
        QStringList strings;
        strings.reserve(static_cast<qsizetype>(std::min<quint64>(count, bytes_.size() / 3 + 1)));
        for (quint32 i = 0; i < count; ++i) {
            const quint32 cch = Take16();
            const auto options = static_cast<unsigned char>(TakeBytes(1)[0]);
            bool wide = (options & 0x01) != 0;
            qint64 tail = 0;
            if (options & 0x08) {
                tail += 4LL * Take16();
            }
            if (options & 0x04) {
                tail += Take32();
            }
            QString text;
            text.reserve(cch);
            quint32 left = cch;
            while (left > 0) {
                qsizetype end = RecordEnd();
                if (pos_ == end) {
                    Damaged();
                }
                if (IsRecordStart(pos_) && left < cch) {
                    wide = (static_cast<unsigned char>(bytes_[pos_]) & 0x01) != 0;
                    ++pos_;
                    end = RecordEnd();
                }
                const qsizetype fit = (end - pos_) / (wide ? 2 : 1);
                const quint32 n = static_cast<quint32>(std::min<qsizetype>(fit, left));
                if (n == 0) {
                    Damaged();
                }
                const char* chars = bytes_.constData() + pos_;
                if (wide) {
                    for (quint32 k = 0; k < n; ++k) {
                        text.append(QChar(U16(chars + 2 * k)));
                    }
                } else {
                    text.append(QString::fromLatin1(chars, n));
                }
                pos_ += static_cast<qsizetype>(n) * (wide ? 2 : 1);
                left -= n;
            }
            if (tail > bytes_.size() - pos_) {
                Damaged();
            }
            pos_ += tail;
            strings.push_back(std::move(text));
        }
        return strings;
    }

    bool Empty() const { return starts_.empty(); }

private:
    bool IsRecordStart(qsizetype pos) const {
        return std::binary_search(starts_.begin(), starts_.end(), pos);
    }
    // Where the record holding pos_ ends.
    qsizetype RecordEnd() const {
        const auto next = std::upper_bound(starts_.begin(), starts_.end(), pos_);
        return next == starts_.end() ? bytes_.size() : *next;
    }
    const char* TakeBytes(qsizetype n) {
        if (n > bytes_.size() - pos_) {
            Damaged();
        }
        const char* p = bytes_.constData() + pos_;
        pos_ += n;
        return p;
    }
    quint16 Take16() { return U16(TakeBytes(2)); }
    quint32 Take32() { return U32(TakeBytes(4)); }

    QByteArray bytes_;
    std::vector<qsizetype> starts_;
    qsizetype pos_ = 0;
};

struct SheetInfo {
    quint32 offset = 0;
    int type = 0;  // 0 worksheet, 1 macro sheet, 2 chart, 6 code
    bool hidden = false;
    QString name;
    QSet<int> hiddenRows;                    // from 1
    std::bitset<kMaxColumns> hiddenColumns;  // from 0
};

// What the walk of the workbook stream found.
struct Scan {
    int biffVersion = 8;
    quint16 codePage = 1200;
    bool date1904 = false;
    std::vector<SheetInfo> sheets;
    // Every cell's text of each worksheet, by BOUNDSHEET position; the cells holding formulas,
    // the merged areas and the decimals of the number cells whose format fixes them the same
    // way.
    QHash<int, QHash<quint64, QString>> cells;
    QHash<int, QHash<quint64, qint8>> decimals;
    QHash<int, QSet<quint64>> formulas;
    QHash<int, std::vector<Area>> merged;
};

QString DecodeBytes(QByteArrayView bytes, quint16 codePage) {
    if (codePage == 936) {
        QStringDecoder decoder("GB18030");
        return decoder.decode(bytes);
    }
    return QString::fromLatin1(bytes);
}

// The sheet name of a BOUNDSHEET record: a length byte, then (BIFF8) an option byte and the
// characters, one or two bytes each; in BIFF5 bytes of the workbook's code page.
QString BoundSheetName(const char* p, qsizetype length, const Scan& scan) {
    const qsizetype count = static_cast<unsigned char>(p[6]);
    if (scan.biffVersion != 8) {
        return DecodeBytes(QByteArrayView(p + 7, std::min<qsizetype>(count, length - 7)),
                           scan.codePage);
    }
    if (length < 8) {
        return QString();
    }
    const bool wide = (static_cast<unsigned char>(p[7]) & 0x01) != 0;
    const qsizetype bytes = std::min<qsizetype>(count * (wide ? 2 : 1), length - 8);
    if (!wide) {
        return QString::fromLatin1(p + 8, bytes);
    }
    QString name;
    for (qsizetype i = 0; i + 1 < bytes; i += 2) {
        name.append(QChar(U16(p + 8 + i)));
    }
    return name;
}

// The text of a STRING record (the result of a string formula).
QString StringRecordText(const char* p, int size, const Scan& scan) {
    if (scan.biffVersion == 8) {
        if (size < 3) {
            return {};
        }
        const int chars = U16(p);
        const bool wide = (static_cast<unsigned char>(p[2]) & 0x01) != 0;
        const int available = wide ? (size - 3) / 2 : size - 3;
        const int n = std::min(chars, available);
        if (wide) {
            QString text(n, Qt::Uninitialized);
            for (int i = 0; i < n; ++i) {
                text[i] = QChar(U16(p + 3 + 2 * i));
            }
            return text;
        }
        return QString::fromLatin1(p + 3, n);
    }
    if (size < 2) {
        return {};
    }
    const int n = std::min<int>(U16(p), size - 2);
    return DecodeBytes(QByteArrayView(p + 2, n), scan.codePage);
}

// RK values: a number packed into 32 bits, an integer or the high bits of a double, divided
// by 100 when the lowest bit says so.
double RkValue(quint32 rk) {
    double value = 0;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<qint32>(rk) >> 2);
    } else {
        const quint64 bits = static_cast<quint64>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

// The number formats of the workbook: what each cell format (XF) refers to, and the codes of
// the workbook's own formats.
struct Formats {
    // What a format does to a number: show it as a date, or with fixed decimals (-1 none).
    struct Shown {
        bool date = false;
        qint8 decimals = -1;
    };

    std::vector<quint16> xfFormat;
    QHash<int, QString> codes;
    QHash<int, Shown> cache;

    Shown Of(quint16 xf) {
        if (xf >= xfFormat.size()) {
            return {};
        }
        const int id = xfFormat[xf];
        const auto it = cache.constFind(id);
        if (it != cache.constEnd()) {
            return *it;
        }
        const QString code = codes.value(id);
        const Shown shown{IsDateFormat(id, code),
                          static_cast<qint8>(std::min(FormatDecimals(id, code), 127))};
        cache.insert(id, shown);
        return shown;
    }
};

Scan WalkWorkbook(const QByteArray& stream) {
    Scan scan;
    const char* data = stream.constData();
    const qsizetype size = stream.size();
    qsizetype pos = 0;
    bool first = true;
    int sheetIndex = -1;  // the sheet whose substream is being walked; -1 for the globals
    bool inGlobals = true;
    qint64 totalCells = 0;
    quint32 rows = 0;
    quint32 columns = 0;
    quint64 pendingString = 0;  // cell whose STRING record follows, plus one; 0 for none
    SharedStrings sst;
    QStringList strings;
    bool inSst = false;  // the last record other than CONTINUE was the string table
    Formats formats;
    while (pos + 4 <= size) {
        const quint16 type = U16(data + pos);
        const quint16 length = U16(data + pos + 2);
        const qsizetype recordStart = pos;
        if (length > kMaxRecord || pos + 4 + length > size) {
            Damaged();
        }
        const char* p = data + pos + 4;
        pos += 4 + length;
        if (type == 0 && length == 0) {
            break;  // some writers end the stream so
        }
        if (type == kContinue) {
            if (inSst) {
                sst.Record(p, length);
            }
            continue;
        }
        inSst = type == kSst && inGlobals && scan.biffVersion == 8;
        if (inSst) {
            if (!sst.Empty()) {
                Damaged();  // one string table per workbook
            }
            sst.Record(p, length);
            continue;
        }
        if (first) {
            if (type != kBof || length < 4) {
                Damaged();
            }
            const quint16 version = U16(p);
            if (version == 0x0600) {
                scan.biffVersion = 8;
            } else if (version == 0x0500) {
                scan.biffVersion = 5;
                scan.codePage = 1252;
            } else {
                Damaged();
            }
            first = false;
            continue;
        }
        if (type == kBof) {
            if (inGlobals && !sst.Empty()) {
                strings = sst.Strings(size);
            }
            inGlobals = false;
            sheetIndex = -1;
            for (std::size_t i = 0; i < scan.sheets.size(); ++i) {
                if (scan.sheets[i].offset == static_cast<quint32>(recordStart)) {
                    sheetIndex = static_cast<int>(i);
                }
            }
            rows = kMaxRows;
            columns = kMaxColumns;
            continue;
        }
        if (type == kEof) {
            sheetIndex = -1;
            continue;
        }
        if (inGlobals) {
            if (type == kFilePass) {
                throw ReadFailure{Failure::Password};
            }
            if (type == kCodePage && length >= 2) {
                scan.codePage = U16(p);
            }
            if (type == kDateMode && length >= 2) {
                scan.date1904 = U16(p) == 1;
            }
            if (type == kXf && length >= 4) {
                formats.xfFormat.push_back(U16(p + 2));
            }
            if (type == kFormat && scan.biffVersion == 8) {
                if (length < 5) {
                    Damaged();
                }
                formats.codes.insert(U16(p), RecordString(p + 4, length - 4, U16(p + 2), nullptr));
            }
            if (type == kFormat5 && scan.biffVersion == 5 && length >= 3) {
                const qsizetype n =
                    std::min<qsizetype>(static_cast<unsigned char>(p[2]), length - 3);
                formats.codes.insert(U16(p), DecodeBytes(QByteArrayView(p + 3, n), scan.codePage));
            }
            if (type == kBoundSheet && length >= 6) {
                SheetInfo info;
                info.offset = U32(p);
                info.type = static_cast<unsigned char>(p[5]);
                // The low bits of the state byte: 1 hidden, 2 very hidden.
                info.hidden = (static_cast<unsigned char>(p[4]) & 0x03) != 0;
                info.name = BoundSheetName(p, length, scan);
                scan.sheets.push_back(std::move(info));
            }
            continue;
        }
        if (type == kDimension) {
            if (scan.biffVersion == 8 && length >= 14) {
                rows = U32(p + 4);
                columns = U16(p + 10);
            } else if (length >= 10) {
                rows = U16(p + 2);
                columns = U16(p + 6);
            } else {
                Damaged();
            }
            if (rows > kMaxRows || columns > kMaxColumns) {
                Damaged();
            }
            totalCells += static_cast<qint64>(rows) * columns;
            if (totalCells > kMaxCells) {
                throw ReadFailure{Failure::TooLarge};
            }
            continue;
        }
        // Columns first to last, from 0, hidden when marked so or made zero wide.
        if (type == kColInfo && sheetIndex >= 0) {
            if (length < 10) {
                Damaged();
            }
            // Some writers let the last range run to column 256, one past the last.
            const quint32 first = U16(p);
            const quint32 last = std::min<quint32>(U16(p + 2), kMaxColumns - 1);
            if (((U16(p + 8) & 0x0001) != 0 || U16(p + 4) == 0) && first <= last) {
                std::bitset<kMaxColumns> range;
                range.set();
                range >>= kMaxColumns - 1 - (last - first);
                scan.sheets[static_cast<std::size_t>(sheetIndex)].hiddenColumns |= range << first;
            }
            continue;
        }
        // A row the worksheet hides (zero height, set by the user or a filter).
        if (type == kRow && length >= 14 && sheetIndex >= 0 && (U16(p + 12) & 0x20) != 0) {
            scan.sheets[static_cast<std::size_t>(sheetIndex)].hiddenRows.insert(U16(p) + 1);
        }
        // Areas merged into one cell: a count, then first row, last row, first column and last
        // column of each, from 0.
        if (type == kMergedCells && sheetIndex >= 0) {
            if (length < 2 || 2 + 8 * static_cast<int>(U16(p)) > length) {
                Damaged();
            }
            auto& areas = scan.merged[sheetIndex];
            for (int i = 0; i < U16(p); ++i) {
                const char* a = p + 2 + 8 * i;
                Area area{U16(a) + 1, U16(a + 4) + 1, U16(a + 2) + 1, U16(a + 6) + 1};
                if (area.bottom < area.top || area.right < area.left) {
                    Damaged();
                }
                areas.push_back(area);
            }
            continue;
        }
        const bool cell = type == kFormula || type == kBoolErr || type == kNumber || type == kRk ||
                          type == kLabel || type == kRString || type == kLabelSst ||
                          type == kMulRk || type == kBlank || type == kMulBlank;
        if (type == kString) {
            if (pendingString != 0 && sheetIndex >= 0) {
                scan.cells[sheetIndex].insert(pendingString - 1, StringRecordText(p, length, scan));
            }
            pendingString = 0;
            continue;
        }
        if (!cell) {
            continue;
        }
        if (length < 6) {
            Damaged();
        }
        const quint32 row = U16(p);
        const quint32 column = U16(p + 2);
        quint32 lastColumn = column;
        if ((type == kMulRk || type == kMulBlank) && length >= 6) {
            lastColumn = U16(p + length - 2);
        }
        if (column >= kMaxColumns || lastColumn >= kMaxColumns || lastColumn < column ||
            row >= rows || lastColumn >= columns) {
            Damaged();
        }
        // The text of a LABEL (or BIFF5 RSTRING) record: a character count, then the characters.
        QString label;
        if (type == kLabel || type == kRString) {
            if (length < 8) {
                Damaged();
            }
            const quint16 cch = U16(p + 6);
            if (scan.biffVersion == 8) {
                label = RecordString(p + 8, length - 8, cch, nullptr);
            } else if (8 + cch > length) {
                Damaged();
            } else {
                label = DecodeBytes(QByteArrayView(p + 8, cch), scan.codePage);
            }
        }
        const quint16 xf = U16(p + 4);
        QString sstText;
        if (type == kLabelSst) {
            if (length < 10) {
                Damaged();
            }
            const quint32 index = U32(p + 6);
            if (index >= static_cast<quint32>(strings.size())) {
                Damaged();
            }
            sstText = strings[index];
        }
        if ((type == kNumber && length < 14) || (type == kRk && length < 10) ||
            (type == kMulRk && (length < 6 || (length - 6) % 6 != 0 ||
                                (length - 6) / 6 != static_cast<int>(lastColumn - column + 1)))) {
            Damaged();
        }
        if (sheetIndex < 0) {
            continue;
        }
        auto& cells = scan.cells[sheetIndex];
        auto& decimals = scan.decimals[sheetIndex];
        // A cell that holds no number, and one that does: its text under its format, and the
        // decimals that format shows. A later record for the same cell replaces both.
        const auto put = [&](quint64 key, const QString& text) {
            cells.insert(key, text);
            if (!decimals.isEmpty()) {
                decimals.remove(key);
            }
        };
        const auto putNumber = [&](quint64 key, quint16 cellXf, double value) {
            const Formats::Shown shown = formats.Of(cellXf);
            cells.insert(key,
                         shown.date ? SerialDateText(value, scan.date1904) : GeneralNumber(value));
            if (shown.decimals >= 0) {
                decimals.insert(key, shown.decimals);
            } else if (!decimals.isEmpty()) {
                decimals.remove(key);
            }
        };
        pendingString = 0;
        switch (type) {
            case kLabel:
            case kRString:
                put(Key(row, column), label);
                break;
            case kLabelSst:
                put(Key(row, column), sstText);
                break;
            case kNumber: {
                double value = 0;
                std::memcpy(&value, p + 6, sizeof value);
                putNumber(Key(row, column), xf, qFromLittleEndian(value));
                break;
            }
            case kRk:
                putNumber(Key(row, column), xf, RkValue(U32(p + 6)));
                break;
            case kMulRk:
                for (quint32 c = column; c <= lastColumn; ++c) {
                    const char* item = p + 4 + 6 * (c - column);
                    putNumber(Key(row, c), U16(item), RkValue(U32(item + 2)));
                }
                break;
            case kBoolErr:
                if (length >= 8) {
                    const auto value = static_cast<unsigned char>(p[6]);
                    const bool error = p[7] != 0;
                    put(Key(row, column), error ? ErrorText(value) : BoolText(value != 0));
                }
                break;
            case kFormula:
                scan.formulas[sheetIndex].insert(Key(row, column));
                if (length >= 20) {
                    const char* result = p + 6;
                    if (static_cast<unsigned char>(result[6]) == 0xFF &&
                        static_cast<unsigned char>(result[7]) == 0xFF) {
                        switch (static_cast<unsigned char>(result[0])) {
                            case 0:
                                pendingString = Key(row, column) + 1;
                                put(Key(row, column), QString());
                                break;
                            case 1:
                                put(Key(row, column), BoolText(result[2] != 0));
                                break;
                            case 2:
                                put(Key(row, column),
                                    ErrorText(static_cast<unsigned char>(result[2])));
                                break;
                            default:
                                put(Key(row, column), QString());
                                break;
                        }
                    } else {
                        double value = 0;
                        std::memcpy(&value, result, sizeof value);
                        // A formula's number shows under the cell's format as any number does:
                        // =TODAY() is a date, not a day count.
                        putNumber(Key(row, column), xf, qFromLittleEndian(value));
                    }
                }
                break;
            default:
                break;  // blanks
        }
    }
    if (first) {
        Damaged();
    }
    return scan;
}

class XlsGrid : public Grid {
public:
    XlsGrid(QHash<quint64, QString> cells, QHash<quint64, qint8> decimals, QSet<int> hiddenRows,
            std::bitset<kMaxColumns> hiddenColumns, QSet<quint64> formulas,
            std::vector<Area> merged)
        : cells_(std::move(cells)),
          decimals_(std::move(decimals)),
          hiddenRows_(std::move(hiddenRows)),
          hiddenColumns_(hiddenColumns),
          formulas_(std::move(formulas)),
          merged_(std::move(merged)) {
        for (auto it = cells_.cbegin(); it != cells_.cend(); ++it) {
            if (!it.value().isEmpty()) {
                lastRow_ = std::max(lastRow_, static_cast<int>(it.key() >> 16) + 1);
            }
        }
    }

    int LastRow() const override { return lastRow_; }
    bool RowHidden(int row) const override { return hiddenRows_.contains(row); }
    bool ColumnHidden(int column) const override {
        return column >= 1 && static_cast<quint32>(column) <= kMaxColumns &&
               hiddenColumns_.test(static_cast<std::size_t>(column - 1));
    }
    bool Formula(int row, int column) const override {
        return InSheet(row, column) && formulas_.contains(CellKey(row, column));
    }
    int ShownDecimals(int row, int column) const override {
        return InSheet(row, column) ? decimals_.value(CellKey(row, column), -1) : -1;
    }
    std::vector<Area> MergedAreas() const override { return merged_; }

    QString Cell(int row, int column) const override {
        return InSheet(row, column) ? cells_.value(CellKey(row, column)) : QString();
    }

private:
    static bool InSheet(int row, int column) {
        return row >= 1 && column >= 1 && static_cast<quint32>(row) <= kMaxRows &&
               static_cast<quint32>(column) <= kMaxColumns;
    }
    // The key of a cell counted from 1, within the sheet.
    static quint64 CellKey(int row, int column) {
        return Key(static_cast<quint32>(row - 1), static_cast<quint32>(column - 1));
    }

    QHash<quint64, QString> cells_;
    QHash<quint64, qint8> decimals_;
    int lastRow_ = 0;
    QSet<int> hiddenRows_;
    std::bitset<kMaxColumns> hiddenColumns_;
    QSet<quint64> formulas_;
    std::vector<Area> merged_;
};

class XlsBook : public Book {
public:
    explicit XlsBook(Scan scan) : scan_(std::move(scan)) {
        for (std::size_t i = 0; i < scan_.sheets.size(); ++i) {
            if (scan_.sheets[i].type == 0) {
                worksheets_.push_back(static_cast<int>(i));
            }
        }
    }

    int WorksheetCount() const override { return static_cast<int>(worksheets_.size()); }

    std::unique_ptr<Grid> LoadWorksheet(int index) override {
        if (index < 1 || index > WorksheetCount()) {
            Damaged();
        }
        const int position = worksheets_[static_cast<std::size_t>(index - 1)];
        const SheetInfo& info = scan_.sheets[static_cast<std::size_t>(position)];
        return std::make_unique<XlsGrid>(
            scan_.cells.value(position), scan_.decimals.value(position), info.hiddenRows,
            info.hiddenColumns, scan_.formulas.value(position), scan_.merged.value(position));
    }

    QString WorksheetName(int index) const override { return Sheet(index).name; }
    bool WorksheetHidden(int index) const override { return Sheet(index).hidden; }

private:
    const SheetInfo& Sheet(int index) const {
        if (index < 1 || index > WorksheetCount()) {
            Damaged();
        }
        return scan_
            .sheets[static_cast<std::size_t>(worksheets_[static_cast<std::size_t>(index - 1)])];
    }

    Scan scan_;
    std::vector<int> worksheets_;
};

}  // namespace

std::unique_ptr<Book> ReadXls(const QByteArray& bytes) {
    const cfbf::Container container(bytes);
    const QStringList streams = container.StreamNames();
    if (streams.contains(QStringLiteral("EncryptedPackage"), Qt::CaseInsensitive) ||
        streams.contains(QStringLiteral("EncryptionInfo"), Qt::CaseInsensitive)) {
        throw ReadFailure{Failure::Password};
    }
    auto stream = container.ReadStream(QStringLiteral("Workbook"));
    if (!stream) {
        stream = container.ReadStream(QStringLiteral("Book"));
    }
    if (!stream) {
        Damaged();
    }
    return std::make_unique<XlsBook>(WalkWorkbook(*stream));
}

}  // namespace sheet
