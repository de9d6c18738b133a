// The objects a report template is made of: pages, bands, text boxes (memos) and cross views,
// with the text styles they print in. Lengths are millimetres; font heights, frame widths and
// text gaps are pixels of 1/96 inch, as report designers count them.
#pragma once

#include <QColor>
#include <QHash>
#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

namespace report {

// A font as the template names it. The family is tried first; installed CJK serif fonts stand
// in for it where it is missing (宋体 exists only on Windows).
struct FontDef {
    QString name = QStringLiteral("宋体");
    double height = 13;  // pixels of 1/96 inch
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor color = Qt::black;
    bool operator==(const FontDef&) const = default;
};

enum FrameSide { kFrameLeft = 1, kFrameTop = 2, kFrameRight = 4, kFrameBottom = 8, kFrameAll = 15 };

// How a box and its text print.
struct TextStyle {
    FontDef font;
    QColor fill;            // invalid: no background
    int frame = 0;          // FrameSide bits
    double frameWidth = 1;  // px
    QColor frameColor = Qt::black;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    double gapX = 2;  // px between the frame and the text
    double gapY = 1;
    bool wordWrap = true;
    bool operator==(const TextStyle&) const = default;
};

}  // namespace report

// Every object placed on a band.
class TfrxReportComponent {
public:
    virtual ~TfrxReportComponent() = default;
    QString Name;
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
    // A memo that is not visible takes its place in the band but prints nothing; the
    // before-print event may change it.
    bool Visible = true;
};

// A text box. "[Date]" and "[Page]" in its text become the date of preparation and the number
// of the page it prints on, "[Name]" the value of the report's variable Name.
class TfrxMemoView : public TfrxReportComponent {
public:
    QString Text;
    report::TextStyle Style;
};

// A cross-tab with one level of lines, columns and cells: the program adds (line, column,
// cell) values; lines and columns keep the order in which they were first added, a cell keeps
// the last value added to it. Only the column header prints; there are no totals.
class TfrxCrossView : public TfrxReportComponent {
public:
    // One value per level in each list; equal values name the same line or column.
    void AddValue(const QVariantList& Rows, const QVariantList& Columns, const QVariantList& Cells);
    // Empties the view before it prints again.
    void ClearValues();

    int RowCount() const { return static_cast<int>(cells_.size()); }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const QString& RowValue(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    const QString& ColumnValue(int column) const {
        return columns_[static_cast<std::size_t>(column)];
    }
    // Empty where no value was added.
    QString Cell(int row, int column) const;

    bool Border = true;
    bool RepeatHeaders = true;    // column headers on every page the list continues on
    bool DownThenAcross = false;  // page order when the list is both longer and wider
    double MinWidth = 5;          // column width limits, mm
    double MaxWidth = 60;
    // Columns wider than the page print on one page width where a smaller font, down to
    // MinFontHeight px for the cells (the header shrinks alike), or a landscape page makes them
    // fit: whichever keeps the larger font, the page's own orientation first.
    bool FitWidth = false;
    double MinFontHeight = 10;
    report::TextStyle HeaderStyle;
    report::TextStyle CellStyle;

private:
    std::vector<QString> rows_;
    std::vector<QString> columns_;
    QHash<QString, int> rowIndex_;
    QHash<QString, int> columnIndex_;
    std::vector<std::vector<QString>> cells_;  // per line, per column; shorter rows are empty
};

namespace report {

// The report summary prints once, under the last master data band.
enum class BandType { ReportTitle, PageHeader, MasterData, ReportSummary, PageFooter };

struct Band {
    BandType type = BandType::MasterData;
    QString name;
    double height = 0;
    int rowCount = 1;  // how often a master data band prints
    std::vector<std::unique_ptr<TfrxReportComponent>> components;
};

struct PageDef {
    QString name;
    double width = 210;  // as printed: a landscape page is wider than high
    double height = 297;
    bool landscape = false;
    double leftMargin = 10;
    double topMargin = 10;
    double rightMargin = 10;
    double bottomMargin = 10;
    std::vector<Band> bands;
};

struct ReportTemplate {
    std::vector<PageDef> pages;
};

}  // namespace report
