// Printing the detail lists: 打印转账 through the batch page and the preview it opens, the
// salary list through the print command with a salary table, NullToBlank, missing and faulty
// templates, and Qt's dialogs in Chinese.
#include <QComboBox>
#include <QFile>
#include <QPrintDialog>
#include <QScrollBar>
#include <QToolBar>

#include "app/qttranslations.h"
#include "platform/report/pageview.h"
#include "platform/report/preview.h"
#include "platform/report/render.h"
#include "printing/detaillists.h"
#include "tests/batch/batch_fixture.h"
#include "tests/report/report_support.h"

namespace {

const QStringList kInstructionTitles =
    QStringLiteral(
        "公私标志,付款账号,收款账号,收款方,收款方开户行编号,收款方开户行名称,币种,"
        "金额,用途,方式,备注")
        .split(u',');

QByteArray ShippedTemplate() {
    QFile f(reporttest::ShippedTemplate());
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// The cross view's lines as texts joined by "|", headed by the column values.
QStringList CrossRows(TfrxReport& report) {
    auto* cross = dynamic_cast<TfrxCrossView*>(report.FindObject(QStringLiteral("Cross1")));
    if (!cross) {
        return {};
    }
    QStringList columns;
    for (int c = 0; c < cross->ColumnCount(); ++c) {
        columns.append(cross->ColumnValue(c));
    }
    QStringList rows = {columns.join(u'|')};
    for (int r = 0; r < cross->RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < cross->ColumnCount(); ++c) {
            cells.append(cross->Cell(r, c));
        }
        rows.append(cells.join(u'|'));
    }
    return rows;
}

// Runs the print, looks at the preview it opens and closes it with Escape; false when no
// preview opened.
bool WithPreview(const std::function<void()>& print,
                 const std::function<void(TfrxPreviewForm&)>& look) {
    bool shown = false;
    reporttest::OnNextModal([&](QWidget* w) {
        if (auto* form = qobject_cast<TfrxPreviewForm*>(w)) {
            shown = true;
            look(*form);
            QTest::keyClick(form, Qt::Key_Escape);
        }
    });
    print();
    QApplication::processEvents();
    return shown;
}

// Prints, exports the list from the preview's 导出PDF to the file and checks the document:
// pdftotext gives back exactly the characters the pages print (银行 as 银行, never the radical
// of 银⾏; nothing lost), the summary lines among them, and the cross-references hold.
void ExportAndCheck(const std::function<void()>& print, TfrxReport& report,
                    ScriptedDialogs& dialogs, const QString& path, const QStringList& lines) {
    dialogs.fileAnswers = {path};
    EXPECT_TRUE(WithPreview(print, [](TfrxPreviewForm& preview) {
        QAction* exportPdf = preview.findChild<QAction*>(QStringLiteral("actExportPdf"));
        QTest::mouseClick(preview.findChild<QToolBar*>()->widgetForAction(exportPdf),
                          Qt::LeftButton);
    }));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(reporttest::PdfStructureHolds(pdf));
    const QString text = reporttest::PdfText(pdf);
    EXPECT_EQ(reporttest::Characters(text),
              reporttest::Characters(reporttest::PreparedText(report.PreparedPages())));
    for (const QString& line : lines) {
        EXPECT_TRUE(text.contains(line)) << line.toStdString();
    }
}

// The ways a list reaches a PDF file from its preview: 导出PDF, and 打印 to the print dialog's
// file printer, on the paper the dialog opens with or turned to portrait in its properties.
enum class Way { Export, PrintToFile, PrintToFilePortrait };

struct WayCase {
    Way way;
    const char* name;
    const char* pageSize;  // as pdfinfo gives it
};

constexpr WayCase kWays[] = {
    {Way::Export, "导出PDF", "842 x 595 pts (A4)"},
    {Way::PrintToFile, "打印到文件", "842 x 595 pts (A4)"},
    {Way::PrintToFilePortrait, "打印到文件，纵向", "595 x 842 pts (A4)"},
};

// Prints, takes the way from the preview to the file at path and returns the file's bytes.
QByteArray PdfThrough(Way way, const std::function<void()>& print, ScriptedDialogs& dialogs,
                      const QString& path) {
    dialogs.fileAnswers = {path};
    QString status;
    EXPECT_TRUE(WithPreview(print, [&](TfrxPreviewForm& preview) {
        const bool exporting = way == Way::Export;
        if (!exporting) {
            reporttest::OnNextModal([&](QWidget* dialog) {
                reporttest::PrintToFile(dialog, path, way == Way::PrintToFilePortrait);
            });
        }
        QAction* action = preview.findChild<QAction*>(exporting ? QStringLiteral("actExportPdf")
                                                                : QStringLiteral("actPrint"));
        QTest::mouseClick(preview.findChild<QToolBar*>()->widgetForAction(action), Qt::LeftButton);
        status = preview.StatusText();
    }));
    EXPECT_EQ(status,
              (way == Way::Export ? QStringLiteral("已导出到 %1") : QStringLiteral("已打印到 %1"))
                  .arg(path));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Through every way, the document holds every page and reads exactly as the pages print: every
// printed text in it, in order, no radical in place of an ideograph, on the paper of its way.
void EveryWayReadsAsPrinted(const std::function<void()>& print, TfrxReport& report,
                            ScriptedDialogs& dialogs, TestDir& dir) {
    for (const WayCase& way : kWays) {
        SCOPED_TRACE(way.name);
        const QByteArray pdf =
            PdfThrough(way.way, print, dialogs,
                       dir.Path(QStringLiteral("list-%1.pdf").arg(static_cast<int>(way.way))));
        ASSERT_FALSE(pdf.isEmpty());
        EXPECT_TRUE(reporttest::PdfStructureHolds(pdf));
        EXPECT_EQ(reporttest::PdfPageCount(pdf), report.PreparedPageCount());
        EXPECT_EQ(reporttest::PdfPageSize(pdf), QString::fromUtf8(way.pageSize));
        EXPECT_EQ(reporttest::TextDifferences(pdf, report.PreparedPages()), QStringList());
    }
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
}

class Printing : public BatchFixture {
protected:
    void SetUp() override {
        BatchFixture::SetUp();
        dir.Write(QStringLiteral("config/cross.fr3"), ShippedTemplate());
    }
    TfrxReport& Report() { return form.printing.frxReport1; }
};

}  // namespace

TEST_F(Printing, InstructionListThroughTheButton) {
    Add(QStringLiteral("王五"), QStringLiteral("62220001"), QStringLiteral("1234.5"));
    page->edremark->setText(QStringLiteral("NULL"));
    Add(QStringLiteral("NULL"), QStringLiteral("62220002"), QStringLiteral("7"));
    Add(QStringLiteral("赵六"), QStringLiteral("62220003"), QStringLiteral("0.01"));
    form.cds1.First();
    dialogs.Clear();

    EXPECT_TRUE(WithPreview([&] { Click(page->Button19); },
                            [&](TfrxPreviewForm& preview) {
                                EXPECT_TRUE(preview.windowState() & Qt::WindowMaximized);
                                EXPECT_EQ(preview.PageCount(), 1);
                                preview.setWindowState(Qt::WindowNoState);
                                preview.resize(1400, 900);
                                QTest::qWait(50);
                                reporttest::Snapshot(preview.grab().toImage(),
                                                     QStringLiteral("instruction-preview"));
                            }));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(form.printing.PrintSource, printing::kInstructions);
    EXPECT_EQ(form.printing.frxDBDataset1.GetDataSource(), &form.DataSource1);
    const QStringList rows = CrossRows(Report());
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], kInstructionTitles.join(u'|')) << "eleven titles, no record numbers";
    EXPECT_EQ(rows[1], QStringLiteral("公司|6230001|62220001|王五||星澜聚川银行|CNY|1,234.50|"
                                      "工资，奖金|普通|"))
        << "amounts print grouped with two decimals";
    EXPECT_EQ(rows[2], QStringLiteral("公司|6230001|62220002|NULL||星澜聚川银行|CNY|7.00|"
                                      "工资，奖金|普通|NULL"))
        << "\"NULL\" prints in the instruction list";
    EXPECT_EQ(form.cds1.RecNo(), 2) << "the walk leaves the last row current";
    EXPECT_EQ(form.cds1.Text(0, 7), QStringLiteral("1234.50")) << "the table keeps its text";

    const QImage image = report::RenderPageImage(Report().PreparedPages(), 0, 96);
    EXPECT_GT(reporttest::InkPixels(image), 20000);
    reporttest::Snapshot(image, QStringLiteral("instruction-list-page1"));
    // Under the last line: count, total, total in capitals, and three lines to sign and date.
    const QString text = reporttest::PdfText(Report().ExportToPdf());
    for (const QString& expected :
         {QStringLiteral("星澜聚川银行批量转账明细清单"), QStringLiteral("收款方开户行名称"),
          QStringLiteral("赵六"), QStringLiteral("1,234.50"), QStringLiteral("笔数：3"),
          QStringLiteral("合计：1,241.51"), QStringLiteral("大写金额：壹仟贰佰肆拾壹元伍角壹分"),
          QStringLiteral("制表："), QStringLiteral("复核："), QStringLiteral("审批："),
          QStringLiteral("页码:1")}) {
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString();
    }
    EXPECT_EQ(text.sliced(text.indexOf(QStringLiteral("笔数："))).count(QStringLiteral("日期：")),
              3);
    EXPECT_LT(text.indexOf(QStringLiteral("赵六")), text.indexOf(QStringLiteral("笔数：3")))
        << "the summary follows the last line";
    EXPECT_FALSE(text.contains(QStringLiteral("代发工资")));
}

// Long names, purposes and remarks: the columns print on one page width at a smaller font
// rather than leaving 备注 alone on a second page.
TEST_F(Printing, LongTextsKeepEveryColumnOnOnePageWidth) {
    for (int i = 0; i < 3; ++i) {
        Fill(QStringLiteral("成都星澜聚川国际贸易发展有限公司第%1分公司").arg(i + 1),
             QStringLiteral("6222020200012345678%1").arg(i), QStringLiteral("123456.78"),
             QStringLiteral("货款及运输服务费用"));
        page->edremark->setText(QStringLiteral("二〇二六年第一一八号"));
        Click(page->Button1);
    }
    ASSERT_EQ(form.cds1.RecordCount(), 3);
    form.printing.Prepare(printing::kInstructions);
    const report::PreparedReport& pages = Report().PreparedPages();
    ASSERT_EQ(pages.pages.size(), 1u);
    const QStringList texts = reporttest::PageTexts(pages.pages[0]);
    for (const QString& title : kInstructionTitles) {
        EXPECT_TRUE(texts.contains(title)) << title.toStdString();
    }
    const auto* cross = dynamic_cast<TfrxCrossView*>(Report().FindObject(QStringLiteral("Cross1")));
    int remarks = 0;
    for (const report::PreparedItem& item : pages.pages[0].items) {
        if (item.text == QStringLiteral("二〇二六年第一一八号")) {
            ++remarks;
            EXPECT_LT(pages.styles[item.style].font.height, cross->CellStyle.font.height)
                << "the columns needed a smaller font";
            EXPECT_LE(item.rect.right(), pages.pages[0].width - 10 + 0.001);
        }
    }
    EXPECT_EQ(remarks, 3);
    reporttest::Snapshot(report::RenderPageImage(pages, 0, 96),
                         QStringLiteral("instruction-list-long"));
}

// The preview opens over the whole main window at least, the first page as wide as the view
// and its top in sight; the zoom box names the zoom in use whichever way it changed.
TEST_F(Printing, PreviewOpensOnTheTopOfPageOneAtPageWidth) {
    form.resize(1366, 768);
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    Add(QStringLiteral("王五"), QStringLiteral("62220001"), QStringLiteral("1234.5"));
    EXPECT_TRUE(WithPreview(
        [&] { Click(page->Button19); },
        [&](TfrxPreviewForm& preview) {
            // Where a window manager does not maximize it, the window keeps its own size.
            EXPECT_TRUE(preview.windowState() & Qt::WindowMaximized);
            EXPECT_GE(preview.normalGeometry().width(), 1366);
            EXPECT_GE(preview.normalGeometry().height(), 768);
            auto* view = preview.findChild<report::PageView*>(QStringLiteral("Preview"));
            auto* zoom = preview.findChild<QComboBox*>(QStringLiteral("ZoomBox"));
            ASSERT_NE(view, nullptr);
            // As the window opens, and at the main window's size (the offscreen platform
            // maximizes to its own screen): the page fills the width, its top in sight.
            for (bool resized : {false, true}) {
                if (resized) {
                    preview.setWindowState(Qt::WindowNoState);
                    preview.resize(1366, 768);
                }
                QApplication::processEvents();
                EXPECT_EQ(zoom->currentText(), QStringLiteral("页宽"));
                const QRect page1 = view->PageRect(1);
                const int width = view->viewport()->width();
                EXPECT_EQ(view->verticalScrollBar()->value(), 0);
                EXPECT_TRUE(page1.top() > 0 && page1.top() < 20) << page1.top();
                EXPECT_TRUE(page1.left() > 0 && page1.right() < width && page1.width() > width - 40)
                    << page1.left() << " " << page1.width() << " of " << width;
                EXPECT_EQ(preview.CurrentPage(), 1);
            }
            EXPECT_GT(view->verticalScrollBar()->maximum(), 0)
                << "the page is taller than the view";
            reporttest::Snapshot(preview.grab().toImage(),
                                 QStringLiteral("instruction-preview-open"));

            // Ctrl++ and Ctrl+- step the zoom; the box follows.
            const double pageWidth = view->ZoomFactor();
            QTest::keyClick(view, Qt::Key_Plus, Qt::ControlModifier);
            EXPECT_GT(view->ZoomFactor(), pageWidth);
            EXPECT_EQ(zoom->currentText(),
                      QStringLiteral("%1%").arg(std::lround(view->ZoomFactor() * 100)));
            for (int i = 0; i < 2; ++i) {
                const double before = view->ZoomFactor();
                QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
                EXPECT_LT(view->ZoomFactor(), before);
                EXPECT_EQ(zoom->currentText(),
                          QStringLiteral("%1%").arg(std::lround(view->ZoomFactor() * 100)));
            }
        }));
}

TEST_F(Printing, ExportedPdfReadsAsThePrintedCharacters) {
    Add(QStringLiteral("长江实业有限公司"), QStringLiteral("62220001"),
        QStringLiteral("123456789.12"));
    Add(QStringLiteral("金门户外用品店"), QStringLiteral("62220002"), QStringLiteral("0.05"));
    ExportAndCheck([&] { Click(page->Button19); }, Report(), dialogs,
                   dir.Path(QStringLiteral("batch.pdf")),
                   {QStringLiteral("星澜聚川银行批量转账明细清单"), QStringLiteral("金额"),
                    QStringLiteral("收款方开户行名称"), QStringLiteral("长江实业有限公司"),
                    QStringLiteral("笔数：2"), QStringLiteral("合计：123,456,789.17"),
                    QStringLiteral("大写金额：壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元壹角柒分"),
                    QStringLiteral("页码:1")});
}

// Names, purposes and remarks whose ideographs Qt's writer names by radicals (行, 日方户工),
// a remark with digits after a letter (E001), a ligature's letters and a name beyond U+FFFF.
TEST_F(Printing, EveryWayToAPdfReadsAsPrinted) {
    Fill(QStringLiteral("行政服务中心"), QStringLiteral("62220001"), QStringLiteral("1234.5"),
         QStringLiteral("日方户工"));
    page->edremark->setText(QStringLiteral("E001"));
    Click(page->Button1);
    Fill(QStringLiteral("Office户外用品店"), QStringLiteral("62220002"), QStringLiteral("7"),
         QStringLiteral("货款（第一批），已付！"));
    page->edremark->setText(QStringLiteral("fi-2024"));
    Click(page->Button1);
    Add(QStringLiteral("吉𠮷"), QStringLiteral("62220003"), QStringLiteral("0.01"));
    ASSERT_EQ(form.cds1.RecordCount(), 3) << dialogs.Texts().join(u'\n').toStdString();
    dialogs.Clear();
    EveryWayReadsAsPrinted([&] { Click(page->Button19); }, Report(), dialogs, dir);
}

TEST_F(Printing, EmptyTableAndMissingTemplatePrintWithoutMessage) {
    EXPECT_TRUE(WithPreview([&] { Click(page->Button19); },
                            [](TfrxPreviewForm& preview) { EXPECT_EQ(preview.PageCount(), 1); }));
    EXPECT_EQ(CrossRows(Report()), QStringList{QString()}) << "no lines, no columns";
    QFile::remove(dir.Path(QStringLiteral("config/cross.fr3")));
    Add(QStringLiteral("王五"), QStringLiteral("62220001"), QStringLiteral("1"));
    dialogs.Clear();
    EXPECT_TRUE(WithPreview([&] { Click(page->Button19); },
                            [](TfrxPreviewForm& preview) { EXPECT_EQ(preview.PageCount(), 0); }));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Printing, FaultyTemplateShowsTheErrorBox) {
    dir.Write(QStringLiteral("config/cross.fr3"), "<Report>\n<Page>\n<MasterData/>\n");
    EXPECT_FALSE(WithPreview([&] { Click(page->Button19); }, [](TfrxPreviewForm&) {}));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::ProgramError);
    EXPECT_EQ(dialogs.messages[0].text,
              Dialogs::ErrorBoxText(QStringLiteral("报表模板 %1 第 3 行有误：缺少属性 Height")
                                        .arg(dir.Path(QStringLiteral("config/cross.fr3")))));
}

TEST_F(Printing, QtDialogsSpeakChinese) {
    ASSERT_TRUE(LoadQtTranslations(*qApp));
    Add(QStringLiteral("王五"), QStringLiteral("62220001"), QStringLiteral("1"));
    QString title;
    EXPECT_TRUE(WithPreview([&] { Click(page->Button19); },
                            [&](TfrxPreviewForm& preview) {
                                reporttest::OnNextModal([&](QWidget* w) {
                                    ASSERT_NE(qobject_cast<QPrintDialog*>(w), nullptr);
                                    title = w->windowTitle();
                                    QTest::keyClick(w, Qt::Key_Escape);
                                });
                                preview.PrintClick();
                            }));
    EXPECT_EQ(title, QStringLiteral("打印"));
}

TEST(NullToBlank, OnlyTheExactWordBecomesABlank) {
    const std::pair<const char*, const char*> cases[] = {
        {"NULL", " "},      {"null", "null"}, {" NULL", " NULL"}, {"NULL ", "NULL "},
        {"NULLS", "NULLS"}, {"", ""},         {"张三", "张三"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(printing::NullToBlank(QString::fromUtf8(text)), QString::fromUtf8(expected));
    }
}

// The salary list through the print command, over a salary table made here as the salary page
// makes it: the captions as display labels, "NULL" where an entry has no value.
class SalaryList : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write(QStringLiteral("config/cross.fr3"), ShippedTemplate());
        cds1.AddFieldDef(QStringLiteral("cpflag"), true, 6);
        cds1.CreateDataSet();
        cds1.Fields(0).SetDisplayLabel(QStringLiteral("公私标志"));
        cds1.Append();
        cds1.Fields(0).SetAsString(QStringLiteral("公司"));
        cds1.Post();
        const char* fields[][2] = {{"name", "姓名"},     {"deptname", "部门名称"},
                                   {"acct", "员工账号"}, {"finalincome", "实际入账金额"},
                                   {"codeno", "备注"},   {"memo", "备注"}};
        for (int i = 0; i < 6; ++i) {
            cds2.AddFieldDef(QString::fromUtf8(fields[i][0]), i == 0 || i == 2, i == 0 ? 8 : 20);
        }
        cds2.CreateDataSet();
        for (int i = 0; i < 6; ++i) {
            cds2.Fields(i).SetDisplayLabel(QString::fromUtf8(fields[i][1]));
        }
        const char* rows[][6] = {
            {"张三", "NULL", "6222001", "100.00", "E1", "NULL"},
            {"李四", "null", "6222002", "3549.0", " NULL ", "NULL"},
        };
        AddRows(rows);
        DataSource1.SetDataSet(&cds1);
        DataSource2.SetDataSet(&cds2);
    }
    // Appends salary rows, one text per field.
    template <std::size_t N>
    void AddRows(const char* (&rows)[N][6]) {
        for (const auto& row : rows) {
            cds2.Append();
            for (int i = 0; i < 6; ++i) {
                cds2.Fields(i).SetAsString(QString::fromUtf8(row[i]));
            }
            cds2.Post();
        }
    }
    TestDir dir;
    ConfigDir config{dir.Base()};
    ScriptedDialogs dialogs;
    Dataset cds1;
    Dataset cds2;
    DataSource DataSource1;
    DataSource DataSource2;
    printing::DetailLists lists{{cds1, cds2, DataSource1, DataSource2}, config, dialogs};
};

TEST_F(SalaryList, NullCellsPrintBlankAndEqualCaptionsShareAColumn) {
    cds2.First();
    EXPECT_TRUE(WithPreview([&] { lists.Print(printing::kSalaries); },
                            [](TfrxPreviewForm& preview) { EXPECT_EQ(preview.PageCount(), 1); }));
    EXPECT_EQ(lists.PrintSource, printing::kSalaries);
    EXPECT_EQ(lists.frxDBDataset1.GetDataSource(), &DataSource2);
    // "codeno" and "memo" share the caption 备注: one column, the later field's text.
    EXPECT_EQ(CrossRows(lists.frxReport1),
              (QStringList{QStringLiteral("姓名|部门名称|员工账号|实际入账金额|备注"),
                           QStringLiteral("张三| |6222001|100.00|网银代发"),
                           QStringLiteral("李四|null|6222002|3,549.00|网银代发")}));
    EXPECT_EQ(cds2.RecNo(), 1);
    EXPECT_EQ(cds2.FieldByName(QStringLiteral("finalincome")).AsString(), QStringLiteral("3549.0"));
    const report::PreparedReport& pages = lists.frxReport1.PreparedPages();
    const QStringList texts = reporttest::PageTexts(pages.pages[0]);
    EXPECT_TRUE(texts.contains(QStringLiteral("星澜聚川银行代发工资明细清单")));
    EXPECT_FALSE(texts.contains(QStringLiteral("星澜聚川银行批量转账明细清单")));
    for (const char* line : {"笔数：2", "合计：3,649.00", "大写金额：叁仟陆佰肆拾玖元整"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(line))) << line;
    }
    reporttest::Snapshot(report::RenderPageImage(pages, 0, 96),
                         QStringLiteral("salary-list-small"));

    // The button pressed last decides the table.
    EXPECT_TRUE(
        WithPreview([&] { lists.Print(printing::kInstructions); }, [](TfrxPreviewForm&) {}));
    EXPECT_EQ(CrossRows(lists.frxReport1),
              (QStringList{QStringLiteral("公私标志"), QStringLiteral("公司")}));
    EXPECT_TRUE(reporttest::PageTexts(lists.frxReport1.PreparedPages().pages[0])
                    .contains(QStringLiteral("星澜聚川银行批量转账明细清单")));
    EXPECT_TRUE(WithPreview([&] { lists.Print(printing::kSalaries); }, [](TfrxPreviewForm&) {}));
    EXPECT_EQ(CrossRows(lists.frxReport1).size(), 3);
}

TEST_F(SalaryList, ExportedPdfReadsAsThePrintedCharacters) {
    ExportAndCheck(
        [&] { lists.Print(printing::kSalaries); }, lists.frxReport1, dialogs,
        dir.Path(QStringLiteral("salary.pdf")),
        {QStringLiteral("星澜聚川银行代发工资明细清单"), QStringLiteral("部门名称"),
         QStringLiteral("实际入账金额"), QStringLiteral("笔数：2"),
         QStringLiteral("合计：3,649.00"), QStringLiteral("大写金额：叁仟陆佰肆拾玖元整")});
}

// 员工编号 as the salary page names it: "E001" reads as E001, not as E; names and departments
// whose ideographs Qt's writer names by radicals.
TEST_F(SalaryList, EveryWayToAPdfReadsAsPrinted) {
    cds2.Fields(4).SetDisplayLabel(QStringLiteral("员工编号"));
    const char* rows[][6] = {
        {"行者", "日方户工部", "6222003", "88.80", "E001", "户"},
        {"王工", "行政部", "6222004", "1000", "E010", "（补发）"},
    };
    AddRows(rows);
    lists.Prepare(printing::kSalaries);
    ASSERT_TRUE(reporttest::PageTexts(lists.frxReport1.PreparedPages().pages.at(0))
                    .contains(QStringLiteral("E001")));
    EveryWayReadsAsPrinted([&] { lists.Print(printing::kSalaries); }, lists.frxReport1, dialogs,
                           dir);
}

// A template without the payroll title prints the salary list under the batch title.
TEST_F(SalaryList, TemplateWithoutThePayrollTitleKeepsTheBatchTitle) {
    QByteArray bytes = ShippedTemplate();
    ASSERT_TRUE(bytes.contains("Name=\"SalaryTitle\""));
    bytes.replace("Name=\"SalaryTitle\"", "Name=\"OtherTitle\"");
    dir.Write(QStringLiteral("config/cross.fr3"), bytes);
    lists.Prepare(printing::kSalaries);
    const QStringList texts = reporttest::PageTexts(lists.frxReport1.PreparedPages().pages.at(0));
    EXPECT_TRUE(texts.contains(QStringLiteral("星澜聚川银行批量转账明细清单")));
    EXPECT_FALSE(texts.contains(QStringLiteral("星澜聚川银行代发工资明细清单")));
}

TEST_F(SalaryList, AThousandRowsAcrossPagesWithHeadersRepeated) {
    while (!cds2.IsEmpty()) {
        cds2.Delete();
    }
    for (int i = 0; i < 1000; ++i) {
        cds2.Append();
        const QString values[] = {QStringLiteral("员工%1").arg(i),
                                  QStringLiteral("NULL"),
                                  QStringLiteral("6222%1").arg(i, 6, 10, QLatin1Char('0')),
                                  QStringLiteral("%1.00").arg(i),
                                  QStringLiteral("NULL"),
                                  QStringLiteral("工资")};
        for (int f = 0; f < 6; ++f) {
            cds2.Fields(f).SetAsString(values[f]);
        }
        cds2.Post();
    }
    lists.Prepare(printing::kSalaries);
    const report::PreparedReport& pages = lists.frxReport1.PreparedPages();
    ASSERT_GT(pages.pages.size(), 30u);
    for (std::size_t p = 0; p < pages.pages.size(); ++p) {
        const QStringList texts = reporttest::PageTexts(pages.pages[p]);
        EXPECT_TRUE(texts.contains(QStringLiteral("实际入账金额"))) << "headers on page " << p + 1;
        EXPECT_EQ(texts.last(), QStringLiteral("页码:%1").arg(p + 1));
    }
    reporttest::Snapshot(report::RenderPageImage(pages, 1, 96),
                         QStringLiteral("salary-list-page2"));
    const QStringList last = reporttest::PageTexts(pages.pages.back());
    EXPECT_TRUE(last.contains(QStringLiteral("笔数：1000"))) << "the summary after the last line";
    reporttest::Snapshot(
        report::RenderPageImage(pages, static_cast<int>(pages.pages.size()) - 1, 96),
        QStringLiteral("salary-list-last"));
    EXPECT_EQ(cds2.RecNo(), 999);
}
