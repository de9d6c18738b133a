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
#include "batch/uploadfile.h"
#include "controls/exportchecks.h"
#include "controls/numeditnew.h"
#include "platform/dataset/dataset.h"
#include "platform/sheet/sheet.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "store/configdir.h"
#include "store/listfile.h"

namespace {

uploadfile::Instruction CurrentInstruction(Dataset& t) {
    auto f = [&](const char* name) { return t.FieldByName(QString::fromLatin1(name)).AsString(); };
    return {f("cpflag"),  f("payacct"), f("recacct"), f("recver"),    f("recbankcode"),
            f("recbank"), f("amt"),     f("use"),     f("remittype"), f("remark")};
}

}  // namespace

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
    // Values are written as they stand: a "|" or a line break inside one would shift the
    // fields the bank reads, and every row passes the checks an imported line passes, so
    // that the file holds nothing the bank or the program's own import would misread.
    int row = 0;
    QStringList lines;
    QList<exportchecks::Row> rows;
    for (t.First(); !t.Eof(); t.Next()) {
        ++row;
        for (int i = 0; i < t.FieldCount(); ++i) {
            const QString value = t.Fields(i).AsString();
            if (value.contains(u'|') || value.contains(u'\r') || value.contains(u'\n')) {
                ctx_.dialogs.Error(
                    QStringLiteral(
                        "第%1笔指令的“%2”含有“|”或换行符，不能导出！请双击该指令改正后再导出。")
                        .arg(row)
                        .arg(t.Fields(i).DisplayLabel()));
                return;
            }
        }
        const uploadfile::Instruction in = CurrentInstruction(t);
        if (const auto reason = uploadfile::CheckInstruction(in)) {
            ctx_.dialogs.Error(
                QStringLiteral("第%1笔指令：%2，不能导出！请双击该指令改正后再导出。")
                    .arg(row)
                    .arg(*reason));
            return;
        }
        lines.append(uploadfile::FormatLine(in));
        rows.append({row, in.cpflag, in.recacct, in.amt});
    }
    // A mistyped card number or a payment entered twice goes out only when the user says so;
    // 否 ends the export as a cancelled dialog does.
    const QString question = exportchecks::Question(rows);
    if (!question.isEmpty() && !ctx_.dialogs.Question(question)) {
        LearnPayees();
        return;
    }
    FileDialogState& dialog = ctx_.saveDialog;
    dialog.fileName =
        uploadfile::DefaultFileName(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    dialog.folder = uploadFolder_;
    if (ctx_.dialogs.Save(dialog)) {
        uploadFolder_ = QFileInfo(dialog.fileName).absolutePath();
        if (const auto bad = listfile::SaveVerified(dialog.fileName, lines, ctx_.writeUpload)) {
            ctx_.dialogs.Error(*bad);
            return;
        }
        unexported_ = false;
    }
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
        if (!CheckImportLines(*lines)) {
            return;
        }
        // Rows already in the table: the user says whether the file adds to them, takes their
        // place, or adds nothing, once it is known to be sound and before anything changes.
        if (!MakeRoomFor(std::count_if(lines->begin(), lines->end(),
                                       [](const QString& l) { return !l.isEmpty(); }),
                         source)) {
            return;
        }
        const RowOrigins::Scope imported(*origins, source);
        ImportLines(*lines);
    }
    ctx_.dialogs.Information(QStringLiteral("导入完毕！"));
}

bool BatchPage::MakeRoomFor(qsizetype incoming, const RowOrigins::Source& source) {
    if (ctx_.cds1.IsEmpty()) {
        return true;
    }
    const int answer = ctx_.dialogs.Choice(
        QStringLiteral("表中已有 %1 笔指令。文件中的 %2 笔指令是追加到表中，"
                       "还是替换表中的指令？")
                .arg(ctx_.cds1.RecordCount())
                .arg(incoming) +
            origins->SameFileNotice(source, QStringLiteral("指令")),
        {QStringLiteral("追加"), QStringLiteral("替换"), QStringLiteral("取消")}, 2);
    if (answer == 2) {
        return false;
    }
    if (answer == 1) {
        ClearRows();
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
        layout = sheetbatch::FindHeader(table);
        if (!layout) {
            layout = sheetbatch::MappedLayout(mapping);
        }
    } catch (const AppError& e) {
        ctx_.dialogs.Error(e.Message() + QStringLiteral("，未导入任何指令！"));
        return false;
    }
    // A directory that cannot be read finds no bank: such rows are refused in the preview.
    auto banks = [this](const QString& name) {
        try {
            return banks_.Codes(name);
        } catch (const AppError&) {
            return QStringList();
        }
    };
    importPreview->Prepare({&table, *layout, mapping, payacct->currentText(), banks,
                            QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())});
    if (!importPreview->Execute()) {
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
    const std::vector<uploadfile::Instruction> rows = importPreview->Current().rows;
    if (!MakeRoomFor(static_cast<qsizetype>(rows.size()), source)) {
        return false;
    }
    const RowOrigins::Scope imported(*origins, source);
    ImportInstructions(rows);
    return true;
}

void BatchPage::ImportInstructions(const std::vector<uploadfile::Instruction>& rows) {
    QList<payees::Payee> learned;
    bool lastPosted = false;
    // The grid reads the table once, at the end, instead of after every row.
    const ControlsDisabled quiet(ctx_.cds1);
    for (const uploadfile::Instruction& in : rows) {
        cross->setChecked(false);
        recobject->setCurrentIndex(-1);
        if (in.cpflag == QStringLiteral("跨行")) {
            cross->setChecked(true);
        } else {
            recobject->setCurrentIndex(recobject->findText(in.cpflag));
        }
        payacct->setEditText(in.payacct);
        recacct->setEditText(in.recacct);
        recver->setEditText(in.recver);
        recbank->setEditText(in.recbank);
        recbankcode->setText(in.recbankcode);
        amt->SetShuZhi(in.amt);
        SelectText(use, in.use);
        remittype->setCurrentIndex(remittype->findText(in.remittype));
        edremark->setText(in.remark);
        const payees::Payee payee = FormPayee();
        lastPosted = AppendInstruction(Button6->objectName());
        if (lastPosted) {
            learned.append(payee);
        }
    }
    // The form as a reset after each added row would leave it.
    if (lastPosted) {
        ResetRecipient();
    }
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

bool BatchPage::CheckImportLines(const QStringList& lines) {
    // The whole file is checked before anything is added, so that a bad line never leaves half
    // a batch in the table.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) {
            continue;
        }
        if (const auto reason = uploadfile::CheckLine(lines[i])) {
            ctx_.dialogs.Error(
                QStringLiteral("第%1行：%2，未导入任何指令！请改正文件中的这一行后重新导入。")
                    .arg(i + 1)
                    .arg(*reason));
            return false;
        }
    }
    return true;
}

void BatchPage::ImportLines(const QStringList& lines) {
    std::vector<uploadfile::Instruction> rows;
    for (const QString& text : lines) {
        if (!text.isEmpty()) {
            rows.push_back(uploadfile::ToInstruction(uploadfile::ParseLine(text)));
        }
    }
    ImportInstructions(rows);
}
