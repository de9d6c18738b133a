#include "payments/exportflow.h"

#include <QFileInfo>

#include "platform/dialogs/dialogs.h"
#include "store/listfile.h"

namespace payments {

ExportResult WriteUploadFile(Dialogs& dialogs, FileDialogState& saveDialog, QString& folder,
                             ExportRecorder& recorder, const UploadExport& file) {
    Total total;
    for (const exportchecks::Row& row : file.rows) {
        if (!total.Add(row.amount)) {
            dialogs.Error(TotalTooLargeText(file.what));
            return ExportResult::Failed;
        }
    }
    // A mistyped card number or a payment entered twice goes out only when the user says so.
    const QString question =
        exportchecks::Question(file.rows, file.what, recorder.EarlierExports(file.rows));
    if (!question.isEmpty() && !dialogs.Question(question)) {
        return ExportResult::Declined;
    }
    saveDialog.fileName = file.defaultName;
    saveDialog.folder = folder;
    if (!dialogs.Save(saveDialog)) {
        return ExportResult::Cancelled;
    }
    folder = QFileInfo(saveDialog.fileName).absolutePath();
    QList<exportrecord::Payment> payments;
    payments.reserve(file.rows.size());
    for (const exportchecks::Row& row : file.rows) {
        payments.append({row.recacct, row.amount});
    }
    const listfile::Writer write = [&](const QString& path, const QByteArray& bytes) {
        return recorder.Write(file.page, path, bytes, payments);
    };
    if (const auto bad = listfile::SaveVerified(saveDialog.fileName, file.lines, write)) {
        dialogs.Error(*bad);
        return ExportResult::Failed;
    }
    return ExportResult::Written;
}

Room AskRoom(Dialogs& dialogs, const TableRows& table, qsizetype incoming, const QString& tableWhat,
             const QString& fileWhat, const QString& notice) {
    if (table.rows == 0) {
        return Room::Append;
    }
    const QString unexported =
        table.unexported == 0
            ? QString()
            : QStringLiteral("\n其中 %1 笔%2（合计 %3 元）尚未导出为上传文件，选“替换”将删除它们。")
                  .arg(table.unexported)
                  .arg(tableWhat, table.unexportedTotal.Grouped());
    const int answer = dialogs.Choice(
        QStringLiteral("表中已有 %1 笔%3。文件中的 %2 笔%4是追加到表中，还是替换表中的%4？")
                .arg(table.rows)
                .arg(incoming)
                .arg(tableWhat, fileWhat) +
            unexported + notice,
        {QStringLiteral("追加"), QStringLiteral("替换"), QStringLiteral("取消")}, 2);
    return answer == 0 ? Room::Append : answer == 1 ? Room::Replace : Room::Cancel;
}

}  // namespace payments
