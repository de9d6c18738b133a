// The text of the PDFs the report engine writes, read back with poppler's pdftotext: the
// ToUnicode rewrite over small documents laid out as Qt's writer lays them out, and whole
// reports whose texts Qt's writer alone would lose or misname (radicals for ideographs, digits
// after a letter, ligatures, characters beyond U+FFFF), on their own paper or another.
#include <gtest/gtest.h>

#include <QPrinter>

#include "platform/dialogs/scripteddialogs.h"
#include "platform/report/pdftext.h"
#include "platform/report/render.h"
#include "platform/report/report.h"
#include "tests/report/report_support.h"

namespace {

// A one-page document as Qt's writer lays it out: a Type0 font (of that PostScript name) whose
// CIDFont gives widths to codes 0 to last, its ToUnicode map holding the sections, and the codes
// drawn in one line.
QByteArray FixturePdf(const QByteArray& sections, const QList<uint>& drawn, uint last,
                      const QByteArray& font = "Fixture-Regular") {
    const QByteArray cmap =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n" +
        sections + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    QByteArray codes;
    for (uint code : drawn) {
        codes += QByteArray::number(code, 16).rightJustified(4, '0');
    }
    const QByteArray content = "BT /F1 20 Tf 10 40 Td <" + codes + "> Tj ET";
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 100]\n"
        "/Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>",
        "<< /Type /Font\n/Subtype /Type0\n/BaseFont /" + font +
            "\n/Encoding /Identity-H\n/DescendantFonts [6 0 R]\n/ToUnicode 7 0 R>>",
        "<<\n/Length " + QByteArray::number(content.size()) + "\n>>\nstream\n" + content +
            "\nendstream",
        "<< /Type /Font\n/Subtype /CIDFontType2\n/BaseFont /" + font +
            "\n"
            "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>\n"
            "/W [0 [1000 ]\n1 " +
            QByteArray::number(last) + " 1000 \n]\n>>",
        "<<\n/Length " + QByteArray::number(cmap.size()) + "\n>>\nstream\n" + cmap + "endstream",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray xref =
        "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (int i = 0; i < objects.size(); ++i) {
        xref += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const QByteArray start = QByteArray::number(pdf.size());
    pdf += xref + "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + start + "\n%%EOF\n";
    return pdf;
}

// pdftotext's text of the document, without white space.
QString Text(const QByteArray& pdf) {
    QString text = reporttest::PdfText(pdf);
    text.removeIf([](QChar c) { return c.isSpace(); });
    return text;
}

report::PrintedText Equivalents() {
    return {report::EquivalentIdeograph, {}};
}

}  // namespace

// Every code of a rewritten map keeps its place, the last of each range included: a list of
// destinations, a run from one destination, a run past a radical, a second section, bfchar
// pairs, and a range that ends on a code whose low byte is FF.
TEST(RewriteToUnicode, EveryCodeOfEveryRangeReadsAsItsIdeograph) {
    struct Case {
        const char* name;
        QByteArray sections;
        QList<uint> drawn;
        const char* before;  // as Qt's writer leaves it
        const char* after;
    };
    const Case cases[] = {
        {"a list ending on a radical",
         "2 beginbfrange\n<0000> <0000> <0000>\n<0001> <0003> [<2F47> <2F45> <2F8F> ]\n"
         "endbfrange\n",
         {1, 2, 3},
         "⽇⽅⾏",
         "日方行"},
        {"a run of radicals from one destination",
         "1 beginbfrange\n<0001> <0003> <2F00>\nendbfrange\n",
         {1, 2, 3},
         "⼀⼁⼂",
         "一丨丶"},
        {"a run of digits, then a list ending on a letter",
         "2 beginbfrange\n<0001> <0003> <0030>\n<0004> <0006> [<2F47> <2F2F> <0041>]\n"
         "endbfrange\n",
         {1, 2, 3, 4, 5, 6},
         "012⽇⼯A",
         "012日工A"},
        {"two sections",
         "1 beginbfrange\n<0001> <0002> [<0041> <2F8F>]\nendbfrange\n"
         "1 beginbfrange\n<0003> <0004> <2F47>\nendbfrange\n",
         {1, 2, 3, 4},
         "A⾏⽇⽈",
         "A行日曰"},
        {"bfchar pairs around a range",
         "2 beginbfchar\n<0001> <2F8F>\n<0002> <0042>\nendbfchar\n"
         "1 beginbfrange\n<0003> <0004> [<0043> <2F45>]\nendbfrange\n"
         "1 beginbfchar\n<0005> <2F2F>\nendbfchar\n",
         {1, 2, 3, 4, 5},
         "⾏BC⽅⼯",
         "行BC方工"},
        {"a range up to code 00FF",
         "1 beginbfrange\n<00FD> <00FF> [<2F45> <0031> <2F47>]\nendbfrange\n",
         {0xFD, 0xFE, 0xFF},
         "⽅1⽇",
         "方1日"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint last = *std::max_element(c.drawn.begin(), c.drawn.end());
        const QByteArray pdf = FixturePdf(c.sections, c.drawn, last);
        ASSERT_TRUE(reporttest::PdfStructureHolds(pdf));
        EXPECT_EQ(Text(pdf), QString::fromUtf8(c.before)) << "the fixture reads as Qt's writer";
        const QByteArray rewritten = report::RewriteToUnicode(pdf, Equivalents());
        EXPECT_TRUE(reporttest::PdfStructureHolds(rewritten));
        EXPECT_EQ(Text(rewritten), QString::fromUtf8(c.after));
    }
}

// Codes a font leaves out of its map are given the font's unnamed characters in order, and
// only when it leaves out exactly as many codes as there are characters; the codes after the
// last named one count too.
TEST(RewriteToUnicode, CodesLeftOutGetTheUnnamedCharactersOfTheirFont) {
    const QByteArray sections =
        "2 beginbfrange\n<0000> <0000> <0000>\n<0001> <0002> [<5409> <2F8F>]\nendbfrange\n"
        "1 beginbfchar\n<0004> <91CE>\nendbfchar\n";
    const QList<uint> drawn = {3, 1, 2, 4, 5};
    struct Case {
        const char* name;
        QByteArray drawnIn;  // the document's font
        QByteArray font;     // the font the unnamed characters are given for
        std::vector<char32_t> unnamed;
        const char* text;
    };
    const QByteArray fixture = "Fixture-Regular";
    const Case cases[] = {
        {"two codes left out, two characters", fixture, fixture, {0x20BB7, 0x2000B}, "𠮷吉行野𠀋"},
        {"one character for two codes", fixture, fixture, {0x20BB7}, "吉行野"},
        {"three characters for two codes", fixture, fixture, {0x20BB7, 0x2000B, 0x2A6D6}, "吉行野"},
        {"the characters of another font", fixture, "Other-Regular", {0x20BB7, 0x2000B}, "吉行野"},
        // Its name starts as the widths' key does: the widths are still found.
        {"a font named W…", "WenQuanYi", "WenQuanYi", {0x20BB7, 0x2000B}, "𠮷吉行野𠀋"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        report::PrintedText text = Equivalents();
        text.unnamed.insert(c.font, c.unnamed);
        const QByteArray rewritten =
            report::RewriteToUnicode(FixturePdf(sections, drawn, 5, c.drawnIn), text);
        EXPECT_TRUE(reporttest::PdfStructureHolds(rewritten));
        EXPECT_EQ(Text(rewritten), QString::fromUtf8(c.text));
    }
}

namespace {

// A report of the shipped template whose cross view prints the rows under the titles.
class PdfText : public ::testing::Test {
protected:
    void Prepare(const QStringList& titles, const QList<QStringList>& rows) {
        report.LoadFromFile(reporttest::ShippedTemplate(), true);
        report.OnBeforePrint = [titles, rows](TfrxReportComponent* c) {
            if (auto* cross = dynamic_cast<TfrxCrossView*>(c)) {
                for (int r = 0; r < rows.size(); ++r) {
                    for (int f = 0; f < titles.size(); ++f) {
                        cross->AddValue({r}, {titles[f]}, {rows[r][f]});
                    }
                }
            }
        };
        report.PrepareReport();
    }

    ScriptedDialogs dialogs;
    TfrxReport report{dialogs, [](const QString&, const QByteArray&) { return true; }};
};

const QStringList kTitles = {QStringLiteral("姓名"), QStringLiteral("部门名称"),
                             QStringLiteral("员工账号"), QStringLiteral("员工编号"),
                             QStringLiteral("备注")};

}  // namespace

// Texts that Qt's writer alone misnames or loses: ideographs read as radicals (行, 日方户工),
// digits after a letter (E001) and ligatures (Office, fi) drawn with glyphs no character
// names, and characters beyond U+FFFF (𠮷, 𠀋); among digits, ASCII and full-width
// punctuation.
TEST_F(PdfText, EveryPrintedTextReadsBackExactly) {
    Prepare(kTitles,
            {{QStringLiteral("张三"), QStringLiteral("行政部"), QStringLiteral("6222001"),
              QStringLiteral("E001"), QStringLiteral("日方户工")},
             {QStringLiteral("𠮷野"), QStringLiteral("Office fi"), QStringLiteral("0123456789"),
              QStringLiteral("E002"), QStringLiteral("（，。：；！？）")},
             {QStringLiteral("李𠀋"), QStringLiteral("ABC xyz"), QStringLiteral("42"),
              QStringLiteral("Ab01"), QStringLiteral("工行、户")}});
    ASSERT_EQ(report.PreparedPageCount(), 1);
    EXPECT_EQ(reporttest::TextDifferences(report.ExportToPdf(), report.PreparedPages()),
              QStringList());
}

// The pages a range selects, on their own paper or on the paper a print dialog chose, scaled
// down where the page is larger; the text reads as printed either way.
TEST_F(PdfText, SheetsChooseThePagesAndThePaper) {
    QList<QStringList> rows;
    for (int i = 0; i < 120; ++i) {
        rows.append({QStringLiteral("员工%1").arg(i), QStringLiteral("工行"),
                     QStringLiteral("6222%1").arg(i, 4, 10, QLatin1Char('0')),
                     QStringLiteral("E%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("户")});
    }
    Prepare(kTitles, rows);
    const int pages = report.PreparedPageCount();
    ASSERT_GE(pages, 3);
    const QPageLayout a4Portrait(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
    const QPageLayout a3Landscape(QPageSize(QPageSize::A3), QPageLayout::Landscape, QMarginsF());
    struct Case {
        const char* name;
        report::Sheets sheets;
        int first;
        int last;
        const char* size;  // as pdfinfo gives it, in points
    };
    const Case cases[] = {
        {"all pages on their paper", {}, 1, pages, "842 x 595 pts (A4)"},
        {"pages 2 to 3", {2, 3, std::nullopt}, 2, 3, "842 x 595 pts (A4)"},
        {"the last page", {pages, 0, std::nullopt}, pages, pages, "842 x 595 pts (A4)"},
        {"A4 portrait", {1, 2, a4Portrait}, 1, 2, "595 x 842 pts (A4)"},
        {"A3 landscape", {2, 2, a3Landscape}, 2, 2, "1191 x 842 pts (A3)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray pdf = report.ExportToPdf(c.sheets);
        EXPECT_EQ(reporttest::PdfPageCount(pdf), c.last - c.first + 1);
        EXPECT_EQ(reporttest::PdfPageSize(pdf), QString::fromUtf8(c.size));
        EXPECT_EQ(reporttest::TextDifferences(pdf, report.PreparedPages(), c.first, c.last),
                  QStringList());
    }
}

// What a print dialog chose: the range it set, and its paper only where the size or the
// orientation is no longer the one it opened with.
TEST(PrinterSheets, TheRangeAndAPaperOtherThanThePreset) {
    const QPageLayout preset(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                             QMarginsF(10, 10, 10, 10));
    struct Case {
        const char* name;
        QPageLayout chosen;
        int from;
        int to;
        int first;
        int last;
        bool paper;
    };
    const Case cases[] = {
        {"as opened", preset, 0, 0, 1, 0, false},
        {"a range", preset, 2, 3, 2, 3, false},
        {"the same paper by its size, other margins",
         QPageLayout(QPageSize(QSizeF(210, 297), QPageSize::Millimeter), QPageLayout::Landscape,
                     QMarginsF()),
         0, 0, 1, 0, false},
        {"portrait", QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()), 1,
         1, 1, 1, true},
        {"A3", QPageLayout(QPageSize(QPageSize::A3), QPageLayout::Landscape, QMarginsF()), 0, 0, 1,
         0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPrinter printer(QPrinter::HighResolution);
        printer.setFullPage(true);
        printer.setPageLayout(c.chosen);
        if (c.from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(c.from, c.to);
        }
        const report::Sheets sheets = report::PrinterSheets(printer, preset);
        EXPECT_EQ(sheets.first, c.first);
        EXPECT_EQ(sheets.last, c.last);
        ASSERT_EQ(sheets.paper.has_value(), c.paper);
        if (c.paper) {
            EXPECT_TRUE(sheets.paper->pageSize().isEquivalentTo(c.chosen.pageSize()));
            EXPECT_EQ(sheets.paper->orientation(), c.chosen.orientation());
        }
    }
}
