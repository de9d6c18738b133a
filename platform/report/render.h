// Painting prepared pages on any device: the preview, a printer, a PDF file or an image.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPageLayout>
#include <optional>
#include <vector>

#include "platform/report/layout.h"

class QPainter;
class QPrinter;

namespace report {

// The paper of a prepared page, without margins: pages are painted from the paper's corner.
QPageLayout PaperLayout(const PreparedPage& page);

// Paints pages of one prepared report, keeping the fonts of its styles between pages.
class PageRenderer {
public:
    explicit PageRenderer(const PreparedReport& report);
    // Paints the page with the painter's origin at the paper's top left corner, scaled to the
    // device's resolution. The item at highlight (an index into the page's items) is marked.
    void Paint(QPainter& painter, int page, int highlight = -1);
    // The same at a scale of its own: pixelsPerMm of the painter's coordinates per millimetre.
    void PaintScaled(QPainter& painter, int page, double pixelsPerMm, int highlight = -1);

private:
    const PreparedReport& report_;
    std::vector<QFont> fonts_;
};

// The page as an image at the resolution, white paper.
QImage RenderPageImage(const PreparedReport& report, int page, double dotsPerInch);

// The pages of a print run and the paper they go on.
struct Sheets {
    int first = 1;  // 1-based
    int last = 0;   // 0: the report's last page
    // Every page on this paper, from its corner, scaled down where the page is larger; none:
    // each page on a sheet of its own paper and orientation.
    std::optional<QPageLayout> paper;
};
// What a print dialog chose on the printer: its page range, and its paper where the dialog
// left the size or orientation it opened with (preset) for another.
Sheets PrinterSheets(const QPrinter& printer, const QPageLayout& preset);
// Whether the printer writes a PDF file rather than printing (a print dialog's print to file).
bool WritesPdfFile(const QPrinter& printer);

// The pages as one PDF document, its text reading as the characters printed (see pdftext.h).
QByteArray ExportPdf(const PreparedReport& report, const QString& title, const Sheets& sheets = {});
// The pages on the printer, one sheet each; false when the printer cannot be opened.
bool PrintPages(const PreparedReport& report, QPrinter& printer, const Sheets& sheets);

}  // namespace report
