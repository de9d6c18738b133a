// Preparation of the shipped template with a filled cross view: pages, repeated headers, the
// title, page numbers, wide and long lists, and the output as images and PDF.
#include <gtest/gtest.h>

#include <QDate>

#include "platform/dialogs/scripteddialogs.h"
#include "platform/report/render.h"
#include "platform/report/report.h"
#include "platform/text/apperror.h"
#include "tests/common/testdir.h"
#include "tests/report/report_support.h"

namespace {

using reporttest::MakeTable;
using reporttest::PageTexts;

const QStringList kSalaryLabels = {QStringLiteral("姓名"),     QStringLiteral("部门名称"),
                                   QStringLiteral("员工账号"), QStringLiteral("实际入账金额"),
                                   QStringLiteral("员工编号"), QStringLiteral("备注")};

QList<QStringList> SalaryRows(int count) {
    QList<QStringList> rows;
    for (int i = 0; i < count; ++i) {
        rows.append({QStringLiteral("员工%1").arg(i), QStringLiteral("财务部"),
                     QStringLiteral("62220%1").arg(i, 8, 10, QLatin1Char('0')),
                     QStringLiteral("%1.50").arg(1000 + i), QStringLiteral("E%1").arg(i),
                     QStringLiteral("工资")});
    }
    return rows;
}

class Prepare : public ::testing::Test {
protected:
    // Prepares the shipped template; its cross view receives every field of every row.
    void Run(const QStringList& labels, const QList<QStringList>& rows) {
        table = MakeTable(labels, rows);
        report.LoadFromFile(reporttest::ShippedTemplate(), true);
        report.OnBeforePrint = [this](TfrxReportComponent* c) {
            events.append(c->Name);
            if (auto* cross = dynamic_cast<TfrxCrossView*>(c)) {
                valuesAtEvent = cross->RowCount();
                int row = 0;
                for (table->First(); !table->Eof(); table->Next(), ++row) {
                    for (int f = 0; f < table->FieldCount(); ++f) {
                        cross->AddValue({row}, {table->Fields(f).DisplayLabel()},
                                        {table->Fields(f).AsString()});
                    }
                }
            }
        };
        report.PrepareReport();
    }
    TfrxCrossView& Cross() {
        return *dynamic_cast<TfrxCrossView*>(report.FindObject(QStringLiteral("Cross1")));
    }
    const report::PreparedReport& Pages() const { return report.PreparedPages(); }
    // Items of the page printed in one of the cross view's styles.
    QStringList Items(int page, const report::TextStyle& style) {
        QStringList texts;
        for (const report::PreparedItem& item : Pages().pages[page].items) {
            if (Pages().styles[item.style] == style) {
                texts.append(item.text);
            }
        }
        return texts;
    }
    QStringList Headers(int page) { return Items(page, Cross().HeaderStyle); }
    QStringList Cells(int page) { return Items(page, Cross().CellStyle); }

    ScriptedDialogs dialogs;
    TfrxReport report{dialogs, [](const QString&, const QByteArray&) { return true; }};
    std::unique_ptr<Dataset> table;
    QStringList events;
    int valuesAtEvent = -1;
};

}  // namespace

TEST_F(Prepare, TablesOfNoneOneAndThreeHundredRows) {
    const QString title = QStringLiteral("星澜聚川银行批量转账明细清单");
    const QString date =
        QStringLiteral("制作日期：") + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    for (int rows : {0, 1, 300}) {
        SCOPED_TRACE(rows);
        Run(kSalaryLabels, SalaryRows(rows));
        EXPECT_EQ(Cross().RowCount(), rows);
        EXPECT_EQ(Cross().ColumnCount(), rows > 0 ? 6 : 0);
        const int pages = report.PreparedPageCount();
        EXPECT_EQ(pages > 1, rows == 300);
        QStringList cells;
        for (int p = 0; p < pages; ++p) {
            const QStringList texts = PageTexts(Pages().pages[p]);
            EXPECT_EQ(texts.contains(title), p == 0) << "the title on the first page only";
            EXPECT_EQ(texts.contains(date), p == 0);
            EXPECT_EQ(texts.last(), QStringLiteral("页码:%1").arg(p + 1));
            // The column headers open every page; no record numbers are printed.
            EXPECT_EQ(Headers(p), rows > 0 ? kSalaryLabels : QStringList());
            cells += Cells(p);
        }
        QStringList expected;
        for (const QStringList& row : SalaryRows(rows)) {
            expected += row;
        }
        EXPECT_EQ(cells, expected) << "every row once, in table order";
    }
}

TEST_F(Prepare, EveryComponentPassesTheEventAfterItsReset) {
    Run(kSalaryLabels, SalaryRows(300));
    const int pages = report.PreparedPageCount();
    ASSERT_GT(pages, 1);
    // The title band, the cross view, the footer of each page but the last, the summary under
    // the last line, and the last page's footer.
    QStringList expected = {QStringLiteral("Memo17"), QStringLiteral("SalaryTitle"),
                            QStringLiteral("Memo1"), QStringLiteral("Cross1")};
    for (int p = 1; p < pages; ++p) {
        expected.append(QStringLiteral("Memo16"));
    }
    expected +=
        {QStringLiteral("MemoCount"), QStringLiteral("MemoTotal"), QStringLiteral("MemoCapitals")};
    for (const QString& who :
         {QStringLiteral("Maker"), QStringLiteral("Checker"), QStringLiteral("Approver")}) {
        for (const QString& part : {QString(), QStringLiteral("Sign"), QStringLiteral("DateLabel"),
                                    QStringLiteral("Date")}) {
            expected.append(QStringLiteral("Memo") + who + part);
        }
    }
    expected.append(QStringLiteral("Memo16"));
    EXPECT_EQ(events, expected);
    EXPECT_EQ(valuesAtEvent, 0) << "the cross view is emptied before the event";
    // A second preparation starts from an empty cross view and gives the same pages.
    events.clear();
    report.PrepareReport();
    EXPECT_EQ(valuesAtEvent, 0);
    EXPECT_EQ(Cross().RowCount(), 300);
    EXPECT_EQ(report.PreparedPageCount(), pages);
}

TEST_F(Prepare, SameLabelMeetsInOneColumnAndEqualRowsInOneLine) {
    table = MakeTable({QStringLiteral("甲"), QStringLiteral("乙")}, {});
    TfrxCrossView cross;
    cross.AddValue({0}, {QStringLiteral("甲")}, {QStringLiteral("a")});
    cross.AddValue({0}, {QStringLiteral("乙")}, {QStringLiteral("b")});
    cross.AddValue({0}, {QStringLiteral("甲")}, {QStringLiteral("c")});
    cross.AddValue({1}, {QStringLiteral("乙")}, {QStringLiteral("d")});
    EXPECT_EQ(cross.RowCount(), 2);
    ASSERT_EQ(cross.ColumnCount(), 2);
    EXPECT_EQ(cross.ColumnValue(0), QStringLiteral("甲"));
    EXPECT_EQ(cross.Cell(0, 0), QStringLiteral("c")) << "the later value of a cell is kept";
    EXPECT_EQ(cross.Cell(1, 0), QString());
    EXPECT_EQ(cross.Cell(1, 1), QStringLiteral("d"));
    EXPECT_THROW(cross.AddValue({0, 1}, {QStringLiteral("甲")}, {QStringLiteral("x")}), AppError);
}

TEST_F(Prepare, WideListContinuesAcrossAndLongTextsWrap) {
    // Eleven columns of long texts are wider than the page.
    QStringList labels;
    QStringList row;
    for (int c = 0; c < 11; ++c) {
        labels.append(QStringLiteral("收款方开户行名称%1").arg(c));
        row.append(QStringLiteral("中国工商银行股份有限公司四川省分行营业部%1").arg(c));
    }
    QList<QStringList> rows(60, row);
    Run(labels, rows);
    const int pages = report.PreparedPageCount();
    ASSERT_GE(pages, 4);
    // Across first: the pages of one band of lines carry the columns in order; every band
    // of lines shows every column once.
    QStringList firstBand;
    int p = 0;
    while (firstBand.size() < 11) {
        ASSERT_LT(p, pages);
        const QStringList headers = Headers(p++);
        ASSERT_FALSE(headers.isEmpty());
        firstBand += headers;
    }
    EXPECT_EQ(firstBand, labels);
    EXPECT_GT(p, 1) << "the columns took more than one page";
    EXPECT_EQ(Headers(p), Headers(0)) << "the next lines start again with the first columns";
    // Texts longer than the widest column are broken into lines.
    bool wrapped = false;
    for (const report::PreparedItem& item : Pages().pages[0].items) {
        if (item.text == row[0]) {
            wrapped = item.wrap;
            EXPECT_LE(item.rect.width(), Cross().MaxWidth + 0.001);
        }
    }
    EXPECT_TRUE(wrapped);
}

// Columns wider than the page: a cross view that fits them keeps them on one page width in
// landscape or at a smaller font, whichever keeps the larger font; where neither does, or the
// template does not ask for it, they continue across pages at the template's font.
TEST_F(Prepare, ColumnsFitOnePageWidthWhereTheyCan) {
    struct Case {
        const char* orientation;
        bool fitWidth;
        int columns;
        bool landscape;     // of the prepared pages
        bool onePageWidth;  // every column on the first page
        bool smallerFont;
    };
    const Case cases[] = {
        {"Portrait", true, 6, false, true, false},     // fits as it is
        {"Portrait", true, 10, true, true, false},     // fits in landscape at its font
        {"Landscape", true, 13, true, true, true},     // a little wider than landscape
        {"Landscape", true, 20, true, false, false},   // not even at the least font
        {"Landscape", false, 13, true, false, false},  // not asked
    };
    TestDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.orientation << " " << c.fitWidth << " " << c.columns);
        const QByteArray bytes =
            QStringLiteral(
                "<Report><Page Orientation=\"%1\"><MasterData Height=\"5\">"
                "<Cross Name=\"Cross1\" Left=\"0\" Top=\"0\" FitWidth=\"%2\"/>"
                "</MasterData></Page></Report>")
                .arg(QString::fromLatin1(c.orientation), c.fitWidth ? u"true" : u"false")
                .toUtf8();
        dir.Write(QStringLiteral("fit.fr3"), bytes);
        report.LoadFromFile(dir.Path(QStringLiteral("fit.fr3")), true);
        QStringList labels;
        QStringList row;
        for (int j = 0; j < c.columns; ++j) {
            labels.append(QStringLiteral("列%1").arg(j + 1));
            row.append(QStringLiteral("一二三四五六"));
        }
        table = MakeTable(labels, QList<QStringList>(3, row));
        report.OnBeforePrint = [this](TfrxReportComponent* component) {
            if (auto* cross = dynamic_cast<TfrxCrossView*>(component)) {
                for (int r = 0; r < 3; ++r) {
                    for (int f = 0; f < table->FieldCount(); ++f) {
                        cross->AddValue({r}, {table->Fields(f).DisplayLabel()},
                                        {table->Text(r, f)});
                    }
                }
            }
        };
        report.PrepareReport();
        ASSERT_GE(report.PreparedPageCount(), 1);
        const report::PreparedPage& first = Pages().pages[0];
        EXPECT_EQ(first.landscape, c.landscape);
        EXPECT_EQ(first.width > first.height, c.landscape);
        EXPECT_EQ(report.PageSetup().orientation(),
                  QString::fromLatin1(c.orientation) == u"Landscape" ? QPageLayout::Landscape
                                                                     : QPageLayout::Portrait)
            << "the template keeps its orientation";
        EXPECT_EQ(report.PreparedPageCount() == 1, c.onePageWidth);
        // The cell font: the template's 13 px, or a smaller one no less than 10 px.
        double cellFont = 0;
        double right = 0;
        for (const report::PreparedItem& item : first.items) {
            if (item.text == row[0]) {
                cellFont = Pages().styles[item.style].font.height;
                right = std::max(right, item.rect.right());
            }
        }
        EXPECT_EQ(cellFont < 13, c.smallerFont) << cellFont;
        EXPECT_GE(cellFont, 10);
        EXPECT_LE(right, first.width - 10 + 0.001) << "inside the right margin";
    }
}

TEST_F(Prepare, TenThousandRowsPrepare) {
    Run({QStringLiteral("序号"), QStringLiteral("姓名"), QStringLiteral("金额")}, [] {
        QList<QStringList> rows;
        for (int i = 0; i < 10000; ++i) {
            rows.append({QString::number(i), QStringLiteral("员工%1").arg(i),
                         QStringLiteral("%1.00").arg(i)});
        }
        return rows;
    }());
    const int pages = report.PreparedPageCount();
    EXPECT_GT(pages, 100);
    int cells = 0;
    for (int p = 0; p < pages; ++p) {
        cells += Cells(p).size();
        EXPECT_EQ(Headers(p).size(), 3);
    }
    EXPECT_EQ(cells, 30000);
    EXPECT_EQ(Cells(pages - 1).last(), QStringLiteral("9999.00"));
}

TEST_F(Prepare, PagesRenderToImagesAndPdf) {
    Run(kSalaryLabels, SalaryRows(300));
    const int pages = report.PreparedPageCount();
    ASSERT_GT(pages, 1);
    for (int p : {0, 1}) {
        const QImage image = report::RenderPageImage(Pages(), p, 96);
        EXPECT_EQ(image.size(), QSize(1123, 794)) << "A4 landscape at 96 dpi";
        EXPECT_GT(reporttest::InkPixels(image), 20000) << "page " << p + 1 << " is not blank";
        reporttest::Snapshot(image, QStringLiteral("salary-list-page%1").arg(p + 1));
    }
    const QByteArray pdf = report.ExportToPdf();
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(reporttest::PdfPageCount(pdf), pages);
    const QString text = reporttest::PdfText(pdf);
    for (const QString& expected :
         QStringList{QStringLiteral("星澜聚川银行批量转账明细清单"),
                     QStringLiteral("制作日期：") +
                         QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")),
                     QStringLiteral("实际入账金额"), QStringLiteral("员工299"),
                     QStringLiteral("6222000000299"), QStringLiteral("页码:1"),
                     QStringLiteral("页码:%1").arg(pages)}) {
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString();
    }
    EXPECT_EQ(text.count(QStringLiteral("实际入账金额")), pages) << "headers on every page";
}

TEST_F(Prepare, MissingTemplateLeavesAnEmptyReport) {
    TestDir dir;
    table = MakeTable(kSalaryLabels, SalaryRows(3));
    report.OnBeforePrint = [this](TfrxReportComponent* c) { events.append(c->Name); };
    EXPECT_FALSE(report.LoadFromFile(dir.Path(QStringLiteral("none.fr3")), false));
    report.PrepareReport();
    EXPECT_EQ(report.PreparedPageCount(), 0);
    EXPECT_TRUE(events.isEmpty());
}
