#include "platform/sheet/xlsxsave.h"

#include <xlsxwriter.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

#include "platform/dataset/dataset.h"
#include "platform/dialogs/dialogs.h"
#include "platform/sheet/book.h"
#include "platform/text/ansi.h"
#include "platform/text/convert.h"

namespace xlsxsave {

namespace {

QString Native(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// The width of an amount shown grouped with two decimals: its integer digits, a "," per three
// of them, the point and two decimals.
qsizetype GroupedWidth(const QString& amount) {
    const QString whole = amount.section(u'.', 0, 0).remove(u'-');
    const qsizetype digits = std::max<qsizetype>(whole.size(), 1);
    return digits + (digits - 1) / 3 + 3 + (amount.startsWith(u'-') ? 1 : 0);
}

// The workbook's bytes, written by the library into a folder of our own.
std::optional<QByteArray> Workbook(const Sheet& sheet) {
    QTemporaryDir folder;
    if (!folder.isValid()) {
        return std::nullopt;
    }
    const QString path = folder.filePath(QStringLiteral("grid.xlsx"));
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    if (book == nullptr) {
        return std::nullopt;
    }
    lxw_worksheet* ws = workbook_add_worksheet(book, nullptr);
    lxw_format* title = workbook_add_format(book);
    format_set_bold(title);
    lxw_format* money = workbook_add_format(book);
    format_set_num_format(money, "#,##0.00");
    lxw_format* text = workbook_add_format(book);
    format_set_num_format(text, "@");
    const int columns = static_cast<int>(sheet.titles.size());
    std::vector<qsizetype> width(static_cast<std::size_t>(columns), 4);
    for (int c = 0; c < columns; ++c) {
        worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c),
                               sheet.titles[c].toUtf8().constData(), title);
        width[static_cast<std::size_t>(c)] = ansi::Size(sheet.titles[c]);
    }
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const auto row = static_cast<lxw_row_t>(r + 1);
        for (int c = 0; c < columns; ++c) {
            const QString value = sheet.rows[r].value(c);
            const auto col = static_cast<lxw_col_t>(c);
            auto& w = width[static_cast<std::size_t>(c)];
            if (sheet.amountColumns[static_cast<std::size_t>(c)] && !value.isEmpty()) {
                // The stored text is exact to the cent; the cell holds its value.
                double number = 0;
                try {
                    number = convert::TextToFloat(value);
                } catch (...) {
                    worksheet_write_string(ws, row, col, value.toUtf8().constData(), text);
                    w = std::max(w, ansi::Size(value));
                    continue;
                }
                worksheet_write_number(ws, row, col, number, money);
                w = std::max(w, GroupedWidth(value));
            } else if (!value.isEmpty()) {
                worksheet_write_string(ws, row, col, value.toUtf8().constData(), text);
                w = std::max(w, ansi::Size(value));
            }
        }
    }
    for (int c = 0; c < columns; ++c) {
        const double chars =
            static_cast<double>(std::min<qsizetype>(width[static_cast<std::size_t>(c)], 60));
        worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), chars + 2,
                             nullptr);
    }
    if (workbook_close(book) != LXW_NO_ERROR) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

// Whether the workbook's bytes read back as the titles and rows.
bool ReadsBack(const QByteArray& bytes, const Sheet& sheet) {
    try {
        const std::unique_ptr<sheet::Book> book = sheet::ReadXlsx(bytes);
        const std::unique_ptr<sheet::Grid> grid = book->LoadWorksheet(1);
        for (int c = 0; c < sheet.titles.size(); ++c) {
            if (grid->Cell(1, c + 1) != sheet.titles[c]) {
                return false;
            }
            for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
                const QString value = sheet.rows[r].value(c);
                const QString cell = grid->Cell(static_cast<int>(r) + 2, c + 1);
                const bool same =
                    sheet.amountColumns[static_cast<std::size_t>(c)] && !cell.isEmpty()
                        ? convert::TextToCurrency(cell) == convert::TextToCurrency(value)
                        : cell == value;
                if (!same) {
                    return false;
                }
            }
        }
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

std::optional<QString> Save(const QString& path, const Sheet& sheet, const Writer& writeWhole) {
    const std::optional<QByteArray> bytes = Workbook(sheet);
    if (!bytes || !ReadsBack(*bytes, sheet)) {
        return QStringLiteral("无法生成Excel工作簿“%1”，请换一个文件夹或文件名后再保存")
            .arg(Native(path));
    }
    if (!writeWhole(path, *bytes)) {
        return QStringLiteral(
                   "无法保存文件“%1”，请检查文件夹是否可写、磁盘是否已满，或文件是否已在"
                   "电子表格程序中打开")
            .arg(Native(path));
    }
    return std::nullopt;
}

void SaveThroughDialog(Dialogs& dialogs, FileDialogState& dialog, const QString& folder,
                       const QString& stem, const Sheet& sheet, const Writer& writeWhole) {
    const FileDialogState kept = dialog;
    dialog.filter = QStringLiteral("EXCEL工作簿|*.xlsx");
    dialog.filterIndex = 1;
    dialog.defaultExt = QStringLiteral("xlsx");
    dialog.fileName = stem + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
                      QStringLiteral(".xlsx");
    dialog.folder = folder;
    const bool chosen = dialogs.Save(dialog);
    const QString path = dialog.fileName;
    dialog = kept;
    if (!chosen) {
        return;
    }
    if (const auto reason = Save(path, sheet, writeWhole)) {
        dialogs.Error(*reason);
        return;
    }
    dialogs.Information(
        QStringLiteral("已保存为Excel工作簿：%1").arg(QDir::toNativeSeparators(path)));
}

Sheet FromTable(Dataset& table, const QString& amountField) {
    Sheet sheet;
    for (int f = 0; f < table.FieldCount(); ++f) {
        sheet.titles.append(table.Fields(f).DisplayLabel());
        sheet.amountColumns.push_back(table.Fields(f).FieldName() == amountField);
    }
    for (int r = 0; r < table.RecordCount(); ++r) {
        sheet.rows.push_back(table.RowTexts(r));
    }
    return sheet;
}

}  // namespace xlsxsave
