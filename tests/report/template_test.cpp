// The template reader: the shipped template's design, and every kind of faulty template
// refused with its file and line.
#include <gtest/gtest.h>

#include <QFile>

#include "platform/dialogs/scripteddialogs.h"
#include "platform/report/report.h"
#include "platform/report/templatereader.h"
#include "platform/text/apperror.h"
#include "tests/common/testdir.h"
#include "tests/report/report_support.h"

namespace {

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// The error text of reading the bytes, empty when they read.
QString ErrorOf(const QByteArray& bytes) {
    try {
        report::ReadTemplate(bytes, QStringLiteral("t.fr3"));
    } catch (const AppError& e) {
        return e.Message();
    }
    return {};
}

QByteArray Wrap(const char* masterData) {
    return QByteArray("<Report>\n<Page>\n") + masterData + "\n</Page>\n</Report>\n";
}

}  // namespace

TEST(ReportTemplate, ShippedTemplateHoldsTheDefaultDesign) {
    const QByteArray bytes = ReadFile(reporttest::ShippedTemplate());
    ASSERT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"GB18030\"?>"));
    ASSERT_TRUE(bytes.contains(Gb("星澜聚川银行批量转账明细清单"))) << "stored in GB18030";
    report::ReportTemplate t = report::ReadTemplate(bytes, QStringLiteral("cross.fr3"));
    ASSERT_EQ(t.pages.size(), 1u);
    const report::PageDef& page = t.pages[0];
    EXPECT_EQ(page.name, QStringLiteral("Page1"));
    EXPECT_TRUE(page.landscape);
    EXPECT_DOUBLE_EQ(page.width, 297);
    EXPECT_DOUBLE_EQ(page.height, 210);
    for (double m : {page.leftMargin, page.topMargin, page.rightMargin, page.bottomMargin}) {
        EXPECT_DOUBLE_EQ(m, 10);
    }
    ASSERT_EQ(page.bands.size(), 4u);
    EXPECT_EQ(page.bands[0].type, report::BandType::ReportTitle);
    EXPECT_DOUBLE_EQ(page.bands[0].height, 11);
    EXPECT_EQ(page.bands[1].type, report::BandType::MasterData);
    EXPECT_EQ(page.bands[1].rowCount, 1);
    EXPECT_DOUBLE_EQ(page.bands[1].height, 7);
    EXPECT_EQ(page.bands[2].type, report::BandType::ReportSummary);
    EXPECT_EQ(page.bands[3].type, report::BandType::PageFooter);
    EXPECT_DOUBLE_EQ(page.bands[3].height, 6);

    const auto* title = dynamic_cast<TfrxMemoView*>(page.bands[0].components[0].get());
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->Name, QStringLiteral("Memo17"));
    EXPECT_EQ(title->Text, QStringLiteral("星澜聚川银行批量转账明细清单"));
    EXPECT_EQ(QRectF(title->Left, title->Top, title->Width, title->Height), QRectF(2, 1, 74, 7));
    EXPECT_TRUE(title->Style.font.bold);
    EXPECT_EQ(title->Style.font.name, QStringLiteral("宋体"));
    EXPECT_DOUBLE_EQ(title->Style.font.height, 19);
    EXPECT_EQ(title->Style.fill, QColor(Qt::yellow));
    EXPECT_EQ(title->Style.frame, report::kFrameAll);
    EXPECT_EQ(title->Style.align, Qt::AlignCenter);
    EXPECT_TRUE(title->Visible);
    // The payroll title in the same place, printed by the salary list only.
    const auto* payroll = dynamic_cast<TfrxMemoView*>(page.bands[0].components[1].get());
    ASSERT_NE(payroll, nullptr);
    EXPECT_EQ(payroll->Name, QStringLiteral("SalaryTitle"));
    EXPECT_EQ(payroll->Text, QStringLiteral("星澜聚川银行代发工资明细清单"));
    EXPECT_EQ(QRectF(payroll->Left, payroll->Top, payroll->Width, payroll->Height),
              QRectF(2, 1, 74, 7));
    EXPECT_FALSE(payroll->Visible);
    EXPECT_EQ(payroll->Style, title->Style);
    const auto* date = dynamic_cast<TfrxMemoView*>(page.bands[0].components[2].get());
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->Text, QStringLiteral("制作日期：[Date]"));
    EXPECT_EQ(QRectF(date->Left, date->Top, date->Width, date->Height), QRectF(78, 3, 42, 6));
    EXPECT_FALSE(date->Style.font.bold);
    EXPECT_DOUBLE_EQ(date->Style.font.height, 13);

    const auto* cross = dynamic_cast<TfrxCrossView*>(page.bands[1].components[0].get());
    ASSERT_NE(cross, nullptr);
    EXPECT_EQ(cross->Name, QStringLiteral("Cross1"));
    EXPECT_DOUBLE_EQ(cross->Left, 2);
    EXPECT_DOUBLE_EQ(cross->Top, 1);
    EXPECT_TRUE(cross->Border);
    EXPECT_TRUE(cross->RepeatHeaders);
    EXPECT_FALSE(cross->DownThenAcross);
    EXPECT_EQ(cross->HeaderStyle.align, Qt::AlignCenter);
    EXPECT_EQ(cross->HeaderStyle.fill, QColor(204, 255, 204));
    EXPECT_EQ(cross->HeaderStyle.frame, report::kFrameAll);
    EXPECT_DOUBLE_EQ(cross->HeaderStyle.font.height, 14);
    EXPECT_EQ(cross->CellStyle.align, Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(cross->CellStyle.frame, report::kFrameAll);
    EXPECT_FALSE(cross->CellStyle.fill.isValid());
    EXPECT_DOUBLE_EQ(cross->CellStyle.font.height, 13);
    EXPECT_DOUBLE_EQ(cross->CellStyle.gapX, 3);
    EXPECT_DOUBLE_EQ(cross->CellStyle.gapY, 3);
    EXPECT_TRUE(cross->FitWidth);
    EXPECT_DOUBLE_EQ(cross->MinFontHeight, 10);

    // The summary: count, total and capitals from the program's variables, lines to sign.
    QStringList summary;
    for (const auto& c : page.bands[2].components) {
        const auto* memo = dynamic_cast<TfrxMemoView*>(c.get());
        ASSERT_NE(memo, nullptr);
        if (!memo->Text.isEmpty()) {
            summary.append(memo->Text);
        }
    }
    EXPECT_EQ(summary.mid(0, 3),
              (QStringList{QStringLiteral("笔数：[Count]"), QStringLiteral("合计：[Total]"),
                           QStringLiteral("大写金额：[TotalCapitals]")}));
    for (const char* line : {"制表：", "复核：", "审批："}) {
        EXPECT_TRUE(summary.contains(QString::fromUtf8(line))) << line;
    }
    EXPECT_EQ(summary.count(QStringLiteral("日期：")), 3);

    const auto* footer = dynamic_cast<TfrxMemoView*>(page.bands[3].components[0].get());
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(footer->Name, QStringLiteral("Memo16"));
    EXPECT_EQ(footer->Text, QStringLiteral("页码:[Page]"));
    EXPECT_EQ(QRectF(footer->Left, footer->Top, footer->Width, footer->Height),
              QRectF(163, 0, 24, 5));
}

TEST(ReportTemplate, Utf8IsTheDefaultEncoding) {
    const QByteArray bytes = Wrap(
        "<MasterData Height=\"5\"><Memo Left=\"0\" Top=\"0\" Width=\"10\" Height=\"5\">"
        "<Text>中文 &amp; 文字</Text></Memo></MasterData>");
    report::ReportTemplate t = report::ReadTemplate(bytes, QStringLiteral("t.fr3"));
    const auto* memo = dynamic_cast<TfrxMemoView*>(t.pages[0].bands[0].components[0].get());
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Text, QStringLiteral("中文 & 文字"));
    EXPECT_EQ(t.pages[0].width, 210) << "A4 portrait unless the page says otherwise";
}

TEST(ReportTemplate, FaultsNameTheFileTheLineAndTheFault) {
    struct Case {
        QByteArray bytes;
        int line;
        const char* detail;
    };
    const QByteArray deep =
        "<Report><Page><MasterData Height=\"1\">\n" +
        QByteArray("<Memo Left=\"0\" Top=\"0\" Width=\"1\" Height=\"1\">").repeated(5000) +
        "</Report>";
    const QByteArray huge = QByteArray(report::kMaxTemplateBytes + 1, ' ');
    const Case cases[] = {
        {"", 1, "Premature end of document"},
        {"<Report>\n<Page>\n</Report>", 3, "Opening and ending tag mismatch"},
        {"<Report>\n<Page>\n</Page>\n</Report>\n<Report/>", 5, "Extra content"},
        {"<Form/>", 1, "根元素应为 <Report>"},
        {"<Report>\n</Report>", 2, "<Report> 中没有 <Page>"},
        {Wrap("<MasterData Height=\"7\">\n<Script/>\n</MasterData>"), 4, "此处不能有元素 <Script>"},
        {Wrap("<MasterData Height=\"7\" Color=\"1\"/>"), 3, "未知属性 Color"},
        {Wrap("<MasterData/>"), 3, "缺少属性 Height"},
        {Wrap("<MasterData Height=\"1e400\"/>"), 3, "属性 Height 的值“1e400”不是数值"},
        {Wrap("<MasterData Height=\"99999999999999\"/>"), 3, "不是数值"},
        {Wrap("<MasterData Height=\"12000\"/>"), 3, "属性 Height 的值 12000 超出范围 0 至 10000"},
        {Wrap("<MasterData Height=\"-1\"/>"), 3, "超出范围"},
        {Wrap("<MasterData Height=\"1\" RowCount=\"1.5\"/>"), 3, "RowCount 应为整数"},
        {Wrap("<MasterData Height=\"1\">\n<Memo Left=\"0\" Top=\"0\" Width=\"1\"/>"), 4,
         "缺少属性 Height"},
        {Wrap("<MasterData Height=\"1\"><Memo Name=\"A\" Left=\"0\" Top=\"0\" Width=\"1\" "
              "Height=\"1\"/>\n<Memo Name=\"A\" Left=\"0\" Top=\"0\" Width=\"1\" Height=\"1\"/>"
              "</MasterData>"),
         4, "名称 A 重复"},
        {Wrap("<ReportTitle Height=\"5\">\n<Cross Left=\"0\" Top=\"0\"/></ReportTitle>"), 4,
         "交叉表只能放在 <MasterData> 中"},
        {Wrap("<MasterData Height=\"5\"><Cross Left=\"0\" Top=\"0\"/>\n"
              "<Cross Left=\"0\" Top=\"0\"/></MasterData>"),
         4, "一个数据带中只能有一个交叉表"},
        {Wrap("<MasterData Height=\"5\">\n<Cross Left=\"0\" Top=\"0\" MinWidth=\"50\" "
              "MaxWidth=\"10\"/></MasterData>"),
         4, "MinWidth 不能大于 MaxWidth"},
        {Wrap("<MasterData Height=\"5\"><Memo Left=\"0\" Top=\"0\" Width=\"1\" Height=\"1\">\n"
              "<Font Height=\"0\"/></Memo></MasterData>"),
         4, "超出范围"},
        {Wrap("<MasterData Height=\"5\"><Memo Left=\"0\" Top=\"0\" Width=\"1\" Height=\"1\" "
              "\nFill=\"yellow\"/></MasterData>"),
         4, "应为 #RRGGBB 形式的颜色"},
        {Wrap("<MasterData Height=\"5\"><Memo Left=\"0\" Top=\"0\" Width=\"1\" Height=\"1\" "
              "\nFrame=\"Outer\"/></MasterData>"),
         4, "属性 Frame 的值“Outer”"},
        {Wrap("<MasterData Height=\"5\"><Memo Left=\"0\" Top=\"0\" Width=\"1\" Height=\"1\">"
              "<Text>a<b/></Text></Memo></MasterData>"),
         3, "Expected character data"},
        {Wrap("<MasterData Height=\"5\">\ntext</MasterData>"), 4, "此处不能有文字“text”"},
        {Wrap("<ReportSummary Height=\"5\"/>\n<ReportSummary Height=\"5\"/>"), 4,
         "每页只能有一个 <ReportSummary>"},
        {Wrap("<MasterData Height=\"5\"><Memo Left=\"0\" Top=\"0\" Width=\"1\" Height=\"1\"\n"
              "Visible=\"no\"/></MasterData>"),
         4, "属性 Visible 的值“no”应为 true 或 false"},
        {Wrap("<MasterData Height=\"5\">\n<Cross Left=\"0\" Top=\"0\" MinFontHeight=\"0\"/>"
              "</MasterData>"),
         4, "属性 MinFontHeight 的值 0 超出范围"},
        {"<Report>\n<Page Paper=\"A9\"/></Report>", 2, "未知纸张 A9"},
        {"<Report>\n<Page PaperWidth=\"100\"/></Report>", 2, "须一起给出"},
        {"<Report>\n<Page LeftMargin=\"150\" RightMargin=\"150\"/></Report>", 2, "页边距太大"},
        {"<Report Version=\"2\">\n<Page/></Report>", 1, "不支持的模板版本"},
        {"<!DOCTYPE r [<!ENTITY a \"aaaa\">]>\n<Report/>", 1, "不支持文档类型定义"},
        {deep, 2, "此处不能有元素 <Memo>"},
        {"<?xml version=\"1.0\" encoding=\"Big5\"?><Report/>", 1, "不支持的编码 BIG5"},
        {"<?xml version=\"1.0\" encoding=\"GB18030\"?>\n<Report>\n\x80</Report>", 3,
         "不是 GB18030 编码的字节"},
        {"<Report>\n\n<Page Name=\"\xC3\x28\"/></Report>", 3, "不是 UTF-8 编码的字节"},
        {huge, 1, "不像是报表模板"},
    };
    for (const Case& c : cases) {
        const QString error = ErrorOf(c.bytes);
        const QString prefix = QStringLiteral("报表模板 t.fr3 第 %1 行有误：").arg(c.line);
        EXPECT_TRUE(error.startsWith(prefix)) << error.toStdString() << " / " << c.detail;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.detail)))
            << error.toStdString() << " / " << c.detail;
    }
}

TEST(ReportTemplate, LoadFromFileMissingEmptyAndFaulty) {
    TestDir dir;
    ScriptedDialogs dialogs;
    TfrxReport report(dialogs, [](const QString&, const QByteArray&) { return true; });
    const QString missing = dir.Path(QStringLiteral("config/cross.fr3"));
    EXPECT_FALSE(report.LoadFromFile(missing, false));
    EXPECT_EQ(report.FindObject(QStringLiteral("Cross1")), nullptr);
    try {
        report.LoadFromFile(missing, true);
        ADD_FAILURE() << "a missing file with the flag set fails";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file ") + missing);
    }

    dir.Write(QStringLiteral("config/cross.fr3"), ReadFile(reporttest::ShippedTemplate()));
    EXPECT_TRUE(report.LoadFromFile(missing, false));
    EXPECT_NE(report.FindObject(QStringLiteral("Cross1")), nullptr);
    // Loading again empties the report first: a missing file leaves nothing of the last one.
    EXPECT_FALSE(report.LoadFromFile(dir.Path(QStringLiteral("other.fr3")), false));
    EXPECT_EQ(report.FindObject(QStringLiteral("Cross1")), nullptr);

    dir.Write(QStringLiteral("config/cross.fr3"), "<Report>\n<Page>\n<Oops/>");
    try {
        report.LoadFromFile(missing, false);
        ADD_FAILURE() << "a faulty template fails";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("报表模板 %1 第 3 行有误：此处不能有元素 <Oops>").arg(missing));
    }
    EXPECT_EQ(report.FindObject(QStringLiteral("Cross1")), nullptr);
}
