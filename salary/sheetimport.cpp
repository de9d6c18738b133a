#include "salary/sheetimport.h"

#include "controls/amountformat.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"

#include <algorithm>
#include <optional>

#include "payments/credit.h"
#include "payments/values.h"

namespace salary {

namespace {

// The amounts above this are imported; exactly 0.009 is not. No double lies between the
// double nearest 0.009 and 0.009 itself, so this comparison is the exact one.
constexpr double kThreshold = 0.009;
constexpr int kWarningRows = 5;

using convert::Trim;

// The runtime's integer conversion: optional leading blanks, an optional sign, decimal digits.
int TextToInt(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    long long value = 0;
    const qsizetype digitsFrom = i;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > 2147483648LL) {
            break;
        }
    }
    if (i == digitsFrom || i != text.size() || value > 2147483647LL + (negative ? 1 : 0)) {
        throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
    return static_cast<int>(negative ? -value : value);
}

AppError CellError(int row, const QString& column, const QString& what) {
    return AppError(QStringLiteral("工作表第 %1 行 %2 列：%3").arg(row).arg(column, what));
}

// The column a mapping edit names; fails naming the edit when its text is no column letter.
int MappedColumn(const QString& letters, const QString& label, int row) {
    const int column = ColumnLetterToIndex(letters);
    if (column == 0) {
        throw AppError(
            QStringLiteral("工作表第 %1 行：“%2”的列“%3”不是有效的列字母（A 到 ZZ，大写）")
                .arg(row)
                .arg(label, letters));
    }
    return column;
}

std::optional<int> FindField(const std::vector<SalaryField>& fields, const QString& name) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

int RequireField(const std::vector<SalaryField>& fields, const QString& name) {
    const auto index = FindField(fields, name);
    if (!index) {
        throw MakeError(msg::kFieldNotFound, name);
    }
    return *index;
}

// Rows from `from` on whose mapped cells hold anything, up to a run of empty rows that no real
// payroll has inside it.
int CountRowsWithData(sheet::Application& app, int from, const std::vector<int>& columns) {
    constexpr int kEmptyRun = 200;
    int count = 0;
    for (int row = from, empty = 0; empty < kEmptyRun; ++row) {
        bool data = false;
        for (int column : columns) {
            data = data || !Trim(app.Cells(row, column)).isEmpty();
        }
        if (data) {
            ++count;
            empty = 0;
        } else {
            ++empty;
        }
    }
    return count;
}

const QString kNameLabel = QStringLiteral("员工姓名");
const QString kAcctLabel = QStringLiteral("员工账号");
const QString kAmountLabel = QStringLiteral("实际入账金额");

}  // namespace

int ColumnLetterToIndex(const QString& text) {
    if (text.isEmpty() || text.size() > 2) {
        return 0;
    }
    int index = 0;
    for (QChar c : text) {
        if (c < u'A' || c > u'Z') {
            return 0;
        }
        index = index * 26 + (c.unicode() - u'A' + 1);
    }
    return index;
}

SheetImport ReadSalarySheet(sheet::Application& app, const SheetMapping& mapping,
                            const std::vector<SalaryField>& fields) {
    app.Worksheets(1).Activate();
    SheetImport result;
    if (app.WorksheetHidden(1)) {
        result.hiddenSheet = app.WorksheetName(1);
        if (result.hiddenSheet.isEmpty()) {
            result.hiddenSheet = QStringLiteral("第1个工作表");
        }
    }
    const int startRow = TextToInt(mapping.startRow);
    if (startRow < 1) {
        throw AppError(QStringLiteral("数据起始行“%1”不是有效的行号").arg(mapping.startRow));
    }
    const int nameColumn = MappedColumn(mapping.name, kNameLabel, startRow);
    if (Trim(app.Cells(startRow, nameColumn)).isEmpty()) {
        result.noData = true;
        return result;
    }
    // Field positions, looked up when the first row is stored.
    std::optional<int> nameField;
    std::optional<int> acctField;
    std::optional<int> amountField;
    for (int row = startRow;; ++row) {
        const QString name = app.Cells(row, nameColumn);
        if (Trim(name).isEmpty()) {
            result.endRow = row;
            break;
        }
        const int acctColumn = MappedColumn(mapping.acct, kAcctLabel, row);
        const int amountColumn = MappedColumn(mapping.finalincome, kAmountLabel, row);
        const QString acct = app.Cells(row, acctColumn);
        const QString amountText = app.Cells(row, amountColumn);
        if (payments::IsExponentForm(amountText)) {
            throw CellError(row, mapping.finalincome, payments::ExponentAmountText(amountText));
        }
        double amount = 0;
        try {
            amount = convert::TextToFloat(amountText);
        } catch (const AppError&) {
            // The cell's own text, cut short: a huge cell must not make a huge message box.
            throw CellError(row, mapping.finalincome,
                            QStringLiteral("'%1' is not a valid floating point value")
                                .arg(convert::Excerpt(amountText)));
        }
        if (!(amount > kThreshold)) {
            result.skippedRows.push_back(row);
            continue;
        }
        if (!nameField) {
            nameField = RequireField(fields, QStringLiteral("name"));
            acctField = RequireField(fields, QStringLiteral("acct"));
            amountField = RequireField(fields, QStringLiteral("finalincome"));
        }
        // Rounded from the cell's own decimal text, as a value of extended precision is: the
        // double nearest "2.675" lies below it and would give 2.67 instead of 2.68.
        const QString stored = amount::FormatExtended(QStringLiteral("0.00"), amountText);
        const payments::AmountCheck checked = payments::CheckAmount(stored);
        if (checked.refusal) {
            throw CellError(row, mapping.finalincome,
                            QStringLiteral("金额“%1”超过%2位整数")
                                .arg(convert::Excerpt(amountText))
                                .arg(payments::kMaxAmountDigits));
        }
        QStringList values(static_cast<qsizetype>(fields.size()), QStringLiteral("NULL"));
        values[*nameField] = name;
        values[*acctField] = acct;
        values[*amountField] = stored;
        // The checks a post would make, and no value cut to its field's size: a shortened
        // account or name would pay the wrong person.
        const struct {
            int field;
            const QString& column;
        } cells[] = {{*nameField, mapping.name},
                     {*acctField, mapping.acct},
                     {*amountField, mapping.finalincome}};
        for (const auto& cell : cells) {
            const SalaryField& field = fields[static_cast<std::size_t>(cell.field)];
            const QString& value = values[cell.field];
            if (field.required && value.isEmpty()) {
                throw CellError(row, cell.column,
                                MakeError(msg::kFieldMustHaveValue, field.label).Message());
            }
            // A number cell shows at most 15 significant digits: a longer account stored as a
            // number has already lost its last digits.
            if (cell.field == *acctField && payments::IsNumberCellForm(value)) {
                throw CellError(row, cell.column,
                                QStringLiteral("“%1”是数字格式的“%2”，超过15位的账号在数字格式中"
                                               "已丢失末位，请将该列设为文本格式并重新录入账号")
                                    .arg(convert::Excerpt(value), field.label));
            }
            try {
                payments::CheckCreditValue({field.name, field.label, field.size}, value, true);
            } catch (const AppError& e) {
                throw CellError(row, cell.column, e.Message());
            }
        }
        // A sheet whose sum does not fit is refused, at the row that takes it past.
        const auto total = result.total.Plus(checked.money);
        if (!total) {
            throw CellError(row, mapping.finalincome,
                            payments::TotalTooLargeText(QStringLiteral("工资记录")));
        }
        result.total = *total;
        if (convert::TextToFloat(stored) != amount) {
            result.rounded.push_back({row, amountText, stored});
        }
        if (app.RowHidden(row)) {
            result.hiddenRows.push_back({row, name, stored});
        }
        result.rows.push_back(std::move(values));
    }
    result.unreadRows = CountRowsWithData(app, result.endRow + 1,
                                          {nameColumn, MappedColumn(mapping.acct, kAcctLabel, 1),
                                           MappedColumn(mapping.finalincome, kAmountLabel, 1)});
    // A hidden column is paid unseen as a hidden row is: named in the question too.
    for (const auto& [letters, label] :
         {std::pair{mapping.name, kNameLabel}, std::pair{mapping.acct, kAcctLabel},
          std::pair{mapping.finalincome, kAmountLabel}}) {
        if (app.ColumnHidden(MappedColumn(letters, label, 1))) {
            result.hiddenColumns.append(QStringLiteral("%1 列（%2）").arg(letters, label));
        }
    }
    return result;
}

SheetImport ImportSheetFile(sheet::Application& app, const QString& path,
                            const SheetMapping& mapping, const std::vector<SalaryField>& fields) {
    try {
        app.GetWorkbooks().Open(path);
    } catch (...) {
        app.Quit();
        throw;
    }
    SheetImport result;
    try {
        result = ReadSalarySheet(app, mapping, fields);
    } catch (...) {
        app.GetWorkbooks().Close();
        app.Quit();
        throw;
    }
    app.GetWorkbooks().Close();
    app.Quit();
    return result;
}

QString ImportSummary(const SheetImport& result) {
    QStringList lines{QStringLiteral("共导入 %1 笔工资记录。").arg(result.rows.size())};
    if (!result.skippedRows.empty()) {
        QStringList rows;
        const std::size_t shown = std::min<std::size_t>(result.skippedRows.size(), 20);
        for (std::size_t i = 0; i < shown; ++i) {
            rows.append(QString::number(result.skippedRows[i]));
        }
        lines.append(
            QStringLiteral("金额为0或负数、未导入 %1 笔：第 %2 行%3")
                .arg(result.skippedRows.size())
                .arg(rows.join(QStringLiteral("、")))
                .arg(result.skippedRows.size() > shown ? QStringLiteral("等") : QString()));
    }
    if (result.unreadRows > 0) {
        lines.append(QStringLiteral("第 %1 行的姓名为空，导入到此结束；其后还有 %2 行数据未读取，"
                                    "请检查！")
                         .arg(result.endRow)
                         .arg(result.unreadRows));
    }
    return lines.join(u'\n');
}

QString HiddenQuestion(const SheetImport& result) {
    if (result.rows.empty()) {
        return QString();
    }
    return sheet::HiddenQuestion(result.hiddenSheet, result.hiddenColumns, result.hiddenRows);
}

QString RoundedWarning(const std::vector<RoundedAmount>& rounded) {
    QString text =
        QStringLiteral("有 %1 笔金额超过两位小数，已四舍五入到分后导入：").arg(rounded.size());
    const std::size_t shown = std::min<std::size_t>(rounded.size(), kWarningRows);
    for (std::size_t i = 0; i < shown; ++i) {
        text += QStringLiteral("\n第 %1 行：%2 → %3")
                    .arg(rounded[i].sheetRow)
                    .arg(rounded[i].cellText, rounded[i].stored);
    }
    if (rounded.size() > shown) {
        text += QStringLiteral("\n……");
    }
    return text;
}

QString RefusalText(const QString& error) {
    // The part after the place ("工作表第 3 行 B 列：") says what is wrong with the cell.
    const qsizetype colon = error.indexOf(u'：');
    const QString what = error.startsWith(u"工作表第") && colon >= 0 ? error.mid(colon + 1) : error;
    QString advice;
    if (const std::optional<QString> field = EmptyFieldName(what)) {
        advice = QStringLiteral("请在表格中填写“%1”后重新导入。").arg(*field);
    } else if (what.endsWith(u"is not a valid floating point value")) {
        advice = QStringLiteral(
            "金额须是数字（如 1234.56，不带千位分隔符和货币符号），请在表格中改正后重新导入；"
            "如这一行是标题行，请在“参数设置”中改正数据起始行。");
    } else if (what.endsWith(u"is not a valid integer value") || what.startsWith(u"数据起始行") ||
               what.contains(u"不是有效的列字母")) {
        advice = QStringLiteral("请在“参数设置”的EXCEL导入配置中改正后重新导入。");
    } else if (error.startsWith(u"工作表第")) {
        advice = QStringLiteral("请在表格中改正这一格后重新导入。");
    } else {
        advice = QStringLiteral("请检查所选的文件后重新导入。");
    }
    return QStringLiteral("导入失败，没有导入任何记录。") + advice + u'\n' + error;
}

}  // namespace salary
