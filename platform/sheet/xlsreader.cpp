// Excel 97-2003 workbooks (.xls, BIFF8; BIFF5 is read too) through libfreexl. Before the
// library sees the file, the compound container and the workbook stream are walked here: an
// encrypted file is refused as such, and a damaged one, or one whose declared size would make
// the library allocate beyond the limits, is refused as damaged. The same walk keeps what the
// library does not give: the cached results of formulas, and booleans and error values, which
// the library would turn into 0 and 1.
#include "platform/sheet/book.h"
#include "platform/sheet/celltext.h"
#include "platform/sheet/cfbf.h"

#include <freexl.h>

#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
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

// A string of cch characters starting with its option byte at p must lie within the record:
// the library copies it without looking at the record's size.
void RequireString(const char* p, qsizetype available, int cch) {
    const UnicodeLayout layout = Layout(p, available);
    if (layout.head + static_cast<qint64>(cch) * (layout.wide ? 2 : 1) > available) {
        Damaged();
    }
}

// Walks the shared string table the way the library parses it, record by record: a string
// that goes on in the next record must end there, since the library copies the rest from that
// one record whatever its size.
class SstCheck {
public:
    void Record(const char* p, qsizetype size, bool first, qsizetype streamSize) {
        qsizetype pos = 0;
        if (first) {
            if (started_ || size < 8) {
                Damaged();
            }
            started_ = true;
            count_ = U32(p + 4);
            // Every string takes at least three bytes; the library allocates a slot for each.
            if (count_ > static_cast<quint64>(streamSize) / 3) {
                Damaged();
            }
            pos = 8;
        } else if (remaining_ > 0) {
            if (size < 1) {
                Damaged();
            }
            const bool wide = (static_cast<unsigned char>(p[0]) & 0x01) != 0;
            pos = 1 + static_cast<qsizetype>(remaining_) * (wide ? 2 : 1);
            if (pos > size) {
                Damaged();
            }
            pos += skip_;
            remaining_ = 0;
            ++index_;
        }
        while (index_ < count_ && pos < size) {
            if (pos + 2 > size) {
                Damaged();
            }
            const quint32 cch = U16(p + pos);
            pos += 2;
            const UnicodeLayout layout = Layout(p + pos, size - pos);
            pos += layout.head;
            const qint64 required = static_cast<qint64>(cch) * (layout.wide ? 2 : 1);
            const qint64 available = size - pos;
            if (required > available) {
                remaining_ = cch - static_cast<quint32>(layout.wide ? available / 2 : available);
                skip_ = layout.tail;
                return;
            }
            pos += required + layout.tail;
            ++index_;
        }
    }

private:
    bool started_ = false;
    quint64 count_ = 0;
    quint64 index_ = 0;
    quint32 remaining_ = 0;
    qint64 skip_ = 0;
};

struct SheetInfo {
    quint32 offset = 0;
    int type = 0;  // 0 worksheet, 1 macro sheet, 2 chart, 6 code
    bool hidden = false;
    QString name;
    QSet<int> hiddenRows;  // from 1
};

// What the walk of the workbook stream found.
struct Scan {
    int biffVersion = 8;
    quint16 codePage = 1200;
    std::vector<SheetInfo> sheets;
    // Cells of each worksheet that the library reads otherwise or not at all, by BOUNDSHEET
    // position.
    QHash<int, QHash<quint64, QString>> overrides;
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
    SstCheck sst;
    bool inSst = false;  // the last record other than CONTINUE was the string table
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
                sst.Record(p, length, false, size);
            }
            continue;
        }
        inSst = type == kSst;
        if (inSst && scan.biffVersion == 8) {
            sst.Record(p, length, true, size);
            continue;
        }
        if (type == kFormat && scan.biffVersion == 8) {
            if (length < 5) {
                Damaged();
            }
            RequireString(p + 4, length - 4, U16(p + 2));
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
            // The library allocates every declared cell of every sheet.
            if (rows > kMaxRows || columns > kMaxColumns) {
                Damaged();
            }
            totalCells += static_cast<qint64>(rows) * columns;
            if (totalCells > kMaxCells) {
                throw ReadFailure{Failure::TooLarge};
            }
            continue;
        }
        // A row the worksheet hides (zero height, set by the user or a filter).
        if (type == kRow && length >= 14 && sheetIndex >= 0 && (U16(p + 12) & 0x20) != 0) {
            scan.sheets[static_cast<std::size_t>(sheetIndex)].hiddenRows.insert(U16(p) + 1);
        }
        const bool cell = type == kFormula || type == kBoolErr || type == kNumber || type == kRk ||
                          type == kLabel || type == kLabelSst || type == kMulRk || type == kBlank ||
                          type == kMulBlank;
        if (type == kString) {
            if (pendingString != 0 && sheetIndex >= 0) {
                scan.overrides[sheetIndex].insert(pendingString - 1,
                                                  StringRecordText(p, length, scan));
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
        if (type == kLabel) {
            if (length < 8) {
                Damaged();
            }
            if (scan.biffVersion == 8) {
                RequireString(p + 8, length - 8, U16(p + 6));
            } else if (8 + U16(p + 6) > length) {
                Damaged();
            }
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
        if (sheetIndex < 0) {
            continue;
        }
        auto& overrides = scan.overrides[sheetIndex];
        pendingString = 0;
        if (type == kBoolErr && length >= 8) {
            const auto value = static_cast<unsigned char>(p[6]);
            const bool error = p[7] != 0;
            overrides.insert(Key(row, column), error ? ErrorText(value) : BoolText(value != 0));
        } else if (type == kFormula && length >= 20) {
            const char* result = p + 6;
            if (static_cast<unsigned char>(result[6]) == 0xFF &&
                static_cast<unsigned char>(result[7]) == 0xFF) {
                switch (static_cast<unsigned char>(result[0])) {
                    case 0:
                        pendingString = Key(row, column) + 1;
                        overrides.insert(Key(row, column), QString());
                        break;
                    case 1:
                        overrides.insert(Key(row, column), BoolText(result[2] != 0));
                        break;
                    case 2:
                        overrides.insert(Key(row, column),
                                         ErrorText(static_cast<unsigned char>(result[2])));
                        break;
                    default:
                        overrides.insert(Key(row, column), QString());
                        break;
                }
            } else {
                double value = 0;
                std::memcpy(&value, result, sizeof value);
                overrides.insert(Key(row, column), GeneralNumber(qFromLittleEndian(value)));
            }
        }
    }
    if (first) {
        Damaged();
    }
    return scan;
}

struct HandleCloser {
    void operator()(const void* handle) const { freexl_close(handle); }
};

// freexl gives dates as "YYYY-MM-DD", date-times as "YYYY-MM-DD HH:MM:SS", times as
// "HH:MM:SS".
QString FreexlDateText(int type, const char* text) {
    const QString s = QString::fromLatin1(text);
    const auto number = [&](int from, int length) { return s.mid(from, length).toInt(); };
    if (type == FREEXL_CELL_TIME) {
        return TimeText(number(0, 2), number(3, 2), number(6, 2));
    }
    const QString date = DateText(number(0, 4), number(5, 2), number(8, 2));
    if (type == FREEXL_CELL_DATE) {
        return date;
    }
    const int h = number(11, 2);
    const int m = number(14, 2);
    const int sec = number(17, 2);
    return h == 0 && m == 0 && sec == 0 ? date : date + u' ' + TimeText(h, m, sec);
}

class XlsGrid : public Grid {
public:
    XlsGrid(std::shared_ptr<const void> handle, QHash<quint64, QString> overrides,
            QSet<int> hiddenRows)
        : handle_(std::move(handle)),
          overrides_(std::move(overrides)),
          hiddenRows_(std::move(hiddenRows)) {
        if (freexl_worksheet_dimensions(handle_.get(), &rows_, &columns_) != FREEXL_OK) {
            Damaged();
        }
    }

    bool RowHidden(int row) const override { return hiddenRows_.contains(row); }

    QString Cell(int row, int column) const override {
        if (row < 1 || column < 1 || static_cast<quint32>(row) > kMaxRows ||
            static_cast<quint32>(column) > kMaxColumns) {
            return {};
        }
        const auto r = static_cast<quint32>(row - 1);
        const auto c = static_cast<quint32>(column - 1);
        const auto it = overrides_.find(Key(r, c));
        if (it != overrides_.end()) {
            return *it;
        }
        if (r >= rows_ || c >= columns_) {
            return {};
        }
        FreeXL_CellValue value;
        if (freexl_get_cell_value(handle_.get(), r, static_cast<unsigned short>(c), &value) !=
            FREEXL_OK) {
            return {};
        }
        switch (value.type) {
            case FREEXL_CELL_INT:
                return QString::number(value.value.int_value);
            case FREEXL_CELL_DOUBLE:
                return GeneralNumber(value.value.double_value);
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                return value.value.text_value ? QString::fromUtf8(value.value.text_value)
                                              : QString();
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                return value.value.text_value ? FreexlDateText(value.type, value.value.text_value)
                                              : QString();
            default:
                return {};
        }
    }

private:
    std::shared_ptr<const void> handle_;
    QHash<quint64, QString> overrides_;
    unsigned int rows_ = 0;
    unsigned short columns_ = 0;
    QSet<int> hiddenRows_;
};

class XlsBook : public Book {
public:
    XlsBook(const QString& path, Scan scan) : scan_(std::move(scan)) {
        for (std::size_t i = 0; i < scan_.sheets.size(); ++i) {
            if (scan_.sheets[i].type == 0) {
                worksheets_.push_back(static_cast<int>(i));
            }
        }
        const void* handle = nullptr;
        const int rc = freexl_open(QFile::encodeName(path).constData(), &handle);
        if (rc != FREEXL_OK || !handle) {
            if (handle) {
                freexl_close(handle);
            }
            Damaged();
        }
        handle_ = std::shared_ptr<const void>(handle, HandleCloser());
        unsigned int count = 0;
        if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK ||
            count != scan_.sheets.size()) {
            Damaged();  // the library saw another workbook than the walk did
        }
    }

    int WorksheetCount() const override { return static_cast<int>(worksheets_.size()); }

    std::unique_ptr<Grid> LoadWorksheet(int index) override {
        if (index < 1 || index > WorksheetCount()) {
            Damaged();
        }
        const int position = worksheets_[static_cast<std::size_t>(index - 1)];
        if (freexl_select_active_worksheet(handle_.get(), static_cast<unsigned short>(position)) !=
            FREEXL_OK) {
            Damaged();
        }
        return std::make_unique<XlsGrid>(
            handle_, scan_.overrides.value(position),
            scan_.sheets[static_cast<std::size_t>(position)].hiddenRows);
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
    std::shared_ptr<const void> handle_;
};

}  // namespace

std::unique_ptr<Book> ReadXls(const QString& path, const QByteArray& bytes) {
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
    return std::make_unique<XlsBook>(path, WalkWorkbook(*stream));
}

}  // namespace sheet
