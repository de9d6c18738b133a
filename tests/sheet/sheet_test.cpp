// The spreadsheet layer: cell texts of each format, the comma-separated split, worksheet order,
// refused files and the sizes the import must cope with; the decimals number formats show and
// the columns a worksheet hides.
#include "platform/sheet/sheet.h"
#include "platform/sheet/book.h"
#include "platform/sheet/celltext.h"
#include "platform/text/apperror.h"
#include "tests/common/testdir.h"
#include "tests/sheet/xlsfixture.h"
#include "tests/sheet/xlsxfixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <vector>

namespace {

QString Data(const char* name) {
    return QStringLiteral(CORPPAY_TEST_DATA "/sheet/") + QString::fromLatin1(name);
}

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Opens path and activates worksheet `index`.
std::unique_ptr<sheet::Application> OpenSheet(const QString& path, int index = 1) {
    auto app = sheet::CreateApplication();
    app->GetWorkbooks().Open(path);
    app->Worksheets(index).Activate();
    return app;
}

QString OpenError(const QString& path) {
    try {
        sheet::CreateApplication()->GetWorkbooks().Open(path);
    } catch (const AppError& e) {
        return e.Message();
    }
    return QStringLiteral("(opened)");
}

TEST(CellText, GeneralNumberHasFifteenDigits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {42, "42"},
        {-0.5, "-0.5"},
        {1234.5678, "1234.5678"},
        {0.1 + 0.2, "0.3"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {6222021234567890123.0, "6.22202123456789E18"},
        {1e15, "1E15"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {0.000001234, "1.234E-6"},
        {100, "100"},
        {0.0091, "0.0091"},
        {2.5e-300, "2.5E-300"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sheet::GeneralNumber(c.value), QString::fromLatin1(c.text)) << c.text;
    }
}

TEST(CellText, SerialDates) {
    EXPECT_EQ(sheet::SerialDateText(45296, false), u"2024/1/5");
    EXPECT_EQ(sheet::SerialDateText(45296.354224537, false), u"2024/1/5 8:30:05");
    EXPECT_EQ(sheet::SerialDateText(1, false), u"1900/1/1");
    EXPECT_EQ(sheet::SerialDateText(60, false), u"1900/2/29");
    EXPECT_EQ(sheet::SerialDateText(61, false), u"1900/3/1");
    EXPECT_EQ(sheet::SerialDateText(0.5, false), u"12:00:00");
    EXPECT_EQ(sheet::SerialDateText(0, true), u"1904/1/1");
}

// What column A (and a few others) of the cells workbook reads as, in both binary formats.
struct Expected {
    int row;
    int column;
    const char* text;
};

const std::vector<Expected> kCells = {
    {1, 1, "文本"},
    {2, 1, "42"},
    {3, 1, "1234.5678"},
    {4, 1, "0.3"},
    {5, 1, "1.23456789012346E17"},
    {6, 1, "-0.5"},
    {7, 1, "1E-6"},
    {8, 1, "0.0001"},
    {9, 1, "1E15"},
    {10, 1, "123456789012345"},
    {11, 1, "2024/1/5"},
    {12, 1, "2024/1/5 8:30:05"},
    {13, 1, "TRUE"},
    {14, 1, "FALSE"},
    {15, 1, "#N/A"},
    {16, 1, ""},
    {17, 1, " a "},
    {1, 28, "远列"},
    {100, 1, "末行"},
    {101, 1, ""},
    {1, 26, ""},
    {70000, 300, ""},
};

void ExpectCells(sheet::Application& app, const std::vector<Expected>& cells) {
    for (const Expected& e : cells) {
        EXPECT_EQ(app.Cells(e.row, e.column), QString::fromUtf8(e.text))
            << "row " << e.row << " column " << e.column;
    }
}

TEST(Xls, CellsReadAsTheSpreadsheetShowsThem) {
    auto app = OpenSheet(Data("cells.xls"));
    ExpectCells(*app, kCells);
}

// Texts longer than one record go on in the records after it, several of them for 30,000
// characters; every cell around them reads as written.
TEST(Xls, TextsSpanningSeveralRecordsReadWhole) {
    auto app = OpenSheet(Data("longtext.xls"));
    EXPECT_EQ(app->Cells(1, 5), QString(12000, QChar(0x957F)));  // 长
    EXPECT_EQ(app->Cells(2, 5), QString(30000, QChar(0x884C)));  // 行
    EXPECT_EQ(app->Cells(2, 4), QString(9000, QChar(0x5907)));   // 备
    ExpectCells(*app, {{1, 1, "张三"},
                       {1, 2, "6222001"},
                       {1, 3, "1000"},
                       {1, 4, "一月"},
                       {2, 1, "李四"},
                       {2, 3, "20"},
                       {3, 1, "王五"},
                       {3, 3, "30.5"},
                       {3, 4, "三月"},
                       {3, 5, "金"},
                       {4, 1, ""}});
}

// A shared string goes on in a CONTINUE record that starts with an option byte of its own:
// the characters after it are one or two bytes each as that byte says, whatever the width of
// those before. A string after it in the same record shows that the reader went on from the
// right place.
TEST(Xls, SharedStringsChangeWidthWhereTheyGoOnInTheNextRecord) {
    using fixture::biff::Segment;
    const auto narrow = [](const char* latin1) { return Segment{QString::fromLatin1(latin1)}; };
    const auto wide = [](const char* utf8) { return Segment{QString::fromUtf8(utf8), true}; };
    const struct {
        const char* name;
        fixture::biff::SharedString string;
        const char* text;
    } cases[] = {
        {"one byte, then two", {{narrow("Name:"), wide("张三丰")}}, "Name:张三丰"},
        {"two bytes, then one", {{wide("工资"), narrow("2024")}}, "工资2024"},
        {"over three records", {{narrow("ID-"), wide("李四"), narrow("-07")}}, "ID-李四-07"},
        {"two bytes, then two", {{wide("备"), wide("注")}}, "备注"},
        {"formatting runs after", {{narrow("Re"), wide("红字")}, 2}, "Re红字"},
    };
    TestDir dir;
    for (const auto& c : cases) {
        const QByteArray table = fixture::biff::StringTable({c.string, {{wide("后")}}});
        const QByteArray cells =
            fixture::biff::LabelSst(1, 1, 0) + fixture::biff::LabelSst(2, 1, 1);
        dir.Write(QStringLiteral("widths.xls"), fixture::biff::XlsWorkbook(table, cells));
        try {
            auto app = OpenSheet(dir.Path(QStringLiteral("widths.xls")));
            EXPECT_EQ(app->Cells(1, 1), QString::fromUtf8(c.text)) << c.name;
            EXPECT_EQ(app->Cells(2, 1), u"后") << c.name;
        } catch (const AppError& e) {
            ADD_FAILURE() << c.name << ": " << e.Message().toStdString();
        }
    }
}

// A MULRK record holds the numbers of cells side by side: the first column it names, then a
// cell format and an RK value for each cell, then the last column. The values land from the
// first column on, also when it is not column A.
TEST(Xls, MulRkValuesLandFromTheirFirstColumnOn) {
    using namespace fixture::biff;
    const QByteArray cells = Label(2, 2, QStringLiteral("张三")) +
                             MulRk(2, 3, {RkInteger(1000), RkInteger(1234, true), RkDouble(0.5)}) +
                             MulRk(3, 1, {RkInteger(-7, true), RkDouble(2.75)});
    TestDir dir;
    dir.Write(QStringLiteral("mulrk.xls"), XlsWorkbook({}, cells));
    auto app = OpenSheet(dir.Path(QStringLiteral("mulrk.xls")));
    ExpectCells(*app, {{2, 1, ""},
                       {2, 2, "张三"},
                       {2, 3, "1000"},
                       {2, 4, "12.34"},
                       {2, 5, "0.5"},
                       {2, 6, ""},
                       {3, 1, "-0.07"},
                       {3, 2, "2.75"},
                       {3, 3, ""},
                       {1, 3, ""},
                       {4, 1, ""}});
}

TEST(Xlsx, CellsReadAsTheSpreadsheetShowsThem) {
    TestDir dir;
    fixture::WriteCellsXlsx(dir.Path(QStringLiteral("cells.xlsx")));
    auto app = OpenSheet(dir.Path(QStringLiteral("cells.xlsx")));
    ExpectCells(*app, kCells);
    // Formula results, a number with a money format, a string of formatted runs.
    ExpectCells(*app, {{1, 2, "6"}, {2, 2, "张三"}, {3, 2, "1234.5"}, {4, 2, "富文本"}});
}

TEST(Xlsx, InlineStringsReadLikeSharedOnes) {
    TestDir dir;
    const QString shared = dir.Path(QStringLiteral("shared.xlsx"));
    const QString inlined = dir.Path(QStringLiteral("inline.xlsx"));
    fixture::WritePayrollXlsx(shared);
    // Constant-memory mode writes every string inline in the sheet.
    fixture::WritePayrollXlsx(inlined, {.inlineStrings = true});
    auto a = OpenSheet(shared);
    auto b = OpenSheet(inlined);
    for (int row = 1; row <= 18; ++row) {
        for (int column = 1; column <= 4; ++column) {
            EXPECT_EQ(a->Cells(row, column), b->Cells(row, column)) << row << "," << column;
        }
    }
    EXPECT_EQ(b->Cells(2, 1), u"张三");
    EXPECT_EQ(b->Cells(3, 2), u"6.22202123456789E18");
}

TEST(Worksheets, FirstInWorkbookOrderWhereverItIsStored) {
    TestDir dir;
    const QString swapped = dir.Path(QStringLiteral("swapped.xlsx"));
    fixture::WritePayrollXlsx(swapped);
    fixture::SwapFirstTwoSheets(swapped);
    EXPECT_EQ(OpenSheet(swapped, 1)->Cells(1, 1), u"不是第一个工作表");
    EXPECT_EQ(OpenSheet(swapped, 2)->Cells(2, 1), u"张三");

    // A chart sheet is no worksheet: the first worksheet comes after it.
    const QString chart = dir.Path(QStringLiteral("chart.xlsx"));
    fixture::WritePayrollXlsx(chart, {.chartFirst = true});
    EXPECT_EQ(OpenSheet(chart, 1)->Cells(2, 1), u"张三");

    EXPECT_EQ(OpenSheet(Data("payroll.xls"), 1)->Cells(2, 1), u"张三");
    EXPECT_EQ(OpenSheet(Data("payroll.xls"), 2)->Cells(1, 1), u"不是第一个工作表");
    auto app = sheet::CreateApplication();
    app->GetWorkbooks().Open(Data("payroll.xls"));
    try {
        app->Worksheets(3);
        ADD_FAILURE() << "a third worksheet";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.Message().contains(u"没有第 3 个工作表")) << e.Message().toStdString();
    }
}

TEST(Csv, SplitsAsASpreadsheetProgramDoes) {
    const struct {
        const char* name;
        QByteArray bytes;  // GB18030 unless it starts with the UTF-8 mark
        std::vector<std::vector<const char*>> rows;
    } cases[] = {
        {"plain", Gb("a,b,c\r\nd,e\r\n"), {{"a", "b", "c"}, {"d", "e"}}},
        {"quoted comma", Gb("\"a,b\",c\n"), {{"a,b", "c"}}},
        {"doubled quote", Gb("\"say \"\"hi\"\"\",x\n"), {{"say \"hi\"", "x"}}},
        {"line break inside", Gb("\"one\r\ntwo\",x\r\ny\r\n"), {{"one\r\ntwo", "x"}, {"y"}}},
        {"CR line ends", Gb("a\rb\r"), {{"a"}, {"b"}}},
        {"empty line is a row", Gb("a\n\nb\n"), {{"a"}, {""}, {"b"}}},
        {"text after closing quote", Gb("\"ab\"cd,e\n"), {{"abcd", "e"}}},
        {"quote inside unquoted", Gb("a\"b,c\n"), {{"a\"b", "c"}}},
        {"unterminated quote", Gb("x,\"abc\ndef"), {{"x", "abc\ndef"}}},
        {"trailing comma", Gb("a,\n"), {{"a", ""}}},
        {"blanks kept", Gb(" a , b \n"), {{" a ", " b "}}},
        {"no final line end", Gb("a,b"), {{"a", "b"}}},
        {"GB18030", Gb("张三,𠀀\n"), {{"张三", "𠀀"}}},
        {"UTF-8 with mark",
         QByteArray("\xEF\xBB\xBF") + QByteArray("张三,李四\n"),
         {{"张三", "李四"}}},
    };
    for (const auto& c : cases) {
        TestDir dir;
        dir.Write(QStringLiteral("t.csv"), c.bytes);
        auto app = OpenSheet(dir.Path(QStringLiteral("t.csv")));
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
            const int row = static_cast<int>(r) + 1;
            for (std::size_t f = 0; f < c.rows[r].size(); ++f) {
                EXPECT_EQ(app->Cells(row, static_cast<int>(f) + 1), QString::fromUtf8(c.rows[r][f]))
                    << c.name << " row " << row << " field " << f + 1;
            }
            EXPECT_EQ(app->Cells(row, static_cast<int>(c.rows[r].size()) + 1), QString()) << c.name;
        }
        EXPECT_EQ(app->Cells(static_cast<int>(c.rows.size()) + 1, 1), QString()) << c.name;
    }
}

TEST(Csv, BothEncodingsOfThePayrollReadAlike) {
    auto gb = OpenSheet(Data("payroll.csv"));
    auto utf8 = OpenSheet(Data("payroll_utf8.csv"));
    for (int row = 1; row <= 18; ++row) {
        for (int column = 1; column <= 4; ++column) {
            EXPECT_EQ(gb->Cells(row, column), utf8->Cells(row, column)) << row << "," << column;
        }
    }
    EXPECT_EQ(gb->Cells(5, 1), u" 赵六 ");
    EXPECT_EQ(gb->Cells(17, 3), u"1,000.00");
}

enum class Utf16Form { Little, Big, LittleMarked, BigMarked };

// The UTF-16 bytes of a UTF-8 literal, with or without the byte-order mark.
QByteArray Utf16(const char* utf8, Utf16Form form) {
    const bool big = form == Utf16Form::Big || form == Utf16Form::BigMarked;
    const bool marked = form == Utf16Form::LittleMarked || form == Utf16Form::BigMarked;
    QStringEncoder encoder(big ? QStringEncoder::Utf16BE : QStringEncoder::Utf16LE,
                           marked ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
    return encoder.encode(QString::fromUtf8(utf8));
}

constexpr const char* kUtf16 =
    "是UTF-16（Unicode）编码的文本，无法导入；请在电子表格程序中另存为“CSV UTF-8（逗号分隔）”"
    "或GBK编码的CSV文件后再导入";

TEST(Open, RefusedFilesNameTheFileInChinese) {
    TestDir dir;
    const QByteArray xls = ReadBytes(Data("payroll.xls"));
    const QString xlsxPath = dir.Path(QStringLiteral("full.xlsx"));
    fixture::WritePayrollXlsx(xlsxPath);
    const QByteArray xlsx = ReadBytes(xlsxPath);
    const struct {
        const char* file;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"empty.xls", QByteArray(), "是空文件"},
        {"half.xls", xls.left(xls.size() / 2), "不是可读取的工作簿"},
        {"header.xls", xls.left(600), "不是可读取的工作簿"},
        {"half.xlsx", xlsx.left(xlsx.size() / 2), "不是可读取的工作簿"},
        {"binary.xls", QByteArray("\x01\x02\x00\x03garbage", 11), "不是可读取的工作簿"},
        {"controls.csv", QByteArray("a\0\x01\0\x02\0", 6), "不是可读取的工作簿"},
        {"badtext.csv", QByteArray("a,\xFF\xFF\n"), "既不是GB18030（GBK）编码，也不是UTF-8编码"},
        // Saved as "Unicode text" (tabs, little-endian with its mark) or as UTF-16 CSV.
        {"unicode.txt", Utf16("姓名\t金额\r\n张三\t100\r\n", Utf16Form::LittleMarked), kUtf16},
        {"marked_be.csv", Utf16("张三,100\r\n", Utf16Form::BigMarked), kUtf16},
        {"unmarked_le.csv", Utf16("张三,100\r\n", Utf16Form::Little), kUtf16},
        {"unmarked_be.csv", Utf16("张三,100\r\n", Utf16Form::Big), kUtf16},
        {"ascii_le.csv", Utf16("a,1\r\n", Utf16Form::Little), kUtf16},
        // Chinese characters only: not one NUL byte, but the mark.
        {"han_only.csv", Utf16("张三李四", Utf16Form::LittleMarked), kUtf16},
        {"password.xls", ReadBytes(Data("password.xls")), "密码"},
        {"encrypted.xlsx", ReadBytes(Data("encrypted.xlsx")), "密码"},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.file);
        dir.Write(name, c.bytes);
        const QString message = OpenError(dir.Path(name));
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.message)))
            << c.file << ": " << message.toStdString();
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(dir.Path(name))))
            << message.toStdString();
    }
    const QString missing = dir.Path(QStringLiteral("missing.xls"));
    EXPECT_EQ(OpenError(missing),
              QStringLiteral("无法打开文件“%1”，请确认文件存在、未被其他程序占用后重新选择。")
                  .arg(missing));
}

TEST(Open, ATextFileNamedXlsReadsAsText) {
    TestDir dir;
    dir.Write(QStringLiteral("renamed.xls"), Gb("张三,101,100\n"));
    auto app = OpenSheet(dir.Path(QStringLiteral("renamed.xls")));
    EXPECT_EQ(app->Cells(1, 1), u"张三");
    EXPECT_EQ(app->Cells(1, 3), u"100");
}

TEST(Open, HundredThousandRows) {
    TestDir dir;
    constexpr int kRows = 100000;
    dir.Write(QStringLiteral("big.csv"), fixture::RowsCsv(kRows));
    fixture::WriteRowsXlsx(dir.Path(QStringLiteral("big.xlsx")), kRows);
    for (const char* name : {"big.csv", "big.xlsx"}) {
        auto app = OpenSheet(dir.Path(QString::fromLatin1(name)));
        EXPECT_EQ(app->Cells(2, 1), u"员工1") << name;
        EXPECT_EQ(app->Cells(kRows + 1, 1), u"员工100000") << name;
        EXPECT_EQ(app->Cells(kRows + 1, 2), u"6222020000000099999") << name;
        EXPECT_EQ(app->Cells(kRows + 2, 1), QString()) << name;
    }
}

TEST(Open, CloseLeavesNoWorkbook) {
    auto app = OpenSheet(Data("payroll.xls"));
    app->GetWorkbooks().Close();
    EXPECT_THROW(app->Worksheets(1), AppError);
    app->GetWorkbooks().Close();  // closing nothing is no error
    app->Quit();
}

}  // namespace

// A compressed bomb: a worksheet part that would inflate beyond the bound is refused by its
// declared size, before anything is inflated, with a message naming the bound.
TEST(Open, APartThatWouldInflateBeyondTheBoundIsRefused) {
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("bomb.xlsx"));
    fixture::WritePayrollXlsx(path);
    fixture::ReplacePartWithBlanks(path, "xl/worksheets/sheet1.xml", sheet::kMaxPartBytes + 1);
    EXPECT_LT(QFileInfo(path).size(), 1024 * 1024);
    auto app = sheet::CreateApplication();
    app->GetWorkbooks().Open(path);
    try {
        app->Worksheets(1).Activate();
        ADD_FAILURE() << "activated";
    } catch (const AppError& e) {
        EXPECT_EQ(
            e.Message(),
            QStringLiteral("文件“%1”中有一部分解压后超过 64 MB，远大于任何可导入的表格，未导入")
                .arg(QDir::toNativeSeparators(path)));
    }
}

// A number format is a date only when it holds date or time codes outside literal text: letters
// beside digit placeholders ("0.00 USD") are text, and the amount stays a number.
TEST(CellText, LettersBesideDigitPlaceholdersAreNoDate) {
    const struct {
        const char* format;
        const char* text;
    } cases[] = {
        {"0.00 USD", "1000"},
        {"#,##0.00 \"元\"", "1000"},
        {"#,##0.00_);[Red](#,##0.00)", "1000"},
        {"0.00E+00", "1000"},
        {"[$¥-804]#,##0.00", "1000"},
        {"#,##0.00 \"USD\"", "1000"},
        {"0.00%", "1000"},
        {"General", "1000"},
        {"@", "1000"},
        {"# ?/?", "1000"},
        {"0.00;-0.00;\"-\"", "1000"},
        {"#,##0 \"days\"", "1000"},
        {"yyyy-mm-dd", "1902/9/26"},
        {"yyyy\"年\"m\"月\"d\"日\"", "1902/9/26"},
        {"mm:ss.0", "0:00:00"},
        {"[h]:mm", "0:00:00"},
    };
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("formats.xlsx"));
    std::vector<const char*> formats;
    for (const auto& c : cases) {
        formats.push_back(c.format);
    }
    fixture::WriteFormatsXlsx(path, formats, 1000);
    auto app = sheet::CreateApplication();
    app->GetWorkbooks().Open(path);
    app->Worksheets(1).Activate();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const QString text = app->Cells(static_cast<int>(i) + 1, 1);
        if (QString::fromUtf8(cases[i].text) == u"1000") {
            EXPECT_EQ(text, QStringLiteral("1000")) << cases[i].format;
        } else {
            EXPECT_NE(text, QStringLiteral("1000")) << cases[i].format;
        }
    }
}

namespace {

using fixture::CellKind;
using fixture::NumberFormat;

// Number formats and the decimals each shows: the built-in ones by index, as both binary
// formats store them, and formats of the workbook's own by code (in an .xls the "¥" code is
// stored one byte a character, the "元" code two bytes).
const struct {
    NumberFormat format;
    int decimals;
} kShownDecimals[] = {
    {{0}, -1},  // General
    {{1}, 0},   // 0
    {{2}, 2},   // 0.00
    {{3}, 0},   // #,##0
    {{4}, 2},   // #,##0.00
    {{5}, 0},   // currency
    {{7}, 2},
    {{37}, 0},  // #,##0 ;(#,##0)
    {{39}, 2},
    {{42}, 0},  // accounting
    {{44}, 2},
    {{9}, -1},   // 0%
    {{10}, -1},  // 0.00%
    {{11}, -1},  // 0.00E+00
    {{48}, -1},  // ##0.0E+0
    {{12}, -1},  // # ?/?
    {{14}, -1},  // dates and times
    {{20}, -1},
    {{22}, -1},
    {{31}, -1},  // yyyy"年"m"月"d"日"
    {{57}, -1},
    {{49}, -1},  // @
    {{-1, "0.000"}, 3},
    {{-1, "0.0"}, 1},
    {{-1, "¥#,##0.00"}, 2},
    {{-1, "[$¥-804]#,##0.00"}, 2},
    {{-1, "#,##0.00\"元\""}, 2},
    {{-1, "#,##0.00_);[Red](#,##0.00)"}, 2},
    {{-1, "_ ¥* #,##0.00_ ;_ ¥* -#,##0.00_ ;_ ¥* \"-\"??_ ;_ @_ "}, 2},
    {{-1, "0.0000;-0.00"}, 4},
    {{-1, "[>=100]0.0;0.00"}, 1},
    {{-1, "0.00 USD"}, 2},
    {{-1, "\"No.\"0"}, 0},
    {{-1, "0\\.00"}, 0},
    {{-1, "0.0%"}, -1},
    {{-1, "0.000E+00"}, -1},
    {{-1, "# ?\?/?\?"}, -1},  // "# ??/??"
    {{-1, "yyyy-mm-dd"}, -1},
    {{-1, "yyyy\"年\"m\"月\"d\"日\""}, -1},
    {{-1, "[h]:mm:ss"}, -1},
};

// Each format's row holds, in columns A to I: a number (stored as NUMBER in an .xls), nothing
// (column B, hidden), a number stored as RK, nothing (column D, zero wide), a number beside
// one in General (together one MULRK), a formula's number, a formula's text, a text. Only the
// numbers under the format show its decimals.
const struct {
    int column;
    CellKind kind;
    double number;
    bool general;
    bool shows;
} kRowCells[] = {
    {1, CellKind::Number, 1234.5678, false, true},
    {3, CellKind::Number, 1234.5, false, true},
    {5, CellKind::Number, 1234.5, false, true},
    {6, CellKind::Number, 1234.5, true, false},
    {7, CellKind::NumberFormula, 1234.5, false, true},
    {8, CellKind::TextFormula, 0, false, false},
    {9, CellKind::Text, 0, false, false},
};

// After the formats' rows, cells that hold no number under "0.00", and a text in General.
const std::vector<std::pair<CellKind, int>> kNoNumbers = {
    {CellKind::Boolean, 2}, {CellKind::Error, 2}, {CellKind::Text, 2}, {CellKind::Text, 0}};

// Columns: B hidden, C wider, D zero wide, K and L hidden as one range.
const std::vector<fixture::ColumnWidth> kColumns = {
    {2, 2, 8.43, true}, {3, 3, 20, false}, {4, 4, 0, false}, {11, 12, 8.43, true}};
const std::vector<std::pair<int, bool>> kColumnHidden = {
    {1, false}, {2, true},   {3, false}, {4, true},  {5, false},
    {9, false}, {10, false}, {11, true}, {12, true}, {13, false}};

std::vector<fixture::FormattedCell> FormattedCells() {
    std::vector<fixture::FormattedCell> cells;
    int row = 0;
    for (const auto& c : kShownDecimals) {
        ++row;
        for (const auto& cell : kRowCells) {
            cells.push_back({row, cell.column, cell.kind, cell.general ? NumberFormat{0} : c.format,
                             cell.number, "12.345"});
        }
    }
    for (const auto& [kind, format] : kNoNumbers) {
        cells.push_back({++row, 1, kind, {format}, 0, "12.345"});
    }
    return cells;
}

// The same rows as comma-separated text: every field is text, whatever it looks like.
QByteArray FormattedCsv() {
    QByteArray csv;
    for (std::size_t i = 0; i < std::size(kShownDecimals); ++i) {
        csv += "1234.5678,,1234.50,,\"1,234.50\",1234.5,1234.5,12.345,12.345\r\n";
    }
    for (const auto& [kind, format] : kNoNumbers) {
        csv += kind == CellKind::Boolean ? "TRUE\r\n"
               : kind == CellKind::Error ? "#N/A\r\n"
                                         : "12.345\r\n";
    }
    return csv;
}

// The workbooks of every reader, the .xls with a range of hidden columns that a writer let
// run one past the last column too.
struct FormattedBook {
    const char* name;
    bool knowsFormats;
};
const FormattedBook kFormattedBooks[] = {
    {"formats.xls", true}, {"formats.xlsx", true}, {"formats.csv", false}};

void WriteFormattedBooks(TestDir& dir) {
    std::vector<fixture::ColumnWidth> xlsColumns = kColumns;
    xlsColumns.push_back({200, 257, 8.43, true});
    dir.Write(QStringLiteral("formats.xls"),
              fixture::biff::FormattedXls(FormattedCells(), xlsColumns));
    const QString xlsx = dir.Path(QStringLiteral("formats.xlsx"));
    fixture::WriteFormattedXlsx(xlsx, FormattedCells(), kColumns);
    // The writer stores a hidden column as zero wide; a spreadsheet program keeps its width.
    fixture::KeepHiddenColumnWidths(xlsx, 8.43);
    dir.Write(QStringLiteral("formats.csv"), FormattedCsv());
}

TEST(Formats, NumberCellsShowTheDecimalsOfTheirFormat) {
    TestDir dir;
    WriteFormattedBooks(dir);
    for (const FormattedBook& book : kFormattedBooks) {
        auto app = OpenSheet(dir.Path(QString::fromLatin1(book.name)));
        int row = 0;
        for (const auto& c : kShownDecimals) {
            ++row;
            const std::string format =
                c.format.code ? c.format.code : "built-in " + std::to_string(c.format.index);
            for (int column = 1; column <= 10; ++column) {
                int expected = -1;
                for (const auto& cell : kRowCells) {
                    if (cell.column == column && cell.shows && book.knowsFormats) {
                        expected = c.decimals;
                    }
                }
                EXPECT_EQ(app->ShownDecimals(row, column), expected)
                    << book.name << " " << format << " column " << column;
            }
        }
        const int last = row + static_cast<int>(kNoNumbers.size());
        for (++row; row <= last + 1; ++row) {
            EXPECT_EQ(app->ShownDecimals(row, 1), -1) << book.name << " row " << row;
        }
        EXPECT_EQ(app->Cells(last, 1), u"12.345") << book.name;
        EXPECT_EQ(app->ShownDecimals(0, 1), -1) << book.name;
        EXPECT_EQ(app->ShownDecimals(1, 0), -1) << book.name;
        EXPECT_EQ(app->ShownDecimals(1, 20000), -1) << book.name;
    }
}

TEST(Formats, HiddenAndZeroWidthColumnsAreHidden) {
    TestDir dir;
    WriteFormattedBooks(dir);
    for (const FormattedBook& book : kFormattedBooks) {
        auto app = OpenSheet(dir.Path(QString::fromLatin1(book.name)));
        for (const auto& [column, hidden] : kColumnHidden) {
            EXPECT_EQ(app->ColumnHidden(column), hidden && book.knowsFormats)
                << book.name << " column " << column;
        }
        EXPECT_FALSE(app->ColumnHidden(0)) << book.name;
        EXPECT_FALSE(app->ColumnHidden(-1)) << book.name;
        EXPECT_FALSE(app->ColumnHidden(20000)) << book.name;
    }
    // The .xls range that runs one past the last column hides up to the last.
    auto xls = OpenSheet(dir.Path(QStringLiteral("formats.xls")));
    EXPECT_FALSE(xls->ColumnHidden(199));
    EXPECT_TRUE(xls->ColumnHidden(200));
    EXPECT_TRUE(xls->ColumnHidden(256));
    EXPECT_FALSE(xls->ColumnHidden(257));
}

}  // namespace
