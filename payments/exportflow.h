// The steps both pages take to write an upload file and to take in a file's rows: the checks
// before writing (a total that fits, mistyped cards, payments entered twice or exported on an
// earlier day), the save dialog, the verified write and the record; and the question when an
// import meets rows already in the table. Each page supplies only what differs: its lines,
// its rows and its words.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "payments/exportchecks.h"
#include "payments/exportrecord.h"

class Dialogs;
struct FileDialogState;

namespace payments {

// What the window that keeps the export record gives each page.
class ExportRecorder {
public:
    virtual ~ExportRecorder() = default;
    // The rows that repeat a payment exported within the last 30 days, a line each ("第3笔：
    // 账号…，金额…，2026-12-10 已导出到“…”"), and what of the record could not be checked.
    virtual exportchecks::Earlier EarlierExports(const QList<exportchecks::Row>& rows) = 0;
    // Puts an upload file's bytes on disk and, once they read back as written, records the
    // file with the payments it holds; false when the file could not be written.
    virtual bool Write(const QString& page, const QString& path, const QByteArray& bytes,
                       const QList<exportrecord::Payment>& payments) = 0;
};

// One upload file about to be written.
struct UploadExport {
    QString page;         // the record's name of the page: "批量支付" or "工资代发"
    QString what;         // the rows in messages: "指令" or "工资记录"
    QString defaultName;  // the name the save dialog proposes
    QStringList lines;
    QList<exportchecks::Row> rows;  // every row's payment, in file order
};

enum class ExportResult { Written, Declined, Cancelled, Failed };

// Refuses a total that does not fit; asks when a row looks mistyped or paid twice (否:
// Declined); asks for the file in the shared save dialog, opened in `folder`, which then
// follows the choice (cancelled: Cancelled); writes the lines through the recorder and reads
// them back (an error box and Failed when that fails).
ExportResult WriteUploadFile(Dialogs& dialogs, FileDialogState& saveDialog, QString& folder,
                             ExportRecorder& recorder, const UploadExport& file);

// An import's rows meet rows already in the table: 追加 adds to them, 替换 takes their place,
// 取消 adds nothing. Asked only when the table holds rows (Append otherwise). The rows are
// named tableWhat in the table ("工资记录") and fileWhat in the file ("记录"). The rows of the
// table not yet in an upload file are counted with their total, since 替换 deletes them;
// `notice` follows (rows already imported from a file with the same bytes). 取消 is the
// default.
enum class Room { Append, Replace, Cancel };
struct TableRows {
    int rows = 0;
    int unexported = 0;
    Money unexportedTotal;
};
Room AskRoom(Dialogs& dialogs, const TableRows& table, qsizetype incoming, const QString& tableWhat,
             const QString& fileWhat, const QString& notice);

}  // namespace payments
