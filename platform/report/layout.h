// Preparation: the template's bands laid out on pages, with the before-print event called for
// every component about to print. The result is a list of boxes per page that any device can
// paint (screen, printer, PDF, image).
#pragma once

#include <QDate>
#include <QMap>
#include <QRectF>
#include <QString>
#include <functional>
#include <vector>

#include "platform/report/reportobjects.h"

namespace report {

// A prepared report larger than this is refused rather than exhausting memory.
inline constexpr int kMaxPreparedPages = 10000;

struct PreparedItem {
    QRectF rect;  // mm from the paper's top left corner
    QString text;
    int style = 0;  // index into PreparedReport::styles
    bool wrap = false;
    bool clip = false;
};

struct PreparedPage {
    double width = 210;  // mm
    double height = 297;
    bool landscape = false;
    std::vector<PreparedItem> items;
};

struct PreparedReport {
    std::vector<TextStyle> styles;
    std::vector<PreparedPage> pages;
};

using BeforePrint = std::function<void(TfrxReportComponent*)>;
// The report's variables by name, as memo texts name them in brackets.
using Variables = QMap<QString, QString>;

// Lays the report out. Each time a band prints, each of its components is reset (a cross view
// loses its values), passed to beforePrint, and only then takes its data and is placed; so a
// variable the event sets is printed by the memos placed after it. A page whose cross view fits
// across only in landscape (see TfrxCrossView::FitWidth) is laid out again in landscape.
PreparedReport Prepare(ReportTemplate& report, const BeforePrint& beforePrint, const QDate& date,
                       const Variables& variables = {});

}  // namespace report
