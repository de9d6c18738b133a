// Export and import of the batch upload file, and the payees learned from an export.
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>

#include "batch/batchpage.h"
#include "batch/instructions.h"
#include "batch/uploadfile.h"
#include "controls/numeditnew.h"
#include "platform/dataset/dataset.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "store/configdir.h"
#include "store/listfile.h"
#include "store/record.h"

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
    // fields the bank reads, so such a batch is refused before anything is written.
    const QStringList titles = QString::fromUtf16(instructions::kGridTitles).split(u',');
    int row = 0;
    QStringList lines;
    for (t.First(); !t.Eof(); t.Next()) {
        ++row;
        for (int i = 0; i < t.FieldCount(); ++i) {
            if (!uploadfile::IsPlainValue(t.Fields(i).AsString())) {
                ctx_.dialogs.Error(QStringLiteral("第%1笔指令的“%2”含有“|”或换行符，不能导出！")
                                       .arg(row)
                                       .arg(t.Fields(i).DisplayLabel()));
                return;
            }
        }
        lines.append(uploadfile::FormatLine(CurrentInstruction(t)));
    }
    FileDialogState& dialog = ctx_.saveDialog;
    dialog.fileName =
        uploadfile::DefaultFileName(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    if (ctx_.dialogs.Save(dialog)) {
        listfile::Save(dialog.fileName, lines);
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
    for (t.First(); !t.Eof(); t.Next()) {
        const QString account = field("recacct");
        bool known = false;
        for (const QString& line : roster) {
            const QStringList fields = record::Split(line, record::Pipes::Replace);
            if (fields.size() == 4 && record::HasField(fields, account)) {
                known = true;
                break;
            }
        }
        if (!known) {
            roster.append(
                record::Join({field("recver"), account, field("recbank"), field("recbankcode")}));
        }
    }
    listfile::Save(path, roster);
}

void BatchPage::Button6Click() {
    FileDialogState& dialog = ctx_.openDialog;
    dialog.defaultExt = QStringLiteral("*.TXT");
    dialog.filterIndex = 1;
    if (ctx_.dialogs.Open(dialog)) {
        const QStringList lines = listfile::Load(dialog.fileName);
        // The whole file is checked before anything is added, so that a bad line never leaves
        // half a batch in the table.
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines[i].isEmpty()) {
                continue;
            }
            if (const auto reason = uploadfile::CheckLine(lines[i])) {
                ctx_.dialogs.Error(
                    QStringLiteral("第%1行：%2，未导入任何指令！").arg(i + 1).arg(*reason));
                return;
            }
        }
        ImportLines(lines);
    }
    ctx_.dialogs.Information(QStringLiteral("导入完毕！"));
}

void BatchPage::ImportLines(const QStringList& lines) {
    for (const QString& text : lines) {
        if (text.isEmpty()) {
            continue;
        }
        const uploadfile::ImportLine line = uploadfile::ParseLine(text);
        cross->setChecked(false);
        recobject->setCurrentIndex(-1);
        if (line.typeCode == QStringLiteral("D")) {
            cross->setChecked(true);
        } else {
            recobject->setCurrentIndex(recobject->findText(line.typeCode == QStringLiteral("P")
                                                               ? QStringLiteral("私人")
                                                               : QStringLiteral("公司")));
        }
        payacct->setEditText(line.payacct);
        recacct->setEditText(line.recacct);
        recver->setEditText(line.recver);
        recbank->setEditText(line.recbank);
        recbankcode->setText(line.recbankcode);
        amt->SetShuZhi(line.amt);
        SelectText(use, line.use);
        remittype->setCurrentIndex(remittype->findText(line.remitCode == QStringLiteral("H")
                                                           ? QStringLiteral("加急")
                                                           : QStringLiteral("普通")));
        edremark->setText(line.remark);
        AppendInstruction(Button6->objectName());
    }
}
