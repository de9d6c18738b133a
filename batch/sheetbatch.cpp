#include "batch/sheetbatch.h"

#include <QRegularExpression>

#include <algorithm>

#include "controls/amountformat.h"
#include "payments/values.h"
#include "platform/sheet/hidden.h"
#include "platform/sheet/sheet.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"

namespace sheetbatch {

namespace {

// Rows searched for a header, and the columns searched in them.
constexpr int kHeaderRows = kMaxSheetRows - kMaxSheetPayments;
constexpr int kScanColumns = 64;
// A run of empty rows that ends the data: no real payment list has one inside it.
constexpr int kEmptyRun = 200;

// The usual other names of each field's title, after Normalize.
const std::vector<std::pair<int, const char16_t*>>& Synonyms() {
    static const std::vector<std::pair<int, const char16_t*>> list = {
        {kCpFlag, u"公私标志"},
        {kCpFlag, u"收款对象"},
        {kCpFlag, u"对公对私"},
        {kCpFlag, u"公私"},
        {kPayAcct, u"付款账号"},
        {kPayAcct, u"付款人账号"},
        {kPayAcct, u"付款账户"},
        {kPayAcct, u"付款方账号"},
        {kRecAcct, u"收款账号"},
        {kRecAcct, u"收款人账号"},
        {kRecAcct, u"收款账户"},
        {kRecAcct, u"账号"},
        {kRecAcct, u"收款方账号"},
        {kRecAcct, u"收款卡号"},
        {kRecAcct, u"收款单位账号"},
        {kRecAcct, u"收款人账户"},
        {kRecAcct, u"收方账号"},
        {kRecAcct, u"对方账号"},
        {kRecAcct, u"对方账户"},
        {kRecAcct, u"收款账号/卡号"},
        {kRecver, u"收款方"},
        {kRecver, u"收款人"},
        {kRecver, u"收款人名称"},
        {kRecver, u"户名"},
        {kRecver, u"收款方名称"},
        {kRecver, u"收款单位"},
        {kRecver, u"收款户名"},
        {kRecver, u"收款单位名称"},
        {kRecver, u"收款人全称"},
        {kRecver, u"收款人户名"},
        {kRecver, u"收款账户名"},
        {kRecver, u"收款账户名称"},
        {kRecver, u"收方户名"},
        {kRecver, u"对方户名"},
        {kRecver, u"对方名称"},
        {kRecver, u"对方单位"},
        {kRecBankCode, u"收款方开户行编号"},
        {kRecBankCode, u"联行号"},
        {kRecBankCode, u"行号"},
        {kRecBankCode, u"开户行行号"},
        {kRecBankCode, u"开户行编号"},
        {kRecBankCode, u"收款行行号"},
        {kRecBankCode, u"对方行号"},
        {kRecBankCode, u"对方开户行行号"},
        {kRecBankCode, u"支付系统行号"},
        {kRecBankCode, u"大额行号"},
        {kRecBank, u"收款方开户行名称"},
        {kRecBank, u"开户行"},
        {kRecBank, u"开户银行"},
        {kRecBank, u"开户行名称"},
        {kRecBank, u"收款银行"},
        {kRecBank, u"收款行"},
        {kRecBank, u"收款开户行"},
        {kRecBank, u"收款人开户行"},
        {kRecBank, u"收方开户行"},
        {kRecBank, u"对方开户行"},
        {kRecBank, u"对方开户行名称"},
        {kRecBank, u"对方银行"},
        {kCur, u"币种"},
        {kAmt, u"金额"},
        {kAmt, u"金额(元)"},
        {kAmt, u"付款金额"},
        {kAmt, u"转账金额"},
        {kAmt, u"交易金额"},
        {kAmt, u"支付金额"},
        {kAmt, u"汇款金额"},
        {kAmt, u"实付金额"},
        {kAmt, u"金额(人民币)"},
        {kUse, u"用途"},
        {kUse, u"摘要"},
        {kUse, u"附言"},
        {kUse, u"付款用途"},
        {kUse, u"资金用途"},
        {kUse, u"款项用途"},
        {kRemitType, u"方式"},
        {kRemitType, u"汇款方式"},
        {kRemark, u"备注"},
    };
    return list;
}

// Full-width letters, digits and brackets as their ASCII forms; no blanks, no "*" (a mark of
// required columns that some sheets copy from forms).
QString Normalize(const QString& title) {
    const QString folded = title.normalized(QString::NormalizationForm_KC);
    QString out;
    out.reserve(folded.size());
    for (const QChar c : folded) {
        if (!c.isSpace() && c != u'*') {
            out.append(c);
        }
    }
    return out;
}

// A cell that a spreadsheet shows as a date or time ("2024/1/5", "2024/1/5 8:30:05", "8:30:05"),
// or a comma-separated file holds as one ("2024-01-05").
bool IsDateText(const QString& text) {
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,4}[/-]\\d{1,2}[/-]\\d{1,2}( \\d{1,2}:\\d{2}(:\\d{2})?)?|"
                       "\\d{1,2}:\\d{2}:\\d{2})$"));
    return re.match(text).hasMatch();
}

bool IsBoolText(const QString& text) {
    return text == u"TRUE" || text == u"FALSE";
}

// The error values a spreadsheet shows where a formula has no result.
bool IsErrorText(const QString& text) {
    static const QStringList codes = {
        QStringLiteral("#NULL!"),   QStringLiteral("#DIV/0!"),       QStringLiteral("#VALUE!"),
        QStringLiteral("#REF!"),    QStringLiteral("#NAME?"),        QStringLiteral("#NUM!"),
        QStringLiteral("#N/A"),     QStringLiteral("#GETTING_DATA"), QStringLiteral("#SPILL!"),
        QStringLiteral("#CALC!"),   QStringLiteral("#FIELD!"),       QStringLiteral("#BLOCKED!"),
        QStringLiteral("#UNKNOWN!")};
    return codes.contains(text, Qt::CaseInsensitive);
}

// "B2:C3".
QString AreaText(const sheet::Area& area) {
    return QStringLiteral("%1%2:%3%4")
        .arg(ColumnLetters(area.left))
        .arg(area.top)
        .arg(ColumnLetters(area.right))
        .arg(area.bottom);
}

QString OneOf(const QString& text,
              std::initializer_list<std::pair<const char16_t*, const char16_t*>> map) {
    for (const auto& [from, to] : map) {
        if (text.compare(QString::fromUtf16(from), Qt::CaseInsensitive) == 0) {
            return QString::fromUtf16(to);
        }
    }
    return QString();
}

}  // namespace

QString FieldTitle(int field) {
    return field >= 0 && field < payments::kInstructionFieldCount
               ? payments::InstructionFieldTitle(field)
               : QString();
}

int ColumnIndex(const QString& letters) {
    if (letters.isEmpty() || letters.size() > 2) {
        return 0;
    }
    int index = 0;
    for (const QChar c : letters) {
        if (c < u'A' || c > u'Z') {
            return 0;
        }
        index = index * 26 + (c.unicode() - u'A' + 1);
    }
    return index;
}

QString ColumnLetters(int column) {
    QString letters;
    for (int n = column; n > 0; n = (n - 1) / 26) {
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    }
    return letters;
}

int FieldOfTitle(const QString& title) {
    const QString key = Normalize(title);
    if (key.isEmpty()) {
        return -1;
    }
    for (const auto& [field, name] : Synonyms()) {
        if (key == QStringView(name)) {
            return field;
        }
    }
    return -1;
}

QString SheetTable::Cell(int row, int column) const {
    if (row < 1 || static_cast<std::size_t>(row) > rows.size()) {
        return QString();
    }
    return rows[static_cast<std::size_t>(row) - 1].value(column - 1);
}

bool SheetTable::AddMerged(const sheet::Area& area) {
    const auto rowCount = static_cast<int>(rows.size());
    if (mergedAt_.empty()) {
        mergedAt_.assign(static_cast<std::size_t>(rowCount) * static_cast<std::size_t>(columnCount),
                         -1);
    }
    const int bottom = std::min(area.bottom, rowCount);
    const int right = std::min(area.right, columnCount);
    const auto at = [&](int row, int column) {
        return static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(columnCount) +
               static_cast<std::size_t>(column - 1);
    };
    // Each cell is looked at once before an overlap ends the marking, however many areas.
    for (int row = std::max(area.top, 1); row <= bottom; ++row) {
        for (int column = std::max(area.left, 1); column <= right; ++column) {
            if (mergedAt_[at(row, column)] >= 0) {
                for (int& owner : mergedAt_) {
                    owner = owner == static_cast<int>(merged.size()) ? -1 : owner;
                }
                return false;
            }
            mergedAt_[at(row, column)] = static_cast<int>(merged.size());
        }
    }
    merged.push_back(area);
    return true;
}

std::optional<sheet::Area> SheetTable::MergedArea(int row, int column) const {
    if (row < 1 || column < 1 || row > static_cast<int>(rows.size()) || column > columnCount ||
        mergedAt_.empty()) {
        return std::nullopt;
    }
    const int owner =
        mergedAt_[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(columnCount) +
                  static_cast<std::size_t>(column - 1)];
    return owner >= 0 ? std::optional<sheet::Area>(merged[static_cast<std::size_t>(owner)])
                      : std::nullopt;
}

SheetTable ReadTable(sheet::Application& app, const Mapping& mapping) {
    SheetTable table;
    if (app.WorksheetHidden(1)) {
        table.hiddenSheet = app.WorksheetName(1);
        if (table.hiddenSheet.isEmpty()) {
            table.hiddenSheet = QStringLiteral("第1个工作表");
        }
    }
    int columns = 0;
    for (int row = 1; row <= kHeaderRows; ++row) {
        for (int column = 1; column <= kScanColumns; ++column) {
            if (!convert::Trim(app.Cells(row, column)).isEmpty()) {
                columns = std::max(columns, column);
            }
        }
    }
    for (const QString& letters : mapping.columns) {
        columns = std::max(columns, ColumnIndex(letters));
    }
    table.columnCount = columns;
    std::size_t lastUsed = 0;
    // Read to the last row that holds anything, however many empty rows stand before it; a
    // reader that cannot tell where that is ends at a long run of empty rows.
    const int lastRow = app.LastUsedRow();
    for (int row = 1, empty = 0; empty < kEmptyRun || row <= lastRow; ++row) {
        QStringList cells;
        cells.reserve(columns);
        bool used = false;
        for (int column = 1; column <= columns; ++column) {
            cells.append(app.Cells(row, column));
            used = used || !cells.back().isEmpty();
            if (app.Formula(row, column)) {
                table.formulas.insert({row, column});
            }
            if (!cells.back().isEmpty()) {
                if (const int shown = app.ShownDecimals(row, column); shown >= 0) {
                    table.shownDecimals[{row, column}] = shown;
                }
            }
        }
        if (row > kMaxSheetRows) {
            if (used) {
                throw AppError(QStringLiteral("第 %1 行：工作表到这一行还有数据，超过了一次最多"
                                              "导入的 %2 行；请把表格分成每个不超过 %2 行的几个"
                                              "文件，分别导入")
                                   .arg(row)
                                   .arg(kMaxSheetPayments));
            }
            // Past the limit only a row with data matters: empty ones are not kept, so a stray
            // cell far down another column costs no memory.
            ++empty;
            continue;
        }
        table.rows.push_back(std::move(cells));
        if (used && app.RowHidden(row)) {
            table.hiddenRows.push_back(row);
        }
        if (used) {
            lastUsed = table.rows.size();
            empty = 0;
        } else {
            ++empty;
        }
    }
    table.rows.resize(lastUsed);
    for (int column = 1; column <= columns; ++column) {
        if (app.ColumnHidden(column)) {
            table.hiddenColumns.push_back(column);
        }
    }
    if (lastUsed == 0) {
        // Nothing in the columns read: said as empty only when nothing is anywhere near the top.
        bool anything = false;
        for (int row = 1; row <= kEmptyRun && !anything; ++row) {
            for (int column = 1; column <= kScanColumns && !anything; ++column) {
                anything = !convert::Trim(app.Cells(row, column)).isEmpty();
            }
        }
        if (!anything) {
            QString name = convert::Excerpt(app.WorksheetName(1));
            throw AppError(
                QStringLiteral(
                    "第一个工作表%1是空的（前 %2 行、前 %3 列中没有任何内容）；导入只读取"
                    "第一个工作表，请把付款数据放在第一个工作表后再导入")
                    .arg(name.isEmpty() ? QString() : u'“' + name + u'”')
                    .arg(kEmptyRun)
                    .arg(kScanColumns));
        }
    }
    for (const sheet::Area& area : app.MergedAreas()) {
        if (area.top <= static_cast<int>(lastUsed) && area.left <= columns &&
            !table.AddMerged(area)) {
            throw AppError(QStringLiteral("工作表中的合并单元格 %1 与其他合并单元格重叠，文件可能"
                                          "已经损坏；请在电子表格程序中打开并另存为 .xlsx 后再导入")
                               .arg(AreaText(area)));
        }
    }
    return table;
}

std::optional<Layout> FindHeader(const SheetTable& table, const Mapping& saved) {
    const int rows = std::min<int>(kHeaderRows, static_cast<int>(table.rows.size()));
    for (int row = 1; row <= rows; ++row) {
        Layout layout;
        std::array<std::vector<int>, kFieldCount> named;
        for (int column = 1; column <= table.columnCount; ++column) {
            const int field = FieldOfTitle(table.Cell(row, column));
            if (field >= 0) {
                named[field].push_back(column);
                if (layout.columns[field] == 0) {
                    layout.columns[field] = column;
                    layout.from[field] = From::Title;
                }
            }
        }
        if (layout.columns[kRecAcct] != 0 && layout.columns[kAmt] != 0) {
            layout.headerRow = row;
            layout.firstRow = row + 1;
            for (int f = 0; f < kFieldCount; ++f) {
                if (named[f].size() > 1) {
                    layout.ambiguous.push_back({f, named[f]});
                }
            }
            // A title merged with the cells below it makes a header of several rows.
            for (const sheet::Area& area : table.merged) {
                const bool title = std::any_of(
                    layout.columns.begin(), layout.columns.end(),
                    [&](int column) { return column != 0 && area.Contains(row, column); });
                if (title && area.bottom >= layout.firstRow) {
                    layout.firstRow = area.bottom + 1;
                }
            }
            // The saved mapping fills in what the titles leave open: a column chosen in the
            // preview of an earlier import of the same file.
            for (int f = 0; f < kFieldCount; ++f) {
                const int column = ColumnIndex(saved.columns[static_cast<std::size_t>(f)]);
                if (layout.columns[f] != 0 || column == 0 || column > table.columnCount ||
                    std::find(layout.columns.begin(), layout.columns.end(), column) !=
                        layout.columns.end() ||
                    FieldOfTitle(table.Cell(row, column)) >= 0) {
                    continue;
                }
                layout.columns[f] = column;
                layout.from[f] = From::Saved;
            }
            return layout;
        }
    }
    return std::nullopt;
}

Layout MappedLayout(const Mapping& mapping) {
    Layout layout;
    for (int f = 0; f < kFieldCount; ++f) {
        const QString& letters = mapping.columns[f];
        if (letters.isEmpty()) {
            continue;
        }
        layout.columns[f] = ColumnIndex(letters);
        layout.from[f] = From::Saved;
        if (layout.columns[f] == 0) {
            throw AppError(
                QStringLiteral("参数管理中批量支付导入对应关系的“%1”列“%2”不是有效的列字母"
                               "（A 到 ZZ，大写），请改正后再导入")
                    .arg(FieldTitle(f), convert::Excerpt(letters)));
        }
    }
    bool ok = false;
    layout.firstRow = mapping.startRow.toInt(&ok);
    if (!ok || layout.firstRow < 1) {
        throw AppError(QStringLiteral("参数管理中批量支付导入对应关系的数据起始行“%1”不是有效的"
                                      "行号，请改正后再导入")
                           .arg(convert::Excerpt(mapping.startRow)));
    }
    if (layout.columns[kRecAcct] == 0 || layout.columns[kAmt] == 0) {
        throw AppError(QStringLiteral(
            "表格中没有可识别的标题行，参数管理中的批量支付导入对应关系也没有设定“收款账号”和“金额”"
            "所在的列；请在表格的数据上方加一行列标题（如 收款人、收款账号、金额），"
            "或在参数管理中设定对应关系后再导入"));
    }
    return layout;
}

Result Convert(const SheetTable& table, const Layout& layout, const Mapping& defaults,
               const QString& payacct, const BankLookup& banks) {
    Result result;
    result.layout = layout;
    payments::Total total;
    const QString ownBank = QString::fromUtf16(payments::kOwnBank);
    const int lastRow = static_cast<int>(table.rows.size());
    // What is hidden in the workbook is imported as well: pointed out, so that nobody pays a
    // row they never saw.
    if (!table.hiddenSheet.isEmpty()) {
        result.problems.push_back(
            {0, 0,
             QStringLiteral("读取的是隐藏的工作表“%1”，请核对是否是要导入的表")
                 .arg(convert::Excerpt(table.hiddenSheet)),
             false});
    }
    auto hiddenRow = table.hiddenRows.begin();
    // Every row would be refused for it: said once, first, with what to do.
    if (layout.columns[kPayAcct] == 0 && convert::Trim(payacct).isEmpty()) {
        result.problems.push_back(
            {0, 0, QStringLiteral("表格中没有付款账号列，请先在录入界面选择付款账号，再导入"),
             true});
        ++result.refusedSheet;
    }
    // A title standing over two columns leaves open which one pays: the cashier chooses.
    for (const auto& [field, columns] : layout.ambiguous) {
        QStringList letters;
        for (const int column : columns) {
            letters.append(ColumnLetters(column) + QStringLiteral(" 列"));
        }
        result.problems.push_back(
            {layout.headerRow, 0,
             QStringLiteral("%1都有“%2”的标题，不能确定该取哪一列；请在上方“%2”的列对应中选定"
                            "一列，或在表格中改正标题后再导入")
                 .arg(letters.join(u'和'), FieldTitle(field)),
             true});
        ++result.refusedSheet;
    }
    // A hidden column is read like any other: pointed out here, and asked about before adding.
    for (int f = 0; f < kFieldCount; ++f) {
        const int column = layout.columns[f];
        if (column != 0 &&
            std::binary_search(table.hiddenColumns.begin(), table.hiddenColumns.end(), column)) {
            result.problems.push_back(
                {0, column,
                 QStringLiteral("“%1”取自 %2 列，该列在工作表中是隐藏的，也将导入，请核对")
                     .arg(FieldTitle(f), ColumnLetters(column)),
                 false});
        }
    }
    // A title merged over several columns leaves open which of them holds the field.
    if (layout.headerRow > 0) {
        for (int f = 0; f < kFieldCount; ++f) {
            const int column = layout.columns[f];
            const auto area =
                column != 0 ? table.MergedArea(layout.headerRow, column) : std::nullopt;
            if (area && area->left != area->right) {
                result.problems.push_back(
                    {layout.headerRow, column,
                     QStringLiteral("“%1”列的标题在合并单元格 %2 中，看不出该取哪一列的数据；"
                                    "请在表格中取消合并，使每列有自己的标题后再导入")
                         .arg(FieldTitle(f), AreaText(*area)),
                     true});
                ++result.refusedSheet;
            }
        }
    }
    for (int row = layout.firstRow; row <= lastRow; ++row) {
        std::array<QString, kFieldCount> cell;
        bool used = false;
        for (int f = 0; f < kFieldCount; ++f) {
            if (layout.columns[f] != 0) {
                cell[f] = convert::Trim(table.Cell(row, layout.columns[f]));
                used = used || !cell[f].isEmpty();
            }
        }
        // An empty row between payments is no payment.
        if (!used) {
            continue;
        }
        std::vector<Problem> problems;
        // A field whose cell is refused for what it is is not checked further: one problem
        // a cell.
        std::array<bool, kFieldCount> bad{};
        auto refuse = [&](int field, const QString& text) {
            if (field >= 0 && bad[field]) {
                return;
            }
            problems.push_back({row, field >= 0 ? layout.columns[field] : 0, text, true});
        };
        // Cells without a value of their own: inside a merged area, an error value, a formula
        // of a required field that the file saved without its result. An amount that is a
        // formula is not paid either: the result the file saved may be older than the cells it
        // is computed from, and only the sheet's owner can tell.
        std::vector<std::pair<int, int>> mergedSeen;
        for (int f = 0; f < kFieldCount; ++f) {
            const int column = layout.columns[f];
            if (column == 0) {
                continue;
            }
            const auto area = table.MergedArea(row, column);
            if (area && (area->top != row || area->left != column)) {
                const std::pair<int, int> first{area->top, area->left};
                if (std::find(mergedSeen.begin(), mergedSeen.end(), first) == mergedSeen.end()) {
                    mergedSeen.push_back(first);
                    refuse(f, QStringLiteral("“%1”在合并单元格 %2 中，本行没有自己的值；请在表格中"
                                             "取消合并，每行填写完整后再导入")
                                  .arg(FieldTitle(f), AreaText(*area)));
                }
                bad[f] = true;
            } else if (IsErrorText(cell[f])) {
                refuse(f, QStringLiteral("“%1”是错误值“%2”，公式没有算出结果；请在表格中改正后"
                                         "再导入")
                              .arg(FieldTitle(f), cell[f]));
                bad[f] = true;
            } else if (f == kAmt && table.Formula(row, column)) {
                refuse(f, (cell[f].isEmpty()
                               ? QStringLiteral("金额是公式，文件中没有保存它的计算结果")
                               : QStringLiteral("金额是公式，文件中保存的计算结果是“%1”，不能确认是"
                                                "最新的结果")
                                     .arg(convert::Excerpt(cell[f]))) +
                              QStringLiteral("；请在表格中把金额列复制后“选择性粘贴”为数值，保存"
                                             "后再导入"));
                bad[f] = true;
            } else if ((f == kPayAcct || f == kRecAcct) && !cell[f].isEmpty() &&
                       table.Formula(row, column)) {
                // A lookup that was not recalculated names whoever the old table held there.
                refuse(f, QStringLiteral("“%1”是公式，文件中保存的计算结果是“%2”，不能确认是"
                                         "最新的结果；请在表格中把该列复制后“选择性粘贴”为数值，"
                                         "保存后再导入")
                              .arg(FieldTitle(f), convert::Excerpt(cell[f])));
                bad[f] = true;
            } else if (cell[f].isEmpty() && table.Formula(row, column) &&
                       (f == kPayAcct || f == kRecAcct || f == kRecver || f == kRecBank)) {
                refuse(f, QStringLiteral("“%1”是公式，文件中没有保存它的计算结果；请在电子表格"
                                         "程序中打开该文件并保存，或把公式改为数值后再导入")
                              .arg(FieldTitle(f)));
                bad[f] = true;
            }
        }
        auto value = [&](int field, const QString& fallback) {
            return layout.columns[field] == 0 || cell[field].isEmpty() ? fallback : cell[field];
        };
        while (hiddenRow != table.hiddenRows.end() && *hiddenRow < row) {
            ++hiddenRow;
        }
        if (hiddenRow != table.hiddenRows.end() && *hiddenRow == row) {
            problems.push_back(
                {row, 0, QStringLiteral("该行在工作表中是隐藏的，也将导入，请核对"), false});
        }
        payments::Instruction in;
        in.payacct = layout.columns[kPayAcct] == 0 ? payacct : cell[kPayAcct];
        in.recacct = cell[kRecAcct];
        in.recver = cell[kRecver];
        in.recbank = value(kRecBank, ownBank);
        in.recbankcode = cell[kRecBankCode];
        in.use = value(kUse, defaults.use);
        in.remark = cell[kRemark];

        const QString flagText = value(kCpFlag, defaults.cpflag);
        in.cpflag = OneOf(flagText, {{u"公司", u"公司"},
                                     {u"对公", u"公司"},
                                     {u"I", u"公司"},
                                     {u"私人", u"私人"},
                                     {u"对私", u"私人"},
                                     {u"个人", u"私人"},
                                     {u"P", u"私人"},
                                     {u"跨行", u"跨行"},
                                     {u"D", u"跨行"}});
        if (in.cpflag.isEmpty()) {
            refuse(kCpFlag, QStringLiteral("公私标志“%1”无效，应为公司、私人或跨行")
                                .arg(convert::Excerpt(flagText)));
        }
        const QString remitText = value(kRemitType, defaults.remittype);
        in.remittype = OneOf(
            remitText, {{u"普通", u"普通"}, {u"N", u"普通"}, {u"加急", u"加急"}, {u"H", u"加急"}});
        if (in.remittype.isEmpty()) {
            refuse(kRemitType,
                   QStringLiteral("方式“%1”无效，应为普通或加急").arg(convert::Excerpt(remitText)));
        }
        if (!cell[kCur].isEmpty() &&
            OneOf(cell[kCur], {{u"CNY", u"CNY"}, {u"人民币", u"CNY"}, {u"RMB", u"CNY"}})
                .isEmpty()) {
            refuse(kCur, QStringLiteral("币种“%1”不是人民币，只能导入人民币付款")
                             .arg(convert::Excerpt(cell[kCur])));
        }
        // A number without a name names its bank by the directory; a number beside a name
        // must be that name's, or the payment would go to another bank than the sheet says.
        const QString codeText = cell[kRecBankCode];
        const bool codeReadable = !codeText.isEmpty() && payments::AllDigits(codeText);
        if (layout.columns[kRecBank] == 0 || cell[kRecBank].isEmpty()) {
            if (codeReadable) {
                const QStringList names = banks.names ? banks.names(codeText) : QStringList();
                if (names.size() == 1) {
                    in.recbank = names.front();
                } else if (names.isEmpty()) {
                    refuse(kRecBankCode,
                           QStringLiteral("没有开户行名称，收款方开户行编号“%1”在银行目录中也没有"
                                          "找到；请填写开户行名称并核对编号后再导入")
                               .arg(convert::Excerpt(codeText)));
                    bad[kRecBankCode] = true;
                }
            }
        }
        // Our own bank is a same-bank transfer, which carries no branch number; any other bank
        // is cross-bank and needs the branch's number, which the directory gives when the name
        // is exactly one branch's.
        if (in.recbank == ownBank) {
            if (in.cpflag == u"跨行") {
                refuse(
                    kCpFlag,
                    QStringLiteral("开户行是%1，是本行转账，公私标志应为公司或私人").arg(ownBank));
            }
            if (!in.recbankcode.isEmpty()) {
                refuse(kRecBankCode,
                       QStringLiteral("开户行是%1（本行转账），不应填写收款方开户行编号“%2”；请"
                                      "删去编号，或把开户行改为编号所属的银行后再导入")
                           .arg(ownBank, convert::Excerpt(in.recbankcode)));
            }
        } else {
            in.cpflag = QStringLiteral("跨行");
            if (in.recbankcode.isEmpty()) {
                const QStringList codes = banks.codes ? banks.codes(in.recbank) : QStringList();
                if (codes.size() == 1) {
                    in.recbankcode = codes.front();
                } else if (codes.isEmpty()) {
                    refuse(kRecBank,
                           QStringLiteral("开户行“%1”在银行目录中没有找到，请改为目录中的全称"
                                          "或填写收款方开户行编号")
                               .arg(convert::Excerpt(in.recbank, 40)));
                } else {
                    refuse(kRecBank, QStringLiteral("开户行“%1”在银行目录中有 %2 个同名网点，"
                                                    "请填写收款方开户行编号")
                                         .arg(convert::Excerpt(in.recbank, 40))
                                         .arg(codes.size()));
                }
            } else if (codeReadable) {
                const QStringList names = banks.names ? banks.names(codeText) : QStringList();
                if (names.isEmpty()) {
                    refuse(kRecBankCode,
                           QStringLiteral("收款方开户行编号“%1”在银行目录中没有找到；请核对编号"
                                          "后再导入")
                               .arg(convert::Excerpt(codeText)));
                } else if (!names.contains(in.recbank)) {
                    refuse(kRecBankCode,
                           QStringLiteral("收款方开户行编号“%1”在银行目录中是“%2”，与开户行“%3”"
                                          "不符；请核对开户行和编号后再导入")
                               .arg(convert::Excerpt(codeText), convert::Excerpt(names.front(), 40),
                                    convert::Excerpt(in.recbank, 40)));
                }
            }
        }
        for (const int field : {kPayAcct, kRecAcct, kRecBankCode}) {
            const QString& text = field == kPayAcct   ? in.payacct
                                  : field == kRecAcct ? in.recacct
                                                      : in.recbankcode;
            if (payments::IsNumberCellForm(text)) {
                refuse(field, QStringLiteral("“%1”是数字格式的“%2”，超过15位的数字已丢失末位，"
                                             "请将该列设为文本格式并重新录入")
                                  .arg(convert::Excerpt(text), FieldTitle(field)));
            } else if (IsDateText(text) || IsBoolText(text)) {
                refuse(field, QStringLiteral("“%1”“%2”是%3，不是账号；请将该列设为文本格式并"
                                             "重新录入后再导入")
                                  .arg(FieldTitle(field), convert::Excerpt(text),
                                       IsBoolText(text) ? QStringLiteral("逻辑值")
                                                        : QStringLiteral("日期")));
            } else if (field == kRecAcct && (text.contains(u' ') || text.contains(u'-'))) {
                // As the entry form refuses it: the bank reads the account as digits.
                refuse(field, QStringLiteral("收款账号“%1”含有空格或“-”；请在表格中去掉后再导入")
                                  .arg(convert::Excerpt(text)));
            }
        }
        // The amount as stored: the cell's own decimal text. Thousands separators as a
        // spreadsheet writes them are read ("1,234.50"); any other comma is refused.
        QString amountText = cell[kAmt];
        bool badComma = false;
        if (amountText.contains(u',')) {
            static const QRegularExpression grouped(
                QStringLiteral("^[+-]?[0-9]{1,3}(,[0-9]{3})+(\\.[0-9]+)?$"));
            if (grouped.match(amountText).hasMatch()) {
                amountText.remove(u',');
            } else {
                badComma = true;
            }
        }
        double amount = 0;
        bool isNumber = !amountText.isEmpty() && !badComma;
        if (isNumber) {
            try {
                amount = convert::TextToFloat(amountText);
            } catch (const AppError&) {
                isNumber = false;
            }
        }
        if (badComma) {
            refuse(kAmt,
                   QStringLiteral("金额“%1”中的逗号不是千位分隔符（每三位一个，只有一个小数点）"
                                  "；请在表格中改正后再导入")
                       .arg(convert::Excerpt(amountText)));
        } else if (isNumber && payments::IsExponentForm(amountText)) {
            refuse(kAmt, payments::ExponentAmountText(amountText));
        } else if (!isNumber) {
            if (amountText.isEmpty()) {
                refuse(kAmt, QStringLiteral("金额为空；请在表格中填写金额后再导入"));
            } else if (IsDateText(amountText)) {
                refuse(kAmt, QStringLiteral("金额“%1”是日期，不是数字；请将该格设为数字格式并填写"
                                            "金额后再导入")
                                 .arg(convert::Excerpt(amountText)));
            } else if (IsBoolText(amountText)) {
                refuse(kAmt, QStringLiteral("金额“%1”是逻辑值，不是数字；请在表格中改为金额数字后"
                                            "再导入")
                                 .arg(amountText));
            } else {
                refuse(kAmt, QStringLiteral("金额“%1”不是有效的数字；请在表格中改为数字（如 "
                                            "1200.50）后再导入")
                                 .arg(convert::Excerpt(amountText)));
            }
        } else {
            // Paid as the sheet shows it: a number whose format shows two decimals is rounded
            // as the cashier sees it, and said; a value shown with other decimals than it
            // holds, or given as text with more than two, is refused.
            in.amt = amount::FormatExtended(QStringLiteral("0.00"), amountText);
            const int shown = table.ShownDecimals(row, layout.columns[kAmt]);
            const qsizetype point = amountText.indexOf(u'.');
            QString fraction = point < 0 ? QString() : amountText.mid(point + 1);
            while (fraction.endsWith(u'0')) {
                fraction.chop(1);
            }
            const bool rounded = convert::TextToFloat(in.amt) != amount;
            if (shown >= 0 && shown < 2 && fraction.size() > shown) {
                refuse(kAmt, QStringLiteral("金额 %1 在表格中只显示 %2 位小数，看到的不是要付的金额"
                                            "；请把该格设为两位小数的数字格式，核对后再导入")
                                 .arg(convert::Excerpt(amountText))
                                 .arg(shown));
            } else if (rounded && shown == 2) {
                problems.push_back({row, layout.columns[kAmt],
                                    QStringLiteral("金额 %1 在表格中显示为 %2，将按 %2 导入")
                                        .arg(convert::Excerpt(amountText), in.amt),
                                    false});
            } else if (rounded) {
                refuse(kAmt, QStringLiteral("金额 %1 超过两位小数，不能确定要付的金额；请在表格中"
                                            "改为两位小数的金额后再导入")
                                 .arg(convert::Excerpt(amountText)));
            }
        }
        // Then everything an upload file line is refused for, with the same checks.
        auto anyRefused = [&] {
            return std::any_of(problems.begin(), problems.end(),
                               [](const Problem& p) { return p.refused; });
        };
        if (!anyRefused()) {
            if (const auto reason = payments::CheckInstruction(in)) {
                int field = kAmt;
                if (*reason == QString::fromUtf16(payments::kCrossBankWithoutCode)) {
                    field = kRecBankCode;
                }
                for (int f = 0; f < kFieldCount; ++f) {
                    if (reason->contains(u'“' + FieldTitle(f) + u'”')) {
                        field = f;
                        break;
                    }
                }
                refuse(field, *reason);
            }
        }
        const bool refused = anyRefused();
        result.problems.insert(result.problems.end(), problems.begin(), problems.end());
        if (refused) {
            ++result.refusedRows;
            continue;
        }
        // A sum that does not fit refuses the sheet once, instead of showing a wrapped total.
        const bool overflowedBefore = total.Overflowed();
        if (!total.Add(payments::CheckAmount(in.amt).money) && !overflowedBefore) {
            result.problems.push_back(
                {0, 0, payments::TotalTooLargeText(QStringLiteral("指令")), true});
            ++result.refusedSheet;
        }
        result.total = total.Sum();
        result.rows.push_back(std::move(in));
        result.sheetRows.push_back(row);
    }
    if (result.rows.empty() && result.refusedRows == 0) {
        result.problems.push_back(
            {0, 0,
             layout.headerRow > 0 && layout.firstRow > lastRow
                 ? QStringLiteral("表格只有第 %1 行的列标题，下面没有付款数据；请在标题下逐行填写"
                                  "付款后再导入")
                       .arg(layout.headerRow)
                 : QStringLiteral("第 %1 行起没有数据，请检查表格或参数管理中的数据起始行")
                       .arg(layout.firstRow),
             true});
        ++result.refusedSheet;
    }
    return result;
}

bool IsUploadFile(const QByteArray& bytes) {
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") || bytes.startsWith("PK\x03\x04") ||
        bytes.startsWith("PK\x05\x06")) {
        return false;
    }
    // A line break is never part of a multi-byte character in GB18030 or UTF-8.
    for (qsizetype from = 0; from < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', from);
        if (end < 0) {
            end = bytes.size();
        }
        const QByteArrayView line = QByteArrayView(bytes).sliced(from, end - from);
        if (!line.trimmed().isEmpty() && line != QByteArrayView("\xEF\xBB\xBF")) {
            return line.contains('|');
        }
        from = end + 1;
    }
    return true;
}

QString ProblemText(const Problem& p) {
    if (p.row > 0 && p.column > 0) {
        return QStringLiteral("第 %1 行 %2 列：%3").arg(p.row).arg(ColumnLetters(p.column), p.text);
    }
    if (p.row > 0) {
        return QStringLiteral("第 %1 行：%2").arg(p.row).arg(p.text);
    }
    return p.text;
}

}  // namespace sheetbatch

namespace sheetbatch {

QString HiddenQuestion(const SheetTable& table, const Result& result) {
    if (result.rows.empty()) {
        return QString();
    }
    QStringList columns;
    for (int f = 0; f < kFieldCount; ++f) {
        const int column = result.layout.columns[f];
        if (column != 0 &&
            std::binary_search(table.hiddenColumns.begin(), table.hiddenColumns.end(), column)) {
            columns.append(QStringLiteral("%1 列（%2）").arg(ColumnLetters(column), FieldTitle(f)));
        }
    }
    std::vector<sheet::HiddenRow> rows;
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        const int row = result.sheetRows[i];
        if (std::binary_search(table.hiddenRows.begin(), table.hiddenRows.end(), row)) {
            const payments::Instruction& in = result.rows[i];
            rows.push_back({row, in.recver, payments::CheckAmount(in.amt).money.Grouped()});
        }
    }
    return sheet::HiddenQuestion(table.hiddenSheet, columns, rows);
}

}  // namespace sheetbatch
