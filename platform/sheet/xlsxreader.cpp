// Office Open XML workbooks (.xlsx): a zip package read with libzip, its parts with
// QXmlStreamReader. The worksheets are those of the workbook's <sheets> list that are
// worksheets (chart and dialog sheets are not), in that order, each found through the
// workbook's relationships wherever it is stored. Cells come from shared strings, inline
// strings, numbers (dates where the cell's number format is a date format), booleans, formula
// results and error values; rows and cells may be sparse and references go beyond column Z.
// Each number cell keeps the decimals its format shows, and the sheet's <cols> the columns it
// hides.
// The sheet and the shared strings are streamed, so memory follows the number of cells.
#include "platform/sheet/book.h"
#include "platform/sheet/celltext.h"

#include <zip.h>

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QXmlStreamReader>
#include <algorithm>
#include <charconv>
#include <functional>
#include <vector>

namespace sheet {

namespace {

constexpr qint64 kMaxSmallPart = 32LL * 1024 * 1024;  // workbook, relationships, styles
constexpr int kMaxColumns = 16384;

[[noreturn]] void Damaged() {
    throw ReadFailure{Failure::NotWorkbook};
}

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

class Package {
public:
    explicit Package(const QByteArray& bytes) : bytes_(bytes) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(
            bytes_.constData(), static_cast<zip_uint64_t>(bytes_.size()), 0, &error);
        if (!source) {
            zip_error_fini(&error);
            Damaged();
        }
        zip_t* zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        zip_error_fini(&error);
        if (!zip) {
            zip_source_free(source);
            Damaged();
        }
        zip_.reset(zip);
    }

    bool Has(const QString& name) const { return Locate(name) >= 0; }

    // Feeds the part to `sink` in pieces; the whole part may not exceed `limit` bytes.
    void Stream(const QString& name, qint64 limit,
                const std::function<void(const QByteArray&)>& sink) const {
        const zip_int64_t index = Locate(name);
        if (index < 0) {
            Damaged();
        }
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip_.get(), static_cast<zip_uint64_t>(index), 0, &st) != 0) {
            Damaged();
        }
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
            throw ReadFailure{Failure::Password};
        }
        // The declared size is checked before anything is inflated; the count below holds
        // against an entry that lies about it.
        if ((st.valid & ZIP_STAT_SIZE) && st.size > static_cast<zip_uint64_t>(limit)) {
            throw ReadFailure{Failure::PartTooLarge};
        }
        std::unique_ptr<zip_file_t, FileCloser> file(
            zip_fopen_index(zip_.get(), static_cast<zip_uint64_t>(index), 0));
        if (!file) {
            Damaged();
        }
        QByteArray chunk(64 * 1024, Qt::Uninitialized);
        qint64 total = 0;
        while (true) {
            const zip_int64_t n =
                zip_fread(file.get(), chunk.data(), static_cast<zip_uint64_t>(chunk.size()));
            if (n < 0) {
                Damaged();
            }
            if (n == 0) {
                break;
            }
            total += n;
            if (total > limit) {
                throw ReadFailure{Failure::PartTooLarge};
            }
            sink(n == chunk.size() ? chunk : chunk.left(n));
        }
    }

    QByteArray Read(const QString& name) const {
        QByteArray all;
        Stream(name, kMaxSmallPart, [&](const QByteArray& piece) { all += piece; });
        return all;
    }

private:
    zip_int64_t Locate(const QString& name) const {
        // Part names are compared without regard to case.
        return zip_name_locate(zip_.get(), name.toUtf8().constData(), ZIP_FL_NOCASE);
    }

    QByteArray bytes_;  // libzip reads from it without a copy
    std::unique_ptr<zip_t, ZipCloser> zip_;
};

// A part name resolved against the folder of the part that refers to it.
QString Resolve(const QString& fromPart, const QString& target) {
    QString path;
    if (target.startsWith(u'/')) {
        path = target.mid(1);
    } else {
        const qsizetype slash = fromPart.lastIndexOf(u'/');
        path = (slash < 0 ? QString() : fromPart.left(slash + 1)) + target;
    }
    QStringList out;
    for (const QString& piece : path.split(u'/')) {
        if (piece == u"..") {
            if (!out.isEmpty()) {
                out.removeLast();
            }
        } else if (!piece.isEmpty() && piece != u".") {
            out.append(piece);
        }
    }
    return out.join(u'/');
}

QString RelsOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

struct Relationship {
    QString type;
    QString target;  // resolved part name
};

QHash<QString, Relationship> ReadRelationships(const Package& package, const QString& part) {
    QHash<QString, Relationship> rels;
    const QString relsName = RelsOf(part);
    if (!package.Has(relsName)) {
        return rels;
    }
    QXmlStreamReader xml(package.Read(relsName));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"Relationship") {
            const auto a = xml.attributes();
            if (a.value(QLatin1StringView("TargetMode")) != u"External") {
                rels.insert(a.value(QLatin1StringView("Id")).toString(),
                            {a.value(QLatin1StringView("Type")).toString(),
                             Resolve(part, a.value(QLatin1StringView("Target")).toString())});
            }
        }
    }
    if (xml.hasError()) {
        Damaged();
    }
    return rels;
}

// The attribute of the relationships namespace called `name` (r:id), whatever its prefix.
QString RelationshipAttribute(const QXmlStreamAttributes& attributes) {
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name() == u"id" && !a.namespaceUri().isEmpty()) {
            return a.value().toString();
        }
    }
    return {};
}

// What a cell style's number format does to a number: show it as a date, or with a fixed
// number of decimals (-1 when it fixes none).
struct StyleFormat {
    bool date = false;
    qint8 decimals = -1;
};

// The number format of each cell style, by style index.
std::vector<StyleFormat> ReadStyles(const Package& package, const QString& part) {
    std::vector<StyleFormat> styles;
    QHash<int, QString> codes;
    QXmlStreamReader xml(package.Read(part));
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"numFmt") {
                codes.insert(xml.attributes().value(QLatin1StringView("numFmtId")).toInt(),
                             xml.attributes().value(QLatin1StringView("formatCode")).toString());
            } else if (xml.name() == u"cellXfs") {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == u"xf") {
                const int id = xml.attributes().value(QLatin1StringView("numFmtId")).toInt();
                const QString code = codes.value(id);
                styles.push_back({IsDateFormat(id, code),
                                  static_cast<qint8>(std::min(FormatDecimals(id, code), 127))});
                if (styles.size() > 65536) {
                    Damaged();
                }
            }
        } else if (xml.isEndElement() && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    if (xml.hasError()) {
        Damaged();
    }
    return styles;
}

// Runs `handle` for each token of a streamed part, feeding the reader piece by piece.
void StreamXml(const Package& package, const QString& part, qint64 limit,
               const std::function<void(QXmlStreamReader&)>& handle) {
    QXmlStreamReader xml;
    auto drain = [&] {
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
                return;
            }
            if (xml.hasError()) {
                Damaged();
            }
            handle(xml);
        }
    };
    package.Stream(part, limit, [&](const QByteArray& piece) {
        xml.addData(piece);
        drain();
    });
    drain();
    // A part that ends before its document does is damaged, not a shorter sheet.
    if (xml.hasError()) {
        Damaged();
    }
}

QStringList ReadSharedStrings(const Package& package, const QString& part) {
    QStringList strings;
    qint64 chars = 0;
    // The streamed reader hands over whole items only: collect an item's text across pieces.
    QString current;
    int depth = 0;
    int phonetic = 0;
    bool inText = false;
    StreamXml(package, part, kMaxPartBytes, [&](QXmlStreamReader& xml) {
        if (xml.isStartElement()) {
            if (xml.name() == u"si") {
                depth = 1;
                current.clear();
            } else if (depth > 0) {
                if (xml.name() == u"rPh") {
                    ++phonetic;
                } else if (xml.name() == u"t" && phonetic == 0) {
                    inText = true;
                }
            }
        } else if (xml.isCharacters() && inText) {
            current += xml.text();
        } else if (xml.isEndElement()) {
            if (xml.name() == u"t") {
                inText = false;
            } else if (xml.name() == u"rPh") {
                --phonetic;
            } else if (xml.name() == u"si" && depth > 0) {
                depth = 0;
                chars += current.size() + 16;
                if (chars > kMaxPartBytes / 2 || strings.size() >= kMaxCells) {
                    throw ReadFailure{Failure::TooLarge};
                }
                strings.append(current);
            }
        }
    });
    return strings;
}

// A cell reference "AB12" into column and row; false when it is none.
bool ParseReference(QStringView ref, int& column, int& row) {
    qsizetype i = 0;
    long long c = 0;
    while (i < ref.size() && ref[i] >= u'A' && ref[i] <= u'Z') {
        c = c * 26 + (ref[i].unicode() - u'A' + 1);
        if (c > kMaxColumns) {
            return false;
        }
        ++i;
    }
    if (i == 0 || i == ref.size()) {
        return false;
    }
    long long r = 0;
    for (; i < ref.size(); ++i) {
        if (ref[i] < u'0' || ref[i] > u'9') {
            return false;
        }
        r = r * 10 + (ref[i].unicode() - u'0');
        if (r > 1048576) {
            return false;
        }
    }
    if (r < 1) {
        return false;
    }
    column = static_cast<int>(c);
    row = static_cast<int>(r);
    return true;
}

bool ParseNumber(const QString& text, double& value) {
    const QByteArray latin = text.trimmed().toLatin1();
    const char* begin = latin.constData();
    const char* end = begin + latin.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto result = std::from_chars(begin, end, value);
    return result.ec == std::errc() && result.ptr == end && begin != end;
}

QString IsoDateText(const QString& iso) {
    const QDateTime dt = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (dt.isValid()) {
        const QDate d = dt.date();
        const QTime t = dt.time();
        const QString date = DateText(d.year(), d.month(), d.day());
        return t == QTime(0, 0) ? date : date + u' ' + TimeText(t.hour(), t.minute(), t.second());
    }
    const QDate d = QDate::fromString(iso, Qt::ISODate);
    return d.isValid() ? DateText(d.year(), d.month(), d.day()) : iso;
}

// A cell's place, text and, for a number, the decimals its format shows (-1 for any other
// cell); the column (at most 16384) and the decimals share what would otherwise be one int.
struct SheetCell {
    int row;
    qint16 column;
    qint8 decimals;
    QString text;
};

// What a worksheet holds besides its cell texts: the cells that hold formulas, the areas
// merged into one cell and the ranges of columns it hides (first and last, from 1).
struct SheetExtras {
    QSet<quint64> formulas;
    std::vector<Area> merged;
    std::vector<std::pair<int, int>> hiddenColumns;
};

// Which columns the ranges cover, by column from 1; empty when none. A range costs the same
// whatever its span, so that a sheet of many wide ranges costs time in its size only.
std::vector<bool> CoveredColumns(const std::vector<std::pair<int, int>>& ranges) {
    if (ranges.empty()) {
        return {};
    }
    std::vector<int> edges(kMaxColumns + 2, 0);
    for (const auto& [first, last] : ranges) {
        ++edges[static_cast<std::size_t>(first)];
        --edges[static_cast<std::size_t>(last) + 1];
    }
    std::vector<bool> covered(kMaxColumns + 1, false);
    int depth = 0;
    for (int c = 1; c <= kMaxColumns; ++c) {
        depth += edges[static_cast<std::size_t>(c)];
        covered[static_cast<std::size_t>(c)] = depth > 0;
    }
    return covered;
}

quint64 CellKey(int row, int column) {
    return (static_cast<quint64>(row) << 16) | static_cast<quint64>(column);
}

class XlsxGrid : public Grid {
public:
    XlsxGrid(std::vector<SheetCell> cells, QSet<int> hiddenRows, SheetExtras extras)
        : cells_(std::move(cells)),
          hiddenRows_(std::move(hiddenRows)),
          hiddenColumns_(CoveredColumns(extras.hiddenColumns)),
          extras_(std::move(extras)) {
        extras_.hiddenColumns = {};  // resolved above
        const auto less = [](const SheetCell& a, const SheetCell& b) {
            return a.row != b.row ? a.row < b.row : a.column < b.column;
        };
        // Cells come in order from every writer we know; sort only when they do not.
        if (!std::is_sorted(cells_.begin(), cells_.end(), less)) {
            std::stable_sort(cells_.begin(), cells_.end(), less);
        }
        for (const SheetCell& c : cells_) {
            if (!c.text.isEmpty()) {
                lastRow_ = std::max(lastRow_, c.row);
            }
        }
    }

    int LastRow() const override { return lastRow_; }

    QString Cell(int row, int column) const override {
        const SheetCell* found = Find(row, column);
        return found ? found->text : QString();
    }

    int ShownDecimals(int row, int column) const override {
        const SheetCell* found = Find(row, column);
        return found ? found->decimals : -1;
    }

    bool RowHidden(int row) const override { return hiddenRows_.contains(row); }
    bool ColumnHidden(int column) const override {
        return column >= 1 && static_cast<std::size_t>(column) < hiddenColumns_.size() &&
               hiddenColumns_[static_cast<std::size_t>(column)];
    }
    bool Formula(int row, int column) const override {
        return extras_.formulas.contains(CellKey(row, column));
    }
    std::vector<Area> MergedAreas() const override { return extras_.merged; }

private:
    const SheetCell* Find(int row, int column) const {
        const auto it = std::upper_bound(cells_.begin(), cells_.end(), std::pair{row, column},
                                         [](const std::pair<int, int>& key, const SheetCell& c) {
                                             return key.first != c.row ? key.first < c.row
                                                                       : key.second < c.column;
                                         });
        // The last cell with this reference counts, as when a writer repeats one.
        if (it == cells_.begin()) {
            return nullptr;
        }
        const SheetCell& found = *(it - 1);
        return found.row == row && found.column == column ? &found : nullptr;
    }

    std::vector<SheetCell> cells_;
    int lastRow_ = 0;
    QSet<int> hiddenRows_;
    std::vector<bool> hiddenColumns_;
    SheetExtras extras_;
};

class XlsxBook : public Book {
public:
    explicit XlsxBook(const QByteArray& bytes) : package_(bytes) {
        QString workbook = QStringLiteral("xl/workbook.xml");
        for (const Relationship& rel : ReadRelationships(package_, QString())) {
            if (rel.type.endsWith(u"/officeDocument")) {
                workbook = rel.target;
            }
        }
        if (!package_.Has(workbook)) {
            Damaged();
        }
        const auto rels = ReadRelationships(package_, workbook);
        for (const Relationship& rel : rels) {
            if (rel.type.endsWith(u"/styles")) {
                stylesPart_ = rel.target;
            } else if (rel.type.endsWith(u"/sharedStrings")) {
                sharedStringsPart_ = rel.target;
            }
        }
        QXmlStreamReader xml(package_.Read(workbook));
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement()) {
                continue;
            }
            if (xml.name() == u"workbookPr") {
                const auto v = xml.attributes().value(QLatin1StringView("date1904"));
                date1904_ = v == u"1" || v == u"true";
            } else if (xml.name() == u"sheet") {
                const auto rel = rels.find(RelationshipAttribute(xml.attributes()));
                if (rel != rels.end() && rel->type.endsWith(u"/worksheet")) {
                    const auto a = xml.attributes();
                    const auto state = a.value(QLatin1StringView("state"));
                    worksheets_.append(rel->target);
                    names_.append(a.value(QLatin1StringView("name")).toString());
                    hidden_.append(state == u"hidden" || state == u"veryHidden");
                }
            }
        }
        if (xml.hasError()) {
            Damaged();
        }
    }

    int WorksheetCount() const override { return static_cast<int>(worksheets_.size()); }
    QString WorksheetName(int index) const override { return names_.value(index - 1); }
    bool WorksheetHidden(int index) const override { return hidden_.value(index - 1); }

    std::unique_ptr<Grid> LoadWorksheet(int index) override {
        if (index < 1 || index > worksheets_.size()) {
            Damaged();
        }
        if (!stylesPart_.isEmpty() && package_.Has(stylesPart_)) {
            styles_ = ReadStyles(package_, stylesPart_);
        }
        if (!sharedStringsPart_.isEmpty() && package_.Has(sharedStringsPart_)) {
            sharedStrings_ = ReadSharedStrings(package_, sharedStringsPart_);
        }
        QSet<int> hiddenRows;
        SheetExtras extras;
        std::vector<SheetCell> cells = ReadCells(worksheets_[index - 1], hiddenRows, extras);
        return std::make_unique<XlsxGrid>(std::move(cells), std::move(hiddenRows),
                                          std::move(extras));
    }

private:
    std::vector<SheetCell> ReadCells(const QString& part, QSet<int>& hiddenRows,
                                     SheetExtras& extras) const {
        std::vector<SheetCell> cells;
        int row = 0;
        int column = 0;
        // The cell being read.
        bool inCell = false;
        bool formula = false;
        QString type;
        int style = 0;
        QString value;
        bool inValue = false;
        bool inInline = false;
        int phonetic = 0;
        bool inText = false;
        QString inlineText;
        StreamXml(package_, part, kMaxPartBytes, [&](QXmlStreamReader& xml) {
            if (xml.isStartElement()) {
                const auto name = xml.name();
                if (name == u"row") {
                    const auto r = xml.attributes().value(QLatin1StringView("r"));
                    if (r.isEmpty()) {
                        ++row;
                    } else {
                        bool ok = false;
                        const int n = r.toInt(&ok);
                        if (!ok || n < 1 || n > 1048576) {
                            Damaged();
                        }
                        row = n;
                    }
                    const auto hidden = xml.attributes().value(QLatin1StringView("hidden"));
                    if (hidden == u"1" || hidden == u"true") {
                        hiddenRows.insert(row);
                    }
                    column = 0;
                } else if (name == u"c") {
                    const auto a = xml.attributes();
                    const auto ref = a.value(QLatin1StringView("r"));
                    if (ref.isEmpty()) {
                        ++column;
                        if (row == 0 || column > kMaxColumns) {
                            Damaged();
                        }
                    } else {
                        int refRow = 0;
                        if (!ParseReference(ref, column, refRow)) {
                            Damaged();
                        }
                        row = refRow;
                    }
                    inCell = true;
                    formula = false;
                    type = a.value(QLatin1StringView("t")).toString();
                    style = a.value(QLatin1StringView("s")).toInt();
                    value.clear();
                    inlineText.clear();
                } else if (inCell && name == u"v") {
                    inValue = true;
                } else if (inCell && name == u"f") {
                    formula = true;
                } else if (name == u"col") {
                    // Columns min to max, hidden when marked so or made zero wide.
                    const auto a = xml.attributes();
                    const int first = std::max(a.value(QLatin1StringView("min")).toInt(), 1);
                    const int last =
                        std::min(a.value(QLatin1StringView("max")).toInt(), kMaxColumns);
                    const auto hidden = a.value(QLatin1StringView("hidden"));
                    bool widthGiven = false;
                    const double width = a.value(QLatin1StringView("width")).toDouble(&widthGiven);
                    if ((hidden == u"1" || hidden == u"true" || (widthGiven && width == 0)) &&
                        first <= last) {
                        if (static_cast<qint64>(extras.hiddenColumns.size()) >= kMaxCells) {
                            throw ReadFailure{Failure::TooLarge};
                        }
                        extras.hiddenColumns.emplace_back(first, last);
                    }
                } else if (name == u"mergeCell") {
                    // "B2:C3"; a single reference is an area of one cell.
                    const auto ref = xml.attributes().value(QLatin1StringView("ref"));
                    const qsizetype colon = ref.indexOf(u':');
                    Area area;
                    if (!ParseReference(ref.left(colon < 0 ? ref.size() : colon), area.left,
                                        area.top) ||
                        !ParseReference(colon < 0 ? ref : ref.sliced(colon + 1), area.right,
                                        area.bottom)) {
                        Damaged();
                    }
                    if (area.bottom < area.top) {
                        std::swap(area.top, area.bottom);
                    }
                    if (area.right < area.left) {
                        std::swap(area.left, area.right);
                    }
                    if (static_cast<qint64>(extras.merged.size()) >= kMaxCells) {
                        throw ReadFailure{Failure::TooLarge};
                    }
                    extras.merged.push_back(area);
                } else if (inCell && name == u"is") {
                    inInline = true;
                } else if (inInline && name == u"rPh") {
                    ++phonetic;
                } else if (inInline && name == u"t" && phonetic == 0) {
                    inText = true;
                }
            } else if (xml.isCharacters()) {
                if (inValue) {
                    value += xml.text();
                } else if (inText) {
                    inlineText += xml.text();
                }
            } else if (xml.isEndElement()) {
                const auto name = xml.name();
                if (name == u"v") {
                    inValue = false;
                } else if (name == u"t") {
                    inText = false;
                } else if (name == u"rPh") {
                    --phonetic;
                } else if (name == u"is") {
                    inInline = false;
                } else if (name == u"c" && inCell) {
                    inCell = false;
                    qint8 decimals = -1;
                    QString text = CellText(type, style, value, inlineText, decimals);
                    if (formula) {
                        if (static_cast<qint64>(extras.formulas.size()) >= kMaxCells) {
                            throw ReadFailure{Failure::TooLarge};
                        }
                        extras.formulas.insert(CellKey(row, column));
                    }
                    if (!text.isEmpty()) {
                        if (static_cast<qint64>(cells.size()) >= kMaxCells) {
                            throw ReadFailure{Failure::TooLarge};
                        }
                        cells.push_back(
                            {row, static_cast<qint16>(column), decimals, std::move(text)});
                    }
                }
            }
        });
        return cells;
    }

    // The text of a cell; a number's cell gives the decimals its format shows too.
    QString CellText(const QString& type, int style, const QString& value,
                     const QString& inlineText, qint8& decimals) const {
        if (type == u"inlineStr") {
            return inlineText;
        }
        if (value.isEmpty()) {
            return {};
        }
        if (type == u"s") {
            bool ok = false;
            const int index = value.trimmed().toInt(&ok);
            if (!ok || index < 0 || index >= sharedStrings_.size()) {
                Damaged();
            }
            return sharedStrings_[index];
        }
        if (type == u"str" || type == u"e") {
            return value;
        }
        if (type == u"b") {
            return BoolText(value.trimmed() == u"1" || value.trimmed() == u"true");
        }
        if (type == u"d") {
            return IsoDateText(value.trimmed());
        }
        double number = 0;
        if (!ParseNumber(value, number)) {
            Damaged();
        }
        const StyleFormat format = style >= 0 && static_cast<std::size_t>(style) < styles_.size()
                                       ? styles_[static_cast<std::size_t>(style)]
                                       : StyleFormat{};
        decimals = format.decimals;
        return format.date ? SerialDateText(number, date1904_) : GeneralNumber(number);
    }

    Package package_;
    QStringList worksheets_;
    QStringList names_;
    QList<bool> hidden_;
    QString stylesPart_;
    QString sharedStringsPart_;
    bool date1904_ = false;
    std::vector<StyleFormat> styles_;
    QStringList sharedStrings_;
};

}  // namespace

std::unique_ptr<Book> ReadXlsx(const QByteArray& bytes) {
    return std::make_unique<XlsxBook>(bytes);
}

}  // namespace sheet
