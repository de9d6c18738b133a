#include "platform/report/render.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

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

QByteArray ExportPdf(const PreparedReport& report, const QString& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("corppay"));
        if (!report.pages.empty()) {
            writer.setPageLayout(PaperLayout(report.pages.front()));
        }
        QPainter painter(&writer);
        PageRenderer renderer(report);
        for (std::size_t i = 0; i < report.pages.size(); ++i) {
            if (i > 0) {
                writer.setPageLayout(PaperLayout(report.pages[i]));
                writer.newPage();
            }
            renderer.Paint(painter, static_cast<int>(i));
        }
    }
    return RewriteToUnicode(bytes, PrintedCharacters(report));
}

bool PrintPages(const PreparedReport& report, QPrinter& printer) {
    const int count = static_cast<int>(report.pages.size());
    int first = 1;
    int last = count;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(1, printer.fromPage());
        last = std::min(count, printer.toPage() > 0 ? printer.toPage() : count);
    }
    if (first > last) {
        return true;
    }
    printer.setFullPage(true);
    printer.setPageLayout(PaperLayout(report.pages[static_cast<std::size_t>(first - 1)]));
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    PageRenderer renderer(report);
    for (int page = first; page <= last; ++page) {
        if (page > first) {
            printer.setPageLayout(PaperLayout(report.pages[static_cast<std::size_t>(page - 1)]));
            printer.newPage();
        }
        renderer.Paint(painter, page - 1);
    }
    return painter.end();
}

}  // namespace report
