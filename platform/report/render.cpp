#include "platform/report/render.h"

#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <functional>
#include <utility>

#include "platform/report/pdftext.h"
#include "platform/report/textbox.h"

namespace report {

QPageLayout PaperLayout(const PreparedPage& page) {
    const QSizeF upright(std::min(page.width, page.height), std::max(page.width, page.height));
    const QPageSize size(upright, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    return QPageLayout(size, page.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(), QPageLayout::Millimeter);
}

PageRenderer::PageRenderer(const PreparedReport& report) : report_(report) {
    fonts_.reserve(report.styles.size());
    for (const TextStyle& style : report.styles) {
        fonts_.push_back(MakeFont(style.font));
    }
}

void PageRenderer::Paint(QPainter& painter, int page, int highlight) {
    PaintScaled(painter, page, painter.device()->logicalDpiX() / 25.4, highlight);
}

void PageRenderer::PaintScaled(QPainter& painter, int page, double pixelsPerMm, int highlight) {
    const PreparedPage& p = report_.pages[static_cast<std::size_t>(page)];
    painter.save();
    const double scale = pixelsPerMm / kUnitsPerMm;
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const PreparedItem& item : p.items) {
        DrawBox(painter, item.rect, item.text, report_.styles[static_cast<std::size_t>(item.style)],
                fonts_[static_cast<std::size_t>(item.style)], item.wrap, item.clip);
    }
    if (highlight >= 0 && highlight < static_cast<int>(p.items.size())) {
        const QRectF r = p.items[static_cast<std::size_t>(highlight)].rect;
        painter.fillRect(QRectF(r.topLeft() * kUnitsPerMm, r.size() * kUnitsPerMm),
                         QColor(255, 160, 0, 110));
    }
    painter.restore();
}

QImage RenderPageImage(const PreparedReport& report, int page, double dotsPerInch) {
    const PreparedPage& p = report.pages[static_cast<std::size_t>(page)];
    const double dotsPerMm = dotsPerInch / 25.4;
    QImage image(static_cast<int>(p.width * dotsPerMm + 0.5),
                 static_cast<int>(p.height * dotsPerMm + 0.5), QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(dotsPerMm * 1000 + 0.5));
    image.setDotsPerMeterY(static_cast<int>(dotsPerMm * 1000 + 0.5));
    image.fill(Qt::white);
    QPainter painter(&image);
    PageRenderer(report).Paint(painter, page);
    return image;
}

namespace {

// The sheet of a page and the scale of the page on it.
struct Sheet {
    QPageLayout layout;
    double scale = 1;
};

Sheet SheetOf(const PreparedPage& page, const Sheets& sheets) {
    if (!sheets.paper) {
        return {PaperLayout(page), 1};
    }
    // The chosen paper without margins: pages are painted from its corner.
    const QPageLayout layout(sheets.paper->pageSize(), sheets.paper->orientation(), QMarginsF(),
                             QPageLayout::Millimeter);
    const QSizeF paper = layout.fullRect(QPageLayout::Millimeter).size();
    return {layout, std::min({1.0, paper.width() / page.width, paper.height() / page.height})};
}

// The first and last page (1-based) the sheets select; first > last when none.
std::pair<int, int> Selected(const PreparedReport& report, const Sheets& sheets) {
    const int count = static_cast<int>(report.pages.size());
    return {std::max(1, sheets.first), sheets.last > 0 ? std::min(count, sheets.last) : count};
}

// Paints the pages the sheets select on the device, one sheet each; setLayout gives the device
// a sheet's layout. False when the device cannot be opened; nothing is painted when no page is
// selected.
bool PaintSheets(const PreparedReport& report, QPagedPaintDevice& device, const Sheets& sheets,
                 const std::function<void(const QPageLayout&)>& setLayout) {
    const auto [first, last] = Selected(report, sheets);
    if (first > last) {
        return true;
    }
    const auto sheet = [&](int page) {
        return SheetOf(report.pages[static_cast<std::size_t>(page - 1)], sheets);
    };
    setLayout(sheet(first).layout);
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    PageRenderer renderer(report);
    for (int page = first; page <= last; ++page) {
        const Sheet s = sheet(page);
        if (page > first) {
            setLayout(s.layout);
            device.newPage();
        }
        renderer.PaintScaled(painter, page - 1, device.logicalDpiX() / 25.4 * s.scale);
    }
    return painter.end();
}

}  // namespace

Sheets PrinterSheets(const QPrinter& printer, const QPageLayout& preset) {
    Sheets sheets;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        sheets.first = printer.fromPage();
        sheets.last = std::max(printer.toPage(), 0);
    }
    const QPageLayout chosen = printer.pageLayout();
    if (!chosen.pageSize().isEquivalentTo(preset.pageSize()) ||
        chosen.orientation() != preset.orientation()) {
        sheets.paper = chosen;
    }
    return sheets;
}

bool WritesPdfFile(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

QByteArray ExportPdf(const PreparedReport& report, const QString& title, const Sheets& sheets) {
    const auto [first, last] = Selected(report, sheets);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("corppay"));
        if (first > last) {
            // A document of one blank page rather than no document at all.
            QPainter(&writer).end();
        } else {
            PaintSheets(report, writer, sheets,
                        [&writer](const QPageLayout& layout) { writer.setPageLayout(layout); });
        }
    }
    return RewriteToUnicode(bytes, PrintedCharacters(report, first - 1, last - 1));
}

bool PrintPages(const PreparedReport& report, QPrinter& printer, const Sheets& sheets) {
    printer.setFullPage(true);
    return PaintSheets(report, printer, sheets,
                       [&printer](const QPageLayout& layout) { printer.setPageLayout(layout); });
}

}  // namespace report
