#include <QSet>
// The salary sheet import core: column letters, the rows it gives for each file format, every
// reason it refuses a sheet (naming row and column), and the spreadsheet calls it makes.
#include "platform/text/apperror.h"
#include "salary/sheetimport.h"
#include "tests/common/testdir.h"
#include "tests/sheet/xlsxfixture.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QSet>
#include <functional>

namespace {

using salary::SalaryField;
using salary::SheetMapping;

QString Data(const char* name) {
    return QStringLiteral(CORPPAY_TEST_DATA "/sheet/") + QString::fromLatin1(name);
}

// The salary table of the item file example: name, deptname, acct, finalincome, codeno, memo.
std::vector<SalaryField> Fields() {
    return {{QStringLiteral("name"), QStringLiteral("姓名"), true, 8},
            {QStringLiteral("deptname"), QStringLiteral("部门名称"), false, 20},
            {QStringLiteral("acct"), QStringLiteral("员工账号"), true, 20},
            {QStringLiteral("FinalIncome"), QStringLiteral("实际入账金额"), true, 20},
            {QStringLiteral("codeno"), QStringLiteral("员工编号"), false, 20},
            {QStringLiteral("memo"), QStringLiteral("备注"), true, 20}};
}

SheetMapping Mapping(const char* startRow, const char* name = "A") {
    return {QString::fromLatin1(name), QStringLiteral("B"), QStringLiteral("C"),
            QString::fromLatin1(startRow)};
}

QStringList Row(const char* name, const char* acct, const char* amount) {
    const QString null = QStringLiteral("NULL");
    return {QString::fromUtf8(name),     null, QString::fromUtf8(acct),
            QString::fromLatin1(amount), null, null};
}

salary::SheetImport Import(const QString& path, const SheetMapping& mapping,
                           const std::vector<SalaryField>& fields = Fields()) {
    auto app = sheet::CreateApplication();
    return salary::ImportSheetFile(*app, path, mapping, fields);
}

QString ImportError(const QString& path, const SheetMapping& mapping,
                    const std::vector<SalaryField>& fields = Fields()) {
    try {
        Import(path, mapping, fields);
    } catch (const AppError& e) {
        return e.Message();
    }
    return QStringLiteral("(imported)");
}

TEST(ColumnLetterToIndex, UpperCaseLettersAToZZ) {
    const struct {
        const char* text;
        int column;
    } cases[] = {{"A", 1},    {"N", 14}, {"O", 15}, {"Z", 26}, {"AA", 27}, {"AZ", 52}, {"BA", 53},
                 {"ZZ", 702}, {"a", 0},  {"n", 0},  {" A", 0}, {"A ", 0},  {"", 0},    {"AAA", 0},
                 {"A1", 0},   {"1", 0},  {"Aa", 0}, {"@", 0},  {"[", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(salary::ColumnLetterToIndex(QString::fromLatin1(c.text)), c.column) << c.text;
    }
    EXPECT_EQ(salary::ColumnLetterToIndex(QStringLiteral("Ａ")), 0);  // full-width
}

// The payroll in each format the import reads.
struct Format {
    const char* name;
    std::function<QString(const TestDir&)> file;
    const char* bigAccount;  // the account stored as a number: general form, or CSV text
};

std::vector<Format> Formats() {
    return {
        {"xls", [](const TestDir&) { return Data("payroll.xls"); }, "6.22202123456789E18"},
        {"xlsx",
         [](const TestDir& dir) {
             const QString path = dir.Path(QStringLiteral("payroll.xlsx"));
             fixture::WritePayrollXlsx(path);
             return path;
         },
         "6.22202123456789E18"},
        {"xlsx inline strings",
         [](const TestDir& dir) {
             const QString path = dir.Path(QStringLiteral("inline.xlsx"));
             fixture::WritePayrollXlsx(path, {.inlineStrings = true});
             return path;
         },
         "6.22202123456789E18"},
        {"csv GB18030", [](const TestDir&) { return Data("payroll.csv"); }, "6222021234567889920"},
        {"csv UTF-8", [](const TestDir&) { return Data("payroll_utf8.csv"); },
         "6222021234567889920"},
    };
}

TEST(SheetImport, RowsUpToTheFirstEmptyNameInEveryFormat) {
    for (const Format& format : Formats()) {
        TestDir dir;
        // A 19-digit account stored as a number has lost its last digits: refused, asking for
        // the column as text.
        if (QString::fromLatin1(format.bigAccount).contains(u'E')) {
            EXPECT_EQ(ImportError(format.file(dir), Mapping("2")),
                      QStringLiteral("工作表第 3 行 B 列：“%1”是数字格式的“员工账号”，超过15位的"
                                     "账号在数字格式中已丢失末位，请将该列设为文本格式并重新录入"
                                     "账号")
                          .arg(QString::fromLatin1(format.bigAccount)))
                << format.name;
            continue;
        }
        const auto result = Import(format.file(dir), Mapping("2"));
        EXPECT_FALSE(result.noData) << format.name;
        // 王五 (0.009) and 孙七 (-5) are skipped; the blank name of row 7 ends the sheet.
        const std::vector<QStringList> expected = {
            Row("张三", "6222021234567890123", "1234.57"),
            Row("李四", format.bigAccount, "0.01"),
            Row(" 赵六 ", "102", "100.00"),
        };
        EXPECT_EQ(result.rows, expected) << format.name;
        EXPECT_EQ(result.total.TenThousandths(), 13345800)
            << format.name;  // 1334.58, the stored amounts
        ASSERT_EQ(result.rounded.size(), 2u) << format.name;
        EXPECT_EQ(result.rounded[0].sheetRow, 2);
        EXPECT_EQ(result.rounded[0].cellText, u"1234.5678");
        EXPECT_EQ(result.rounded[0].stored, u"1234.57");
        EXPECT_EQ(result.rounded[1].sheetRow, 3);
        EXPECT_EQ(result.rounded[1].cellText, u"0.0091");
        EXPECT_EQ(result.rounded[1].stored, u"0.01");
    }
}

TEST(SheetImport, RefusesTheWholeSheetNamingRowAndColumn) {
    const struct {
        const char* what;
        SheetMapping mapping;
        const char* message;
    } cases[] = {
        {"heading row", Mapping("1"),
         "工作表第 1 行 C 列：'金额' is not a valid floating point value"},
        {"lower-case letter", Mapping("2", "a"),
         "工作表第 2 行：“员工姓名”的列“a”不是有效的列字母（A 到 ZZ，大写）"},
        {"empty amount", Mapping("10"),
         "工作表第 10 行 C 列：'' is not a valid floating point value"},
        {"empty required account", Mapping("14"),
         "工作表第 14 行 B 列：Field '员工账号' must have a value"},
        {"grouped amount after a good one", Mapping("16"),
         "工作表第 17 行 C 列：'1,000.00' is not a valid floating point value"},
        {"start row not a number", Mapping("x"), "'x' is not a valid integer value"},
        {"start row zero", Mapping("0"), "数据起始行“0”不是有效的行号"},
        {"empty start row", Mapping(""), "'' is not a valid integer value"},
    };
    for (const Format& format : Formats()) {
        TestDir dir;
        const QString path = format.file(dir);
        for (const auto& c : cases) {
            EXPECT_EQ(ImportError(path, c.mapping), QString::fromUtf8(c.message))
                << format.name << ": " << c.what;
        }
    }
}

TEST(SheetImport, AcctLetterIsCheckedWhereItIsFirstNeeded) {
    SheetMapping mapping = Mapping("2");
    mapping.acct = QStringLiteral("b");
    EXPECT_EQ(ImportError(Data("payroll.xls"), mapping),
              QStringLiteral("工作表第 2 行：“员工账号”的列“b”不是有效的列字母（A 到 ZZ，大写）"));
    // No data at the start row: nothing else is read, so nothing else is refused.
    mapping.startRow = QStringLiteral("12");
    EXPECT_TRUE(Import(Data("payroll.xls"), mapping).noData);
}

TEST(SheetImport, NameOfBlanksAtTheStartRowIsNoData) {
    for (const Format& format : Formats()) {
        TestDir dir;
        const auto result = Import(format.file(dir), Mapping("12"));
        EXPECT_TRUE(result.noData) << format.name;
        EXPECT_TRUE(result.rows.empty()) << format.name;
    }
}

TEST(SheetImport, TextAmountsConvertLikeTypedOnes) {
    TestDir dir;
    // A third decimal of 5 rounds up even where the nearest double lies below the text's value.
    dir.Write(QStringLiteral("t.csv"),
              Gb("张三,1, 12.5 \n李四,2,100\n王五,3,+0.0090001\n赵六,4,2.675\n孙七,5,1.005\n"));
    const auto result = Import(dir.Path(QStringLiteral("t.csv")), Mapping("1"));
    EXPECT_EQ(result.rows,
              (std::vector<QStringList>{Row("张三", "1", "12.50"), Row("李四", "2", "100.00"),
                                        Row("王五", "3", "0.01"), Row("赵六", "4", "2.68"),
                                        Row("孙七", "5", "1.01")}));
    EXPECT_EQ(result.total.TenThousandths(), 1162000);
}

TEST(SheetImport, ValuesThatWouldBeCutAreRefused) {
    TestDir dir;
    dir.Write(QStringLiteral("t.csv"), Gb("张三,1,1\n欧阳娜娜娜,2,1\n"));
    EXPECT_EQ(ImportError(dir.Path(QStringLiteral("t.csv")), Mapping("1")),
              QStringLiteral("工作表第 2 行 A 列：“姓名”超过8字节，不能截断：“欧阳娜娜娜”"));
    dir.Write(QStringLiteral("u.csv"), Gb("张三,123456789012345678901,1\n"));
    EXPECT_EQ(ImportError(dir.Path(QStringLiteral("u.csv")), Mapping("1")),
              QStringLiteral(
                  "工作表第 1 行 B 列：“员工账号”超过20字节，不能截断：“123456789012345678901”"));
}

TEST(SheetImport, MissingItemFieldIsNamed) {
    std::vector<SalaryField> fields = Fields();
    fields.erase(fields.begin() + 2);  // no acct
    EXPECT_EQ(ImportError(Data("payroll.csv"), Mapping("2"), fields),
              QStringLiteral("Field 'acct' not found"));
    // Only the three mapped fields are needed: any other layout keeps "NULL" elsewhere.
    const std::vector<SalaryField> three = {{QStringLiteral("acct"), {}, true, 0},
                                            {QStringLiteral("finalincome"), {}, true, 0},
                                            {QStringLiteral("name"), {}, true, 0}};
    const auto result = Import(Data("payroll.csv"), Mapping("2"), three);
    ASSERT_EQ(result.rows.size(), 3u);
    EXPECT_EQ(result.rows[2], (QStringList{QStringLiteral("102"), QStringLiteral("100.00"),
                                           QStringLiteral(" 赵六 ")}));
}

TEST(SheetImport, FileThatCannotBeOpenedFailsWithTheLayersMessage) {
    TestDir dir;
    const QString missing = dir.Path(QStringLiteral("none.xls"));
    EXPECT_EQ(ImportError(missing, Mapping("2")),
              QStringLiteral("无法打开文件“%1”，请确认文件存在、未被其他程序占用后重新选择。")
                  .arg(missing));
}

// A spreadsheet application that records the calls made to it.
class RecordingApp : public sheet::Application, public sheet::Workbooks, public sheet::Worksheet {
public:
    QMap<std::pair<int, int>, QString> cells;
    QStringList calls;
    bool failOpen = false;

    sheet::Workbooks& GetWorkbooks() override { return *this; }
    void Open(const QString& path) override {
        calls << QStringLiteral("Open ") + path;
        if (failOpen) {
            throw AppError(QStringLiteral("无法打开"));
        }
    }
    void Close() override { calls << QStringLiteral("Close"); }
    sheet::Worksheet& Worksheets(int index) override {
        calls << QStringLiteral("Worksheets %1").arg(index);
        return *this;
    }
    void Activate() override { calls << QStringLiteral("Activate"); }
    QString Cells(int row, int column) override {
        calls << QStringLiteral("Cells %1,%2").arg(row).arg(column);
        return cells.value({row, column});
    }
    bool RowHidden(int row) override { return hiddenRows.contains(row); }
    bool ColumnHidden(int column) override { return hiddenColumns.contains(column); }
    void Quit() override { calls << QStringLiteral("Quit"); }
    QSet<int> hiddenRows;
    QSet<int> hiddenColumns;
};

TEST(SheetImport, CallsInOrderAndClosesHoweverItEnds) {
    RecordingApp app;
    app.cells[{1, 1}] = QStringLiteral("张三");
    app.cells[{1, 2}] = QStringLiteral("101");
    app.cells[{1, 3}] = QStringLiteral("5");
    app.cells[{3, 1}] = QStringLiteral("not read");
    const auto result =
        salary::ImportSheetFile(app, QStringLiteral("p.xls"), Mapping("1"), Fields());
    EXPECT_EQ(result.rows.size(), 1u);
    // Row 2 ends the import; the rows below are looked at, never imported, so that the closing
    // message can say that row 3 was not read.
    EXPECT_EQ(result.endRow, 2);
    EXPECT_EQ(result.unreadRows, 1);
    QStringList calls{
        QStringLiteral("Open p.xls"), QStringLiteral("Worksheets 1"), QStringLiteral("Activate"),
        QStringLiteral("Cells 1,1"),  QStringLiteral("Cells 1,1"),    QStringLiteral("Cells 1,2"),
        QStringLiteral("Cells 1,3"),  QStringLiteral("Cells 2,1"),    QStringLiteral("Cells 3,1")};
    for (int row = 4; row <= 203; ++row) {
        for (int column = 1; column <= 3; ++column) {
            calls << QStringLiteral("Cells %1,%2").arg(row).arg(column);
        }
    }
    calls << QStringLiteral("Close") << QStringLiteral("Quit");
    EXPECT_EQ(app.calls, calls);

    app.calls.clear();
    app.cells[{2, 1}] = QStringLiteral("李四");  // no amount
    EXPECT_THROW(salary::ImportSheetFile(app, QStringLiteral("p.xls"), Mapping("1"), Fields()),
                 AppError);
    EXPECT_EQ(app.calls.mid(app.calls.size() - 2),
              (QStringList{QStringLiteral("Close"), QStringLiteral("Quit")}));

    app.calls.clear();
    app.failOpen = true;
    EXPECT_THROW(salary::ImportSheetFile(app, QStringLiteral("p.xls"), Mapping("1"), Fields()),
                 AppError);
    EXPECT_EQ(app.calls, (QStringList{QStringLiteral("Open p.xls"), QStringLiteral("Quit")}));
}

TEST(SheetImport, RoundedWarningListsTheFirstFive) {
    std::vector<salary::RoundedAmount> rounded;
    for (int i = 0; i < 7; ++i) {
        rounded.push_back({i + 2, QStringLiteral("1.00%1").arg(i + 1), QStringLiteral("1.00")});
    }
    EXPECT_EQ(salary::RoundedWarning(rounded),
              QStringLiteral("有 7 笔金额超过两位小数，已四舍五入到分后导入：\n"
                             "第 2 行：1.001 → 1.00\n第 3 行：1.002 → 1.00\n"
                             "第 4 行：1.003 → 1.00\n第 5 行：1.004 → 1.00\n"
                             "第 6 行：1.005 → 1.00\n……"));
    rounded.resize(1);
    EXPECT_EQ(
        salary::RoundedWarning(rounded),
        QStringLiteral("有 1 笔金额超过两位小数，已四舍五入到分后导入：\n第 2 行：1.001 → 1.00"));
}

}  // namespace

// Hostile sheets: whatever a cell holds, the import refuses it naming the cell, echoes at most a
// short excerpt of it (a message box of a whole 500,000-character cell never finishes laying
// out), and reads UTF-8 text without a byte-order mark as UTF-8.
TEST(SheetImport, HostileSheetsAreRefusedShortlyOrReadAsWritten) {
    const QString hugeName(500000, QChar(u'张'));
    const QByteArray hugeAmount(1000000, '1');
    const struct {
        const char* what;
        QByteArray csv;
        const char* message;  // nullptr: imported
        const char* name;
    } cases[] = {
        {"huge name", Gb(hugeName.toUtf8().constData()) + Gb(",6222001,1\r\n"),
         "工作表第 1 行 A "
         "列：“姓名”超过8字节，不能截断：“张张张张张张张张张张张张张张张张张张张张张张张"
         "张…”",
         nullptr},
        {"huge amount", Gb("张三,6222001,") + hugeAmount + "\r\n",
         "工作表第 1 行 C 列：'111111111111111111111111…' is not a valid floating point value",
         nullptr},
        {"amount in exponent form", Gb("张三,6222001,1e15\r\n"),
         "工作表第 1 行 C 列：金额“1e15”是科学计数法，电子表格已丢失它的末几位；请将该列设为两位"
         "小数的数值格式，核对金额后再导入",
         nullptr},
        {"failed lookup", Gb("张三,#N/A,1\r\n"),
         "工作表第 1 行 B 列：“员工账号”只能是1到32位数字，不能带空格或横杠：“#N/A”", nullptr},
        {"account with blanks", Gb("张三,6222 0202 0011,1\r\n"),
         "工作表第 1 行 B 列：“员工账号”只能是1到32位数字，不能带空格或横杠：“6222 0202 0011”",
         nullptr},
        {"amount of sixteen digits", Gb("张三,6222001,1000000000000000\r\n"),
         "工作表第 1 行 C 列：金额“1000000000000000”超过13位整数", nullptr},
        {"UTF-8 two characters", QByteArray("张三,6222001,1000\r\n"), nullptr, "张三"},
        {"UTF-8 three characters", QByteArray("王小二,6222001,1000\r\n"), nullptr, "王小二"},
    };
    for (const auto& c : cases) {
        TestDir dir;
        dir.Write(QStringLiteral("h.csv"), c.csv);
        const QString path = dir.Path(QStringLiteral("h.csv"));
        if (c.message) {
            EXPECT_EQ(ImportError(path, Mapping("1")), QString::fromUtf8(c.message)) << c.what;
        } else {
            const auto result = Import(path, Mapping("1"));
            ASSERT_EQ(result.rows.size(), 1u) << c.what;
            EXPECT_EQ(result.rows[0][0], QString::fromUtf8(c.name)) << c.what;
        }
    }
}

// A hidden first worksheet and hidden rows are read as the spreadsheet holds them, and named:
// the question before anything is added lists them.
TEST(SheetImport, HiddenSheetsAndRowsAreNamed) {
    TestDir dir;
    const QString xlsx = dir.Path(QStringLiteral("hidden.xlsx"));
    fixture::WriteHiddenXlsx(xlsx);
    for (const QString& path : {Data("hidden.xls"), xlsx}) {
        const auto sheet = Import(path, Mapping("1"));
        EXPECT_EQ(sheet.hiddenSheet, QStringLiteral("去年")) << path.toStdString();
        EXPECT_EQ(salary::HiddenQuestion(sheet),
                  QStringLiteral("导入读取的是隐藏的工作表“去年”。\n\n仍要导入吗？"));
        auto app = sheet::CreateApplication();
        app->GetWorkbooks().Open(path);
        EXPECT_TRUE(app->WorksheetHidden(1));
        EXPECT_FALSE(app->WorksheetHidden(2));
        EXPECT_EQ(app->WorksheetName(2), QStringLiteral("本月"));
        app->Worksheets(2).Activate();
        EXPECT_FALSE(app->RowHidden(1));
        EXPECT_TRUE(app->RowHidden(2)) << path.toStdString();
        EXPECT_FALSE(app->RowHidden(3));
        app->GetWorkbooks().Close();
    }
    // The visible sheet's hidden row, as a sheet of its own.
    RecordingApp app;
    app.cells[{1, 1}] = QStringLiteral("张三");
    app.cells[{1, 2}] = QStringLiteral("6222001");
    app.cells[{1, 3}] = QStringLiteral("1000");
    app.cells[{2, 1}] = QStringLiteral("离职员工");
    app.cells[{2, 2}] = QStringLiteral("6222003");
    app.cells[{2, 3}] = QStringLiteral("5000");
    app.hiddenRows = {2};
    const auto rows = salary::ImportSheetFile(app, QStringLiteral("p.xls"), Mapping("1"), Fields());
    EXPECT_EQ(
        salary::HiddenQuestion(rows),
        QStringLiteral("以下 1 行在工作表中是隐藏的，也将导入：\n第 2 行：离职员工 5000.00\n\n"
                       "仍要导入吗？"));
    // A hidden amount column is named too, though no row is hidden.
    app.hiddenRows.clear();
    app.hiddenColumns = {3};
    const auto columns =
        salary::ImportSheetFile(app, QStringLiteral("p.xls"), Mapping("1"), Fields());
    EXPECT_EQ(salary::HiddenQuestion(columns),
              QStringLiteral("以下列在工作表中是隐藏的，也将导入：C 列（实际入账金额）。\n\n"
                             "仍要导入吗？"));
}
