// Helpers of the report tests: tables to print, the shipped template, the texts of prepared
// pages, PDF text through poppler's tools, ink on rendered pages, modal windows.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "platform/dataset/dataset.h"
#include "platform/report/layout.h"

namespace reporttest {

// The template the program ships.
QString ShippedTemplate();

// A table with one text field per label (named f0, f1, ...; the label as display label), and
// the rows; every row holds one text per field.
std::unique_ptr<Dataset> MakeTable(const QStringList& labels, const QList<QStringList>& rows);

// Texts of a prepared page's items in order.
QStringList PageTexts(const report::PreparedPage& page);

// pdftotext of the document (layout kept), and its page count from pdfinfo.
QString PdfText(const QByteArray& pdf);
int PdfPageCount(const QByteArray& pdf);
// The size of the document's first page as pdfinfo gives it ("842 x 595 pts (A4)").
QString PdfPageSize(const QByteArray& pdf);
// Whether every object the cross-reference table names starts where it says, and every stream
// is as long as its length says (poppler reads past both without a word).
bool PdfStructureHolds(const QByteArray& pdf);
// How a PDF's text differs from the texts of the printed pages first to last (1-based; 0: the
// report's last page): pdftotext's text in content order against the pages' texts one after
// the other, both without white space. Names each printed text the PDF lacks, each Kangxi
// radical or CJK radical supplement character it holds, and both whole texts where they differ
// otherwise; empty when the PDF reads exactly as printed.
QStringList TextDifferences(const QByteArray& pdf, const report::PreparedReport& report,
                            int first = 1, int last = 0);
// The distinct characters of a text other than white space, in order of code.
QString Characters(const QString& text);
// The texts of all prepared pages, one after the other.
QString PreparedText(const report::PreparedReport& report);

// Pixels that are not white.
int InkPixels(const QImage& image);
// Saves a picture for a person to look at when CORPPAY_SNAPSHOT_DIR names a folder.
void Snapshot(const QImage& image, const QString& name);

// Works the print dialog as a user does: chooses the file printer (the last of the printers),
// types the path over the file name offered, turns the paper to portrait in the properties
// when asked, and presses 打印.
void PrintToFile(QWidget* printDialog, const QString& path, bool portrait = false);

// Runs act with the next modal window once it is shown (nullptr when none opened).
void OnNextModal(std::function<void(QWidget*)> act);

}  // namespace reporttest
