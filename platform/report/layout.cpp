#include "platform/report/layout.h"

#include <QHash>
#include <algorithm>
#include <optional>

#include "platform/report/textbox.h"
#include "platform/text/apperror.h"

namespace report {

namespace {

constexpr double kEpsilon = 0.001;
// Added to a column's measured width so that a text measured to fit is never broken when a
// device rounds its glyphs slightly wider.
constexpr double kWidthSlack = 0.5;

// Column widths and line heights of a filled cross view in its two styles.
struct CrossGeometry {
    TextStyle headerStyle;
    TextStyle cellStyle;
    std::vector<double> headerNatural;  // per column: the header's width on one line
    std::vector<double> cellNatural;    // per column: the widest cell's width on one line
    std::vector<double> widths;
    double headerHeight = 0;
    std::vector<char> headerWrap;
    std::vector<double> rowHeights;
    std::vector<char> cellWrap;  // line * columns + column
};

class Layouter {
public:
    Layouter(PageDef& page, PreparedReport& out, const BeforePrint& beforePrint,
             const QString& date, const Variables& variables)
        : page_(page), out_(out), beforePrint_(beforePrint), date_(date), variables_(variables) {
        for (Band& band : page_.bands) {
            if (band.type == BandType::PageHeader) {
                header_ = &band;
            } else if (band.type == BandType::PageFooter) {
                footer_ = &band;
            }
        }
    }

    void Run() {
        StartPage();
        for (Band& band : page_.bands) {
            if (band.type == BandType::ReportTitle) {
                PrintBand(band, true);
            }
        }
        // On the first page the page header follows the title.
        if (header_) {
            PrintBand(*header_, false);
        }
        for (Band& band : page_.bands) {
            if (band.type == BandType::MasterData) {
                for (int i = 0; i < band.rowCount; ++i) {
                    PrintBand(band, true);
                }
            }
        }
        for (Band& band : page_.bands) {
            if (band.type == BandType::ReportSummary) {
                PrintBand(band, true);
            }
        }
        FinishPage();
    }

    // Whether a cross view of the page fits across only when the page is turned.
    bool WantsLandscape() const { return wantsLandscape_; }

private:
    double Bottom() const {
        return page_.height - page_.bottomMargin - (footer_ ? footer_->height : 0);
    }
    double DataTop() const { return page_.topMargin + (header_ ? header_->height : 0); }
    double AvailableWidth(const TfrxReportComponent& c) const {
        return std::max(1.0, page_.width - page_.leftMargin - page_.rightMargin - c.Left);
    }
    // The same on the page turned to landscape, the margins staying on their sides.
    double LandscapeWidth(const TfrxReportComponent& c) const {
        return std::max(1.0, std::max(page_.width, page_.height) - page_.leftMargin -
                                 page_.rightMargin - c.Left);
    }

    void StartPage() {
        if (static_cast<int>(out_.pages.size()) >= kMaxPreparedPages) {
            throw AppError(
                QStringLiteral("报表超过 %1 页，无法生成，请分批打印。").arg(kMaxPreparedPages));
        }
        PreparedPage page;
        page.width = page_.width;
        page.height = page_.height;
        page.landscape = page_.landscape;
        out_.pages.push_back(std::move(page));
        y_ = page_.topMargin;
    }

    void FinishPage() {
        if (footer_) {
            CallBeforePrint(*footer_);
            PlaceMemos(*footer_, page_.height - page_.bottomMargin - footer_->height);
        }
    }

    void NewPage() {
        FinishPage();
        StartPage();
        if (header_) {
            PrintBand(*header_, false);
        }
    }

    // Resets every component of the band and hands it to the event; returns its cross view.
    TfrxCrossView* CallBeforePrint(Band& band) {
        TfrxCrossView* cross = nullptr;
        for (const auto& c : band.components) {
            if (auto* view = dynamic_cast<TfrxCrossView*>(c.get())) {
                view->ClearValues();
                cross = view;
            }
            if (beforePrint_) {
                beforePrint_(c.get());
            }
        }
        return cross;
    }

    void PrintBand(Band& band, bool mayBreak) {
        TfrxCrossView* cross = CallBeforePrint(band);
        std::optional<CrossGeometry> geometry;
        double needed = band.height;
        if (cross && cross->ColumnCount() > 0) {
            geometry = Measure(*cross, cross->HeaderStyle, cross->CellStyle);
            if (cross->FitWidth) {
                FitAcross(*cross, *geometry);
            }
            const double firstRow = geometry->rowHeights.empty() ? 0 : geometry->rowHeights[0];
            needed = std::max(needed, cross->Top + geometry->headerHeight + firstRow);
        }
        if (mayBreak && y_ + needed > Bottom() + kEpsilon && y_ > DataTop() + kEpsilon) {
            NewPage();
        }
        const double top = y_;
        const std::size_t page = out_.pages.size();
        PlaceMemos(band, top);
        double end = top + band.height;
        if (geometry) {
            const double crossEnd = PlaceCross(*cross, *geometry, top + cross->Top);
            end = out_.pages.size() == page ? std::max(end, crossEnd) : crossEnd;
        }
        y_ = end;
    }

    int StyleIndex(const TextStyle& style) {
        const auto it = std::find(out_.styles.begin(), out_.styles.end(), style);
        if (it != out_.styles.end()) {
            return static_cast<int>(it - out_.styles.begin());
        }
        out_.styles.push_back(style);
        return static_cast<int>(out_.styles.size()) - 1;
    }

    void PlaceMemos(Band& band, double top) {
        for (const auto& c : band.components) {
            auto* memo = dynamic_cast<TfrxMemoView*>(c.get());
            if (memo && memo->Visible) {
                PlaceMemo(*memo, top);
            }
        }
    }

    // The memo's text with [Date], [Page] and the variables in brackets put in; any other
    // text in brackets prints as written.
    QString Expand(const QString& text) const {
        if (!text.contains(u'[')) {
            return text;
        }
        QString result;
        qsizetype at = 0;
        while (at < text.size()) {
            const qsizetype open = text.indexOf(u'[', at);
            const qsizetype close = open < 0 ? -1 : text.indexOf(u']', open + 1);
            if (close < 0) {
                result += QStringView(text).sliced(at);
                break;
            }
            result += QStringView(text).sliced(at, open - at);
            const QString name = text.sliced(open + 1, close - open - 1);
            if (name.contains(u'[')) {
                result += u'[';
                at = open + 1;
                continue;
            }
            if (name == u"Date") {
                result += date_;
            } else if (name == u"Page") {
                result += QString::number(out_.pages.size());
            } else if (const auto value = variables_.constFind(name); value != variables_.cend()) {
                result += *value;
            } else {
                result += QStringView(text).sliced(open, close - open + 1);
            }
            at = close + 1;
        }
        return result;
    }

    void PlaceMemo(const TfrxMemoView& memo, double bandTop) {
        const TextStyle& s = memo.Style;
        const QString text = Expand(memo.Text);
        const TextMeasure measure(s.font);
        const double innerWidth = std::max(0.0, memo.Width - 2 * s.gapX * kMmPerPx);
        const double innerHeight = std::max(0.0, memo.Height - 2 * s.gapY * kMmPerPx);
        const double natural = measure.NaturalWidth(text);
        const bool wrap = s.wordWrap && (natural > innerWidth + kEpsilon || text.contains(u'\n'));
        const double height = wrap ? measure.WrappedHeight(text, innerWidth)
                                   : measure.LineHeight() * (text.count(u'\n') + 1);
        const bool clip = height > innerHeight + kEpsilon || natural > innerWidth + kEpsilon;
        out_.pages.back().items.push_back(
            {QRectF(page_.leftMargin + memo.Left, bandTop + memo.Top, memo.Width, memo.Height),
             text, StyleIndex(s), wrap, clip});
    }

    // The width of a column whose header and widest cell are that wide on one line.
    static double ColumnWidth(const TfrxCrossView& cross, const TextStyle& header,
                              const TextStyle& cell, double headerNatural, double cellNatural,
                              double available) {
        const double maxWidth = std::min(cross.MaxWidth, available);
        const double minWidth = std::min(cross.MinWidth, maxWidth);
        const double natural = std::max(headerNatural + 2 * header.gapX * kMmPerPx,
                                        cellNatural + 2 * cell.gapX * kMmPerPx);
        return std::clamp(natural + kWidthSlack, minWidth, maxWidth);
    }

    // The columns' width in all when the fonts are scaled by the factor, estimated from the
    // texts' widths at the measured fonts.
    static double ScaledWidth(const TfrxCrossView& cross, const CrossGeometry& g, double factor,
                              double available) {
        double width = 0;
        for (std::size_t j = 0; j < g.widths.size(); ++j) {
            width += ColumnWidth(cross, g.headerStyle, g.cellStyle, g.headerNatural[j] * factor,
                                 g.cellNatural[j] * factor, available);
        }
        return width;
    }

    // The largest font factor within [least, 1] at which the columns fit the width; 0 when
    // not even the least does.
    static double FitFactor(const TfrxCrossView& cross, const CrossGeometry& g, double least,
                            double available) {
        if (ScaledWidth(cross, g, 1, available) <= available + kEpsilon) {
            return 1;
        }
        if (ScaledWidth(cross, g, least, available) > available + kEpsilon) {
            return 0;
        }
        double fits = least;
        double wide = 1;
        for (int i = 0; i < 40; ++i) {
            const double mid = (fits + wide) / 2;
            (ScaledWidth(cross, g, mid, available) <= available + kEpsilon ? fits : wide) = mid;
        }
        return fits;
    }

    static double Sum(const std::vector<double>& values) {
        double sum = 0;
        for (double v : values) {
            sum += v;
        }
        return sum;
    }

    // Columns wider than the page: the cross view takes a smaller font that fits them on one
    // page width, or asks for the page turned when landscape keeps a larger font. Where
    // neither fits, the columns continue across pages at the template's font.
    void FitAcross(const TfrxCrossView& cross, CrossGeometry& g) {
        const double available = AvailableWidth(cross);
        if (Sum(g.widths) <= available + kEpsilon) {
            return;
        }
        const double cellHeight = g.cellStyle.font.height;
        const double least = std::min(1.0, cross.MinFontHeight / cellHeight);
        const double here = FitFactor(cross, g, least, available);
        if (!page_.landscape && FitFactor(cross, g, least, LandscapeWidth(cross)) > here) {
            wantsLandscape_ = true;
            return;
        }
        // Font heights go by tenths of a pixel; measuring again may show a text a little
        // wider than estimated, so a few steps down are tried.
        double height = std::floor(cellHeight * here * 10) / 10;
        for (int step = 0; here > 0 && step < 5 && height + kEpsilon >= cross.MinFontHeight;
             ++step, height -= 0.1) {
            const double factor = height / cellHeight;
            TextStyle header = g.headerStyle;
            TextStyle cell = g.cellStyle;
            header.font.height = std::max(1.0, std::round(header.font.height * factor * 10) / 10);
            cell.font.height = height;
            CrossGeometry smaller = Measure(cross, header, cell);
            if (Sum(smaller.widths) <= available + kEpsilon) {
                g = std::move(smaller);
                return;
            }
        }
    }

    CrossGeometry Measure(const TfrxCrossView& cross, const TextStyle& headerStyle,
                          const TextStyle& cellStyle) const {
        const TextMeasure headerMeasure(headerStyle.font);
        const TextMeasure cellMeasure(cellStyle.font);
        const int rows = cross.RowCount();
        const int cols = cross.ColumnCount();
        const double headerGapX = 2 * headerStyle.gapX * kMmPerPx;
        const double headerGapY = 2 * headerStyle.gapY * kMmPerPx;
        const double cellGapX = 2 * cellStyle.gapX * kMmPerPx;
        const double cellGapY = 2 * cellStyle.gapY * kMmPerPx;

        CrossGeometry g;
        g.headerStyle = headerStyle;
        g.cellStyle = cellStyle;
        std::vector<double>& headerNatural = g.headerNatural;
        std::vector<double> cellNatural(static_cast<std::size_t>(rows) * cols);
        headerNatural.resize(static_cast<std::size_t>(cols));
        g.cellNatural.assign(static_cast<std::size_t>(cols), 0);
        for (int j = 0; j < cols; ++j) {
            headerNatural[j] = headerMeasure.NaturalWidth(cross.ColumnValue(j));
        }
        for (int i = 0; i < rows; ++i) {
            for (int j = 0; j < cols; ++j) {
                const QString text = cross.Cell(i, j);
                const double natural = text.isEmpty() ? 0 : cellMeasure.NaturalWidth(text);
                cellNatural[static_cast<std::size_t>(i) * cols + j] = natural;
                g.cellNatural[j] = std::max(g.cellNatural[j], natural);
            }
        }
        g.widths.resize(static_cast<std::size_t>(cols));
        for (int j = 0; j < cols; ++j) {
            g.widths[j] = ColumnWidth(cross, headerStyle, cellStyle, headerNatural[j],
                                      g.cellNatural[j], AvailableWidth(cross));
        }

        // A text wider than its column, or holding line breaks, is broken into lines. Lists
        // repeat their long texts (bank names), so each text is broken once per width.
        using Cache = QHash<std::pair<QString, double>, double>;
        Cache headerCache;
        Cache cellCache;
        const auto height = [](Cache& wrapped, const TextMeasure& m, const QString& text,
                               double natural, double inner, char& wrap) {
            if (natural <= inner + kEpsilon && !text.contains(u'\n')) {
                return m.LineHeight();
            }
            wrap = 1;
            const std::pair<QString, double> key(text, inner);
            auto it = wrapped.constFind(key);
            if (it == wrapped.cend()) {
                it = wrapped.insert(key, std::max(m.LineHeight(), m.WrappedHeight(text, inner)));
            }
            return *it;
        };
        g.headerWrap.assign(static_cast<std::size_t>(cols), 0);
        g.headerHeight = headerMeasure.LineHeight() + headerGapY;
        for (int j = 0; j < cols; ++j) {
            g.headerHeight =
                std::max(g.headerHeight,
                         height(headerCache, headerMeasure, cross.ColumnValue(j), headerNatural[j],
                                g.widths[j] - headerGapX, g.headerWrap[j]) +
                             headerGapY);
        }
        g.cellWrap.assign(cellNatural.size(), 0);
        g.rowHeights.resize(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            double h = cellMeasure.LineHeight() + cellGapY;
            for (int j = 0; j < cols; ++j) {
                const std::size_t k = static_cast<std::size_t>(i) * cols + j;
                h = std::max(h, height(cellCache, cellMeasure, cross.Cell(i, j), cellNatural[k],
                                       g.widths[j] - cellGapX, g.cellWrap[k]) +
                                    cellGapY);
            }
            g.rowHeights[i] = h;
        }
        return g;
    }

    // Places the cross view from top on the current page, continuing on new pages below and
    // across; returns where it ends on the last page.
    double PlaceCross(const TfrxCrossView& cross, const CrossGeometry& g, double top) {
        const int rows = cross.RowCount();
        const int cols = cross.ColumnCount();
        const double available = AvailableWidth(cross);

        // Columns that fit side by side on one page.
        std::vector<std::pair<int, int>> columnChunks;
        for (int j = 0; j < cols;) {
            const int start = j;
            double width = 0;
            while (j < cols && (j == start || width + g.widths[j] <= available + kEpsilon)) {
                width += g.widths[j];
                ++j;
            }
            columnChunks.emplace_back(start, j);
        }
        // Lines that fit one under the other: from top on this page, from the top of the data
        // area on the next ones. A line taller than a whole page still gets a page of its own.
        std::vector<std::pair<int, int>> rowChunks;
        double chunkTop = top;
        int i = 0;
        do {
            double y = chunkTop + (rowChunks.empty() || cross.RepeatHeaders ? g.headerHeight : 0);
            const int start = i;
            while (i < rows && (i == start || y + g.rowHeights[i] <= Bottom() + kEpsilon)) {
                y += g.rowHeights[i];
                ++i;
            }
            rowChunks.emplace_back(start, i);
            chunkTop = DataTop();
        } while (i < rows);

        std::vector<std::pair<std::size_t, std::size_t>> order;
        for (std::size_t a = 0; a < (cross.DownThenAcross ? columnChunks : rowChunks).size(); ++a) {
            for (std::size_t b = 0; b < (cross.DownThenAcross ? rowChunks : columnChunks).size();
                 ++b) {
                order.emplace_back(cross.DownThenAcross ? b : a, cross.DownThenAcross ? a : b);
            }
        }

        const int headerStyle = StyleIndex(g.headerStyle);
        const int cellStyle = StyleIndex(g.cellStyle);
        TextStyle border;
        border.frame = kFrameAll;
        border.frameWidth = g.cellStyle.frameWidth;
        border.frameColor = g.cellStyle.frameColor;
        const int borderStyle = StyleIndex(border);
        const double left = page_.leftMargin + cross.Left;
        double end = top;
        for (std::size_t k = 0; k < order.size(); ++k) {
            const auto [rowChunk, columnChunk] = order[k];
            const auto [firstRow, endRow] = rowChunks[rowChunk];
            const auto [firstColumn, endColumn] = columnChunks[columnChunk];
            double y = top;
            if (k > 0) {
                NewPage();
                y = DataTop();
            }
            std::vector<PreparedItem>& items = out_.pages.back().items;
            const double blockTop = y;
            double x = left;
            if (rowChunk == 0 || cross.RepeatHeaders) {
                for (int j = firstColumn; j < endColumn; ++j) {
                    items.push_back({QRectF(x, y, g.widths[j], g.headerHeight),
                                     cross.ColumnValue(j), headerStyle, g.headerWrap[j] != 0,
                                     false});
                    x += g.widths[j];
                }
                y += g.headerHeight;
            }
            for (int r = firstRow; r < endRow; ++r) {
                x = left;
                for (int j = firstColumn; j < endColumn; ++j) {
                    items.push_back(
                        {QRectF(x, y, g.widths[j], g.rowHeights[r]), cross.Cell(r, j), cellStyle,
                         g.cellWrap[static_cast<std::size_t>(r) * cols + j] != 0, false});
                    x += g.widths[j];
                }
                y += g.rowHeights[r];
            }
            if (cross.Border) {
                double width = 0;
                for (int j = firstColumn; j < endColumn; ++j) {
                    width += g.widths[j];
                }
                items.push_back({QRectF(left, blockTop, width, y - blockTop), QString(),
                                 borderStyle, false, false});
            }
            end = y;
        }
        return end;
    }

    PageDef& page_;
    PreparedReport& out_;
    const BeforePrint& beforePrint_;
    QString date_;
    const Variables& variables_;
    Band* header_ = nullptr;
    Band* footer_ = nullptr;
    double y_ = 0;
    bool wantsLandscape_ = false;
};

}  // namespace

PreparedReport Prepare(ReportTemplate& report, const BeforePrint& beforePrint, const QDate& date,
                       const Variables& variables) {
    PreparedReport out;
    const QString dateText = date.toString(QStringLiteral("yyyy-MM-dd"));
    for (PageDef& page : report.pages) {
        const std::size_t first = out.pages.size();
        Layouter layouter(page, out, beforePrint, dateText, variables);
        layouter.Run();
        if (layouter.WantsLandscape()) {
            // The pages go again, turned; the template keeps the orientation it was given.
            out.pages.resize(first);
            PageDef turned = {page.name,
                              std::max(page.width, page.height),
                              std::min(page.width, page.height),
                              true,
                              page.leftMargin,
                              page.topMargin,
                              page.rightMargin,
                              page.bottomMargin,
                              {}};
            turned.bands = std::move(page.bands);
            struct Restore {
                PageDef& page;
                PageDef& turned;
                ~Restore() { page.bands = std::move(turned.bands); }
            } restore{page, turned};
            Layouter(turned, out, beforePrint, dateText, variables).Run();
        }
    }
    return out;
}

}  // namespace report
