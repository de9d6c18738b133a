// Export and import of the batch upload file, and the payees learned from an export.
#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include "batch/batchpage.h"
#include "batch/importpreview.h"
#include "batch/instructions.h"
#include "batch/sheetbatch.h"
#include "controls/numeditnew.h"
#include "payments/batchfile.h"
#include "payments/exportflow.h"
#include "payments/values.h"
#include "platform/dataset/dataset.h"
#include "platform/sheet/sheet.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "store/configdir.h"
#include "store/listfile.h"

std::vector<payments::Instruction> BatchPage::Rows() const {
    Dataset& t = ctx_.cds1;
    std::vector<payments::Instruction> rows;
    const int count = t.Active() ? t.RecordCount() : 0;
    rows.reserve(static_cast<std::size_t>(count));
    for (int r = 0; r < count; ++r) {
        rows.push_back(payments::Instruction::FromRow(t.RowTexts(r)));
    }
    return rows;
}

void BatchPage::Button5Click() {
    Dataset& t = ctx_.cds1;
    if (t.IsEmpty()) {
        ctx_.dialogs.Error(QStringLiteral("无批量转账记录！"));
        return;
    }
    if (t.RecordCount() > instructions::kMaxExportRows) {
        ctx_.dialogs.Error(QStringLiteral("超过100笔，请分批形成文件！"));
        return;
    }
    // Every row passes the checks an imported line passes, whichever way it came in, so that
    // the file holds nothing the bank or the program's own import would misread.
    const std::vector<payments::Instruction> rows = Rows();
    payments::UploadExport file;
    file.page = QStringLiteral("批量支付");
    file.what = QStringLiteral("指令");
    file.defaultName = payments::batchfile::DefaultFileName(
        QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const payments::Instruction& in = rows[i];
        const int number = static_cast<int>(i) + 1;
        if (const auto reason = payments::CheckInstruction(in)) {
            ctx_.dialogs.Error(
                QStringLiteral("第%1笔指令：%2，不能导出！请双击该指令改正后再导出。")
                    .arg(number)
                    .arg(*reason));
            return;
        }
        file.rows.append({number, in.cpflag, in.recacct, payments::CheckAmount(in.amt).money,
                          exported->Marked(number - 1)});
    }
    file.lines = payments::batchfile::Lines(rows);
    const payments::ExportResult result = payments::WriteUploadFile(
        ctx_.dialogs, ctx_.saveDialog, uploadFolder_, ctx_.recorder, file);
    if (result == payments::ExportResult::Failed) {
        return;
    }
    if (result == payments::ExportResult::Written) {
        exported->MarkAll();
        // The file is written without a box, as the bank's format asks; the status bar says
        // where, and what it holds.
        payments::Total total;
        for (const auto& row : file.rows) {
            total.Add(row.amount);
        }
        if (ctx_.addNotice.showStatus) {
            ctx_.addNotice.showStatus(
                QStringLiteral("已导出 %1 笔指令，合计 %2 元，文件存放于：%3")
                    .arg(file.rows.size())
                    .arg(total.Sum().Grouped(),
                         QDir::toNativeSeparators(
                             QFileInfo(ctx_.saveDialog.fileName).absoluteFilePath())));
        }
    }
    // The payees are learned whether or not the file was written, as after a cancelled dialog.
    LearnPayees();
}

void BatchPage::LearnPayees() {
    const QString path = ctx_.config.Path(QString::fromUtf16(cfg::kRecvers));
    QStringList roster = listfile::Load(path);
    Dataset& t = ctx_.cds1;
    auto field = [&](const char* name) {
        return t.FieldByName(QString::fromLatin1(name)).AsString();
    };
    QList<payees::Payee> list;
    for (t.First(); !t.Eof(); t.Next()) {
        list.append({field("recver"), field("recacct"), field("recbank"), field("recbankcode")});
    }
    payees::Learn(roster, list, payees::LineTest::ExactlyFourFields);
    listfile::Save(path, roster);
}

void BatchPage::Button6Click() {
    FileDialogState& dialog = ctx_.openDialog;
    dialog.defaultExt = QStringLiteral("*.TXT");
    dialog.filterIndex = 1;
    // The dialog is shared with the payroll import: it offers this page's last file, never the
    // other page's sheet.
    dialog.folder = uploadFolder_;
    dialog.fileName = importName_;
    if (ctx_.dialogs.Open(dialog)) {
        uploadFolder_ = QFileInfo(dialog.fileName).absolutePath();
        importName_ = QFileInfo(dialog.fileName).fileName();
        const QByteArray bytes = listfile::ReadAll(dialog.fileName);
        const RowOrigins::Source source = RowOrigins::FromBytes(dialog.fileName, bytes);
        // The content decides, whatever the file is called: a spreadsheet goes through the
        // preview with its column mapping, everything else is read as a batch upload file.
        if (!sheetbatch::IsUploadFile(bytes)) {
            if (!ImportSheet(dialog.fileName, source)) {
                return;
            }
            ctx_.dialogs.Information(QStringLiteral("导入完毕！"));
            return;
        }
        const std::optional<QStringList> lines = DecodeImportFile(bytes);
        if (!lines) {
            return;
        }
        // The whole file is checked before anything is added, so that a bad line never leaves
        // half a batch in the table.
        const auto parsed = payments::batchfile::Parse(*lines);
        if (const auto* refusal = std::get_if<payments::batchfile::Refusal>(&parsed)) {
            ctx_.dialogs.Error(
                QStringLiteral("第%1行：%2，未导入任何指令！请改正文件中的这一行后重新导入。")
                    .arg(refusal->line)
                    .arg(refusal->reason));
            return;
        }
        if (!AddImported(std::get<std::vector<payments::Instruction>>(parsed), source)) {
            return;
        }
    }
    ctx_.dialogs.Information(QStringLiteral("导入完毕！"));
}

bool BatchPage::AddImported(const std::vector<payments::Instruction>& rows,
                            const RowOrigins::Source& source) {
    payments::Total incoming;
    for (const payments::Instruction& in : rows) {
        incoming.Add(payments::CheckAmount(in.amt).money);
    }
    const QString tooLarge = payments::TotalTooLargeText(QStringLiteral("指令"));
    if (incoming.Overflowed()) {
        ctx_.dialogs.Error(tooLarge + QStringLiteral("未导入任何指令。"));
        return false;
    }
    // Rows already in the table: the user says whether the file adds to them, takes their
    // place, or adds nothing, once it is known to be sound and before anything changes.
    const payments::Room room = payments::AskRoom(
        ctx_.dialogs, {ctx_.cds1.RecordCount(), UnexportedRows(), UnexportedTotal()},
        static_cast<qsizetype>(rows.size()), QStringLiteral("指令"), QStringLiteral("指令"),
        origins->SameFileNotice(source, QStringLiteral("指令")));
    if (room == payments::Room::Cancel) {
        return false;
    }
    if (room == payments::Room::Append && !TotalFits(incoming.Sum())) {
        ctx_.dialogs.Error(tooLarge + QStringLiteral("未导入任何指令。"));
        return false;
    }
    if (room == payments::Room::Replace) {
        ClearRows();
    }
    const RowOrigins::Scope imported(*origins, source);
    AppendRows(rows);
    // Said now, not first at the export: one upload file holds 100 instructions at most.
    if (ctx_.cds1.RecordCount() > instructions::kMaxExportRows) {
        ctx_.dialogs.Warning(
            QStringLiteral("表中现有 %1 笔指令，一个上传文件最多 %2 笔，导出前请分批删减。")
                .arg(ctx_.cds1.RecordCount())
                .arg(instructions::kMaxExportRows));
    }
    return true;
}

bool BatchPage::ImportSheet(const QString& path, const RowOrigins::Source& source) {
    const QString ini = ctx_.config.Path(QString::fromUtf16(cfg::kSalaryMap));
    const sheetbatch::Mapping mapping = sheetbatch::LoadMapping(ini);
    sheetbatch::SheetTable table;
    std::optional<sheetbatch::Layout> layout;
    try {
        const std::unique_ptr<sheet::Application> app = sheet::CreateApplication();
        app->GetWorkbooks().Open(path);
        try {
            app->Worksheets(1).Activate();
            table = sheetbatch::ReadTable(*app, mapping);
        } catch (...) {
            app->Quit();
            throw;
        }
        app->Quit();
        layout = sheetbatch::FindHeader(table, mapping);
        if (!layout) {
            layout = sheetbatch::MappedLayout(mapping);
        }
    } catch (const AppError& e) {
        ctx_.dialogs.Error(e.Message() + QStringLiteral("，未导入任何指令！"));
        return false;
    }
    // A directory that cannot be read finds no bank: such rows are refused in the preview.
    sheetbatch::BankLookup banks;
    banks.codes = [this](const QString& name) {
        try {
            return banks_.Codes(name);
        } catch (const AppError&) {
            return QStringList();
        }
    };
    banks.names = [this](const QString& code) {
        try {
            return banks_.Names(code);
        } catch (const AppError&) {
            return QStringList();
        }
    };
    importPreview->Prepare({&table, *layout, mapping, payacct->currentText(), banks,
                            QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())});
    if (!importPreview->Execute()) {
        return false;
    }
    // Hidden data is not paid unseen: a hidden worksheet, rows or columns are named first, and
    // 否 (the default) adds nothing.
    if (const QString hidden = sheetbatch::HiddenQuestion(table, importPreview->Current());
        !hidden.isEmpty() && !ctx_.dialogs.Question(hidden)) {
        return false;
    }
    if (importPreview->saveMapping->isChecked()) {
        try {
            sheetbatch::SaveMapping(ini, importPreview->ChosenMapping());
        } catch (const AppError& e) {
            ctx_.dialogs.Warning(QStringLiteral("列对应关系未能保存：%1。请在参数管理中重新设定。")
                                     .arg(e.Message()));
        }
    }
    return AddImported(importPreview->Current().rows, source);
}

void BatchPage::AppendRows(const std::vector<payments::Instruction>& rows) {
    Dataset& t = ctx_.cds1;
    t.CheckBrowseMode();
    const int before = t.RecordCount();
    QList<payees::Payee> learned;
    {
        // The grid reads the table once, at the end, instead of after every row.
        const ControlsDisabled quiet(t);
        try {
            for (const payments::Instruction& in : rows) {
                t.Append();
                SetFields(in);
                t.Post();
                learned.append({in.recver, in.recacct, in.recbank, in.recbankcode});
            }
        } catch (...) {
            // All or none: a row the table refuses takes the rows added before it along.
            t.DropRowsAfter(before);
            throw;
        }
    }
    SetGridTitles();
    // The payees are learned as a row-by-row add would learn them, with one rewrite of the
    // roster; a roster that cannot be written is reported once.
    try {
        LearnIntoRoster(learned);
    } catch (const AppError& e) {
        WarnRosterNotSaved(e.Message());
    }
}

std::optional<QStringList> BatchPage::DecodeImportFile(const QByteArray& bytes) {
    // The bank's format is GB18030 (GBK). A UTF-8 file would otherwise be read as other
    // characters without a word: with its byte-order mark it is read as UTF-8, without it it
    // is refused.
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        if (const auto text = ansi::DecodeUtf8(QByteArrayView(bytes).sliced(3))) {
            return listfile::SplitLines(*text);
        }
        ctx_.dialogs.Error(QStringLiteral(
            "文件不是有效的UTF-8文本，未导入任何指令！请将文件另存为ANSI（GBK）编码后重新导入。"));
        return std::nullopt;
    }
    if (ansi::LooksLikeUtf8(bytes)) {
        ctx_.dialogs.Error(QStringLiteral(
            "文件是UTF-8编码，请另存为ANSI（GBK）编码或带BOM的UTF-8后再导入，未导入任何指令！"));
        return std::nullopt;
    }
    return listfile::SplitLines(ansi::Decode(bytes));
}
