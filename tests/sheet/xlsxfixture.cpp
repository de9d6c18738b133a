#include "tests/sheet/xlsxfixture.h"

#include "platform/text/ansi.h"

#include <xlsxwriter.h>
#include <zip.h>

#include <QRegularExpression>
#include <QStringList>
#include <functional>
#include <optional>
#include <stdexcept>
#include <variant>
#include <vector>

namespace fixture {

namespace {

constexpr double kBigAccount = 6222021234567890123.0;

using Value = std::variant<std::monostate, QString, double>;

struct Row {
    int row;
    std::vector<Value> cells;
};

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::vector<Row> PayrollRows() {
    return {
        {1, {U("姓名"), U("账号"), U("金额"), U("备注")}},
        {2, {U("张三"), U("6222021234567890123"), 1234.5678, U("奖金")}},
        {3, {U("李四"), kBigAccount, 0.0091}},
        {4, {U("王五"), U("101"), 0.009}},
        {5, {U(" 赵六 "), U("102"), 100.0}},
        {6, {U("孙七"), U("103"), -5.0}},
        {7, {{}, U("104"), 50.0}},
        {8, {U("周八"), U("105"), 60.0}},
        {10, {U("吴九"), U("106"), {}}},
        {12, {U("   "), U("107"), 70.0}},
        {14, {U("郑十"), {}, 10.0}},
        {16, {U("冯十一"), U("108"), U("12.5")}},
        {17, {U("陈十二"), U("109"), U("1,000.00")}},
    };
}

void Check(lxw_error error) {
    if (error != LXW_NO_ERROR) {
        throw std::runtime_error(lxw_strerror(error));
    }
}

lxw_workbook* NewWorkbook(const QString& path, bool constantMemory) {
    lxw_workbook_options options{};
    options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* wb = workbook_new_opt(path.toLocal8Bit().constData(), &options);
    if (!wb) {
        throw std::runtime_error("cannot create workbook");
    }
    return wb;
}

void Write(lxw_worksheet* ws, int row, int col, const Value& v) {
    const auto r = static_cast<lxw_row_t>(row - 1);
    const auto c = static_cast<lxw_col_t>(col - 1);
    if (const auto* s = std::get_if<QString>(&v)) {
        Check(worksheet_write_string(ws, r, c, s->toUtf8().constData(), nullptr));
    } else if (const auto* d = std::get_if<double>(&v)) {
        Check(worksheet_write_number(ws, r, c, *d, nullptr));
    }
}

}  // namespace

void WritePayrollXlsx(const QString& path, XlsxOptions options) {
    lxw_workbook* wb = NewWorkbook(path, options.inlineStrings);
    lxw_chartsheet* chartsheet = nullptr;
    if (options.chartFirst) {
        chartsheet = workbook_add_chartsheet(wb, "图表");
    }
    lxw_worksheet* ws = workbook_add_worksheet(wb, "工资表");
    for (const Row& row : PayrollRows()) {
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            Write(ws, row.row, static_cast<int>(c) + 1, row.cells[c]);
        }
    }
    lxw_worksheet* other = workbook_add_worksheet(wb, "说明");
    Check(worksheet_write_string(other, 0, 0, "不是第一个工作表", nullptr));
    if (chartsheet) {
        lxw_chart* chart = workbook_add_chart(wb, LXW_CHART_COLUMN);
        chart_add_series(chart, nullptr, "=工资表!$C$2:$C$5");
        Check(chartsheet_set_chart(chartsheet, chart));
    }
    Check(workbook_close(wb));
}

void WriteHiddenXlsx(const QString& path) {
    lxw_workbook* wb = NewWorkbook(path, false);
    lxw_worksheet* old = workbook_add_worksheet(wb, "去年");
    Write(old, 1, 1, QStringLiteral("去年"));
    Write(old, 1, 2, QStringLiteral("6222009"));
    Write(old, 1, 3, 99999.0);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "本月");
    const struct {
        const char* name;
        const char* acct;
        double amount;
    } rows[] = {{"张三", "6222001", 1000}, {"离职员工", "6222003", 5000}, {"李四", "6222002", 20}};
    for (int r = 0; r < 3; ++r) {
        Write(ws, r + 1, 1, QString::fromUtf8(rows[r].name));
        Write(ws, r + 1, 2, QString::fromUtf8(rows[r].acct));
        Write(ws, r + 1, 3, rows[r].amount);
    }
    lxw_row_col_options hidden = {};
    hidden.hidden = 1;
    Check(worksheet_set_row_opt(ws, 1, LXW_DEF_ROW_HEIGHT, nullptr, &hidden));
    worksheet_activate(ws);
    worksheet_hide(old);
    Check(workbook_close(wb));
}

void WriteCellsXlsx(const QString& path) {
    lxw_workbook* wb = NewWorkbook(path, false);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "类型");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* stamp = workbook_add_format(wb);
    format_set_num_format(stamp, "yyyy-mm-dd hh:mm:ss");
    lxw_format* money = workbook_add_format(wb);
    format_set_num_format(money, "#,##0.00");
    const std::vector<Value> values = {
        U("文本"), 42.0,     1234.5678, 0.1 + 0.2, 123456789012345678.0,
        -0.5,      0.000001, 0.0001,    1e15,      123456789012345.0};
    for (std::size_t i = 0; i < values.size(); ++i) {
        Write(ws, static_cast<int>(i) + 1, 1, values[i]);
    }
    lxw_datetime day = {2024, 1, 5, 0, 0, 0};
    lxw_datetime moment = {2024, 1, 5, 8, 30, 5};
    Check(worksheet_write_datetime(ws, 10, 0, &day, date));
    Check(worksheet_write_datetime(ws, 11, 0, &moment, stamp));
    Check(worksheet_write_boolean(ws, 12, 0, 1, nullptr));
    Check(worksheet_write_boolean(ws, 13, 0, 0, nullptr));
    Check(worksheet_write_formula_str(ws, 14, 0, "=NA()", nullptr, "#N/A"));
    Check(worksheet_write_string(ws, 16, 0, " a ", nullptr));
    Check(worksheet_write_string(ws, 0, 27, "远列", nullptr));
    Check(worksheet_write_string(ws, 99, 0, "末行", nullptr));
    // Formulas keep their last results; a number format that is no date leaves a number.
    Check(worksheet_write_formula_num(ws, 0, 1, "=2*3", nullptr, 6));
    Check(worksheet_write_formula_str(ws, 1, 1, "=\"张\"&\"三\"", nullptr, "张三"));
    Check(worksheet_write_number(ws, 2, 1, 1234.5, money));
    lxw_rich_string_tuple bold = {nullptr, const_cast<char*>("富")};
    lxw_rich_string_tuple plain = {nullptr, const_cast<char*>("文本")};
    lxw_format* strong = workbook_add_format(wb);
    format_set_bold(strong);
    bold.format = strong;
    lxw_rich_string_tuple* runs[] = {&bold, &plain, nullptr};
    Check(worksheet_write_rich_string(ws, 3, 1, runs, nullptr));
    workbook_add_worksheet(wb, "第二页");
    Check(workbook_close(wb));
}

void WriteRowsXlsx(const QString& path, int count) {
    lxw_workbook* wb = NewWorkbook(path, false);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "工资表");
    const char* titles[] = {"姓名", "账号", "金额", "备注"};
    for (int c = 0; c < 4; ++c) {
        Check(worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), titles[c], nullptr));
    }
    for (int i = 0; i < count; ++i) {
        const auto r = static_cast<lxw_row_t>(i + 1);
        Check(worksheet_write_string(
            ws, r, 0, QStringLiteral("员工%1").arg(i + 1).toUtf8().constData(), nullptr));
        Check(worksheet_write_string(
            ws, r, 1,
            QStringLiteral("62220200%1").arg(i, 11, 10, QLatin1Char('0')).toUtf8().constData(),
            nullptr));
        Check(worksheet_write_number(ws, r, 2, 1000 + (i % 997) * 1.25, nullptr));
        Check(worksheet_write_string(ws, r, 3, "工资", nullptr));
    }
    Check(workbook_close(wb));
}

QByteArray RowsCsv(int count) {
    QString text = QStringLiteral("姓名,账号,金额,备注\r\n");
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("员工%1,62220200%2,%3,工资\r\n")
                    .arg(i + 1)
                    .arg(i, 11, 10, QLatin1Char('0'))
                    .arg(1000 + (i % 997) * 1.25, 0, 'g', 15);
    }
    return ansi::Encode(text);
}

void WriteFormatsXlsx(const QString& path, const std::vector<const char*>& formats, double value) {
    lxw_workbook* wb = NewWorkbook(path, false);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "格式");
    for (std::size_t i = 0; i < formats.size(); ++i) {
        lxw_format* f = workbook_add_format(wb);
        format_set_num_format(f, formats[i]);
        Check(worksheet_write_number(ws, static_cast<lxw_row_t>(i), 0, value, f));
    }
    Check(workbook_close(wb));
}

void WriteFormattedXlsx(const QString& path, const std::vector<FormattedCell>& cells,
                        const std::vector<ColumnWidth>& columns) {
    lxw_workbook* wb = NewWorkbook(path, false);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "格式");
    for (const FormattedCell& cell : cells) {
        lxw_format* f = workbook_add_format(wb);
        if (cell.format.index >= 0) {
            format_set_num_format_index(f, static_cast<uint8_t>(cell.format.index));
        } else {
            format_set_num_format(f, cell.format.code);
        }
        const auto r = static_cast<lxw_row_t>(cell.row - 1);
        const auto c = static_cast<lxw_col_t>(cell.column - 1);
        switch (cell.kind) {
            case CellKind::Number:
                Check(worksheet_write_number(ws, r, c, cell.number, f));
                break;
            case CellKind::Text:
                Check(worksheet_write_string(ws, r, c, cell.text, f));
                break;
            case CellKind::Boolean:
                Check(worksheet_write_boolean(ws, r, c, 1, f));
                break;
            case CellKind::Error:
                Check(worksheet_write_formula_str(ws, r, c, "=NA()", f, "#N/A"));
                break;
            case CellKind::NumberFormula: {
                // The formula of the number itself, its result saved beside it.
                const QByteArray formula = "=" + QByteArray::number(cell.number, 'g', 17);
                Check(worksheet_write_formula_num(ws, r, c, formula.constData(), f, cell.number));
                break;
            }
            case CellKind::TextFormula: {
                const QByteArray formula = "=\"" + QByteArray(cell.text) + "\"";
                Check(worksheet_write_formula_str(ws, r, c, formula.constData(), f, cell.text));
                break;
            }
        }
    }
    for (const ColumnWidth& column : columns) {
        lxw_row_col_options options = {};
        options.hidden = column.hidden ? 1 : 0;
        Check(worksheet_set_column_opt(ws, static_cast<lxw_col_t>(column.first - 1),
                                       static_cast<lxw_col_t>(column.last - 1), column.width,
                                       nullptr, &options));
    }
    Check(workbook_close(wb));
}

void ReplacePartWithBlanks(const QString& path, const char* part, qint64 bytes) {
    int error = 0;
    zip_t* zip = zip_open(path.toLocal8Bit().constData(), 0, &error);
    if (!zip) {
        throw std::runtime_error("cannot open package");
    }
    char* data = static_cast<char*>(malloc(static_cast<std::size_t>(bytes)));
    memset(data, ' ', static_cast<std::size_t>(bytes));
    zip_source_t* source = zip_source_buffer(zip, data, static_cast<zip_uint64_t>(bytes), 1);
    zip_file_add(zip, part, source, ZIP_FL_OVERWRITE);
    if (zip_close(zip) != 0) {
        throw std::runtime_error("cannot write package");
    }
}

namespace {

// Rewrites one part of the package at `path` through `edit`, leaving every other part stored
// as it was.
void EditPart(const QString& path, const char* part, const std::function<QString(QString)>& edit) {
    int error = 0;
    zip_t* zip = zip_open(path.toLocal8Bit().constData(), 0, &error);
    if (!zip) {
        throw std::runtime_error("cannot open package");
    }
    zip_stat_t st;
    zip_stat(zip, part, 0, &st);
    QByteArray xml(static_cast<qsizetype>(st.size), Qt::Uninitialized);
    zip_file_t* file = zip_fopen(zip, part, 0);
    zip_fread(file, xml.data(), st.size);
    zip_fclose(file);
    const QByteArray edited = edit(QString::fromUtf8(xml)).toUtf8();
    char* data = static_cast<char*>(malloc(static_cast<std::size_t>(edited.size())));
    memcpy(data, edited.constData(), static_cast<std::size_t>(edited.size()));
    zip_source_t* source =
        zip_source_buffer(zip, data, static_cast<zip_uint64_t>(edited.size()), 1);
    zip_file_add(zip, part, source, ZIP_FL_OVERWRITE);
    if (zip_close(zip) != 0) {
        throw std::runtime_error("cannot write package");
    }
}

}  // namespace

void SwapFirstTwoSheets(const QString& path) {
    EditPart(path, "xl/workbook.xml", [](QString text) {
        static const QRegularExpression sheet(QStringLiteral("<sheet [^>]*/>"));
        auto it = sheet.globalMatch(text);
        const auto first = it.next();
        const auto second = it.next();
        return text.left(first.capturedStart()) + second.captured() +
               text.mid(first.capturedEnd(), second.capturedStart() - first.capturedEnd()) +
               first.captured() + text.mid(second.capturedEnd());
    });
}

void KeepHiddenColumnWidths(const QString& path, double width) {
    EditPart(path, "xl/worksheets/sheet1.xml", [width](QString text) {
        static const QRegularExpression hidden(QStringLiteral("width=\"0\"( hidden=\"1\")"));
        return text.replace(hidden, QStringLiteral("width=\"%1\"\\1").arg(width));
    });
}

}  // namespace fixture
