#include "platform/report/report.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include "platform/report/preview.h"
#include "platform/report/render.h"
#include "platform/report/templatereader.h"
#include "platform/text/apperror.h"

TfrxReport::TfrxReport(Dialogs& dialogs, FileWriter writeFile, QObject* parent)
    : QObject(parent), dialogs_(dialogs), writeFile_(std::move(writeFile)) {}

TfrxReport::~TfrxReport() = default;

void TfrxReport::Clear() {
    template_ = {};
    prepared_ = {};
    Variables.clear();
    title_.clear();
}

bool TfrxReport::LoadFromFile(const QString& fileName, bool raiseIfMissing) {
    Clear();
    const bool exists = QFileInfo(fileName).isFile();
    if (!exists && !raiseIfMissing) {
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        throw MakeError(msg::kCannotOpenFile, fileName);
    }
    // One byte more than a template may have lets the reader refuse an oversized file.
    template_ = report::ReadTemplate(file.read(report::kMaxTemplateBytes + 1), fileName);
    title_ = QFileInfo(fileName).completeBaseName();
    return exists;
}

void TfrxReport::PrepareReport() {
    prepared_ = {};
    prepared_ = report::Prepare(template_, OnBeforePrint, QDate::currentDate(), Variables);
}

void TfrxReport::ShowPreparedReport() {
    TfrxPreviewForm form(*this, QApplication::activeWindow());
    form.Execute();
}

TfrxReportComponent* TfrxReport::FindObject(const QString& name) const {
    for (const report::PageDef& page : template_.pages) {
        for (const report::Band& band : page.bands) {
            for (const auto& c : band.components) {
                if (c->Name == name) {
                    return c.get();
                }
            }
        }
    }
    return nullptr;
}

QPageLayout TfrxReport::PageSetup() const {
    if (template_.pages.empty()) {
        return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(),
                           QPageLayout::Millimeter);
    }
    const report::PageDef& p = template_.pages.front();
    report::PreparedPage paper;
    paper.width = p.width;
    paper.height = p.height;
    paper.landscape = p.landscape;
    QPageLayout layout = report::PaperLayout(paper);
    layout.setMargins(QMarginsF(p.leftMargin, p.topMargin, p.rightMargin, p.bottomMargin));
    return layout;
}

void TfrxReport::SetPageSetup(const QPageLayout& layout) {
    const QSizeF size = layout.fullRect(QPageLayout::Millimeter).size();
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    for (report::PageDef& p : template_.pages) {
        p.width = size.width();
        p.height = size.height();
        p.landscape = layout.orientation() == QPageLayout::Landscape;
        p.leftMargin = margins.left();
        p.topMargin = margins.top();
        p.rightMargin = margins.right();
        p.bottomMargin = margins.bottom();
    }
}

QByteArray TfrxReport::ExportToPdf(const report::Sheets& sheets) const {
    return report::ExportPdf(prepared_, title_, sheets);
}

void TfrxReport::ExportToPdfFile(const QString& path, const report::Sheets& sheets) const {
    if (!writeFile_(path, ExportToPdf(sheets))) {
        throw MakeError(msg::kCannotCreateFile, path);
    }
}

bool TfrxReport::Print(QPrinter& printer, const report::Sheets& sheets) const {
    return report::PrintPages(prepared_, printer, sheets);
}
