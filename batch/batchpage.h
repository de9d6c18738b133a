// The batch payment page: the entry form for one transfer instruction on the left, the
// instruction grid on the right, and the export and import of the batch upload file.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "batch/bankindex.h"
#include "batch/payees.h"
#include "controls/addnotice.h"
#include "payments/exportflow.h"
#include "payments/instruction.h"
#include "payments/money.h"
#include "platform/dataset/rowmarks.h"
#include "platform/dataset/roworigins.h"
#include "platform/dialogs/dialogs.h"
#include "store/listfile.h"
#include "ui_batchpage.h"

class ImportPreview;
class QComboBox;
class ConfigDir;
namespace printing {
class DetailLists;
}
class DataSource;
class Dataset;

class BatchPage : public QWidget, public Ui::BatchPage {
    Q_OBJECT
public:
    struct Context {
        Dataset& cds1;
        DataSource& dataSource;
        Dialogs& dialogs;
        const ConfigDir& config;
        FileDialogState& saveDialog;
        FileDialogState& openDialog;
        printing::DetailLists& printing;
        // Writes and records the upload file, and names payments exported before.
        payments::ExportRecorder& recorder;
        // The notice after a successful add.
        AddNotice& addNotice;
    };

    BatchPage(Context context, QWidget* parent = nullptr);

    // First show: the grid builds its columns from the fields, the table is created.
    void CreateTable();
    void SetGridTitles();

    // Handlers.
    // "增加指令": checks the form and adds it as a new instruction.
    void Button1Click();
    // "修改指令": checks the form and writes it over the current instruction.
    void Button2Click();
    // "删除指令": deletes the current instruction.
    void Button3Click();
    // "复位": deletes every instruction, after asking when some are not yet exported.
    void Button4Click();
    // "数据导出": checks every instruction and writes the batch upload file.
    void Button5Click();
    // "数据导入": a batch upload file is checked whole and its instructions added; a spreadsheet
    // (.xls, .xlsx, .csv) is previewed with its column mapping and added once confirmed.
    void Button6Click();
    // Double-click on the grid: loads the current instruction into the form.
    void DBGrid1DblClick();
    // "跨行" ticked or unticked: switches the form between same-bank and cross-bank.
    void crossClick();
    // The spinner beside "指令序号" moved: shows its position.
    void UpDown1ChangingEx(int newPosition);
    // "打印转账": prints the instruction table as a detail list in the preview.
    void Button19Click();
    // The grid's "另存为Excel工作簿…": the instructions as an .xlsx workbook for the records.
    void SaveGridAsExcel();

    // The preview of a spreadsheet import, created once with the page.
    ImportPreview* importPreview;
    // Which file each instruction was imported from, for the recovery file and a file
    // imported twice.
    RowOrigins* origins;
    // Which instructions are in an upload file as they stand.
    RowMarks* exported;

    // Rows added, changed or imported and not written to an upload file since.
    int UnexportedRows() const;
    // The sum of those rows' amounts.
    payments::Money UnexportedTotal() const;

    // Operations.
    // Adds the form's content as a new row; callerName names the button that asked. True when
    // the row was posted.
    bool AppendInstruction(const QString& callerName);
    // Adds checked instructions as whole rows, all or none; the form is not touched. The payees
    // are learned into the roster once, at the end.
    void AppendRows(const std::vector<payments::Instruction>& rows);
    // Every row of the table as an instruction, in order.
    std::vector<payments::Instruction> Rows() const;
    void UpdateInstruction();
    void RememberPayee();
    void LearnPayees();

private:
    static constexpr char16_t kAmountMessage[] = u"转账金额不能为0！";
    static constexpr char16_t kAccountMessage[] = u"账号不能带空格或横杠！";

    void SetUpForm();
    void Wire();
    // Runs a handler under the program-wide error box.
    void Handle(const std::function<void()>& handler);
    // The instruction the form holds, its amount in normal form; fails when the amount box
    // holds no amount.
    payments::Instruction FormInstruction() const;
    // Sets the current row's fields from an instruction; a value longer than its field fails.
    void SetFields(const payments::Instruction& in);
    QString CpFlagText() const;
    // Sets a combo box's text, selecting the list entry when there is one.
    static void SelectText(QComboBox* box, const QString& text);
    void ResetRecipient();
    // The first form value refused for its field (a "|", a line break, too long), as a message.
    std::optional<QString> FindRefusedValue() const;
    // Whether the batch's total stays within what can be summed with `extra` added, the row
    // `without` (0-based; -1 for none) left out.
    bool TotalFits(payments::Money extra, int without = -1) const;
    // The lines of an import file's bytes (read once), or nothing after an error box (an
    // encoding it refuses).
    std::optional<QStringList> DecodeImportFile(const QByteArray& bytes);
    // The spreadsheet at path through the preview; false when nothing was added.
    bool ImportSheet(const QString& path, const RowOrigins::Source& source);
    // Adds an import's rows from `source` once the table has room (the 追加/替换/取消 question)
    // and their sum fits; false, adding nothing, otherwise.
    bool AddImported(const std::vector<payments::Instruction>& rows,
                     const RowOrigins::Source& source);
    // The add button's checks, the row limit only when asked; false after a warning.
    bool CheckForm(bool rowLimit);
    static bool IsPlainAccount(const QString& account);
    // The amount box's value in plain form with two decimals; fails when it is no amount.
    QString FormAmount() const;
    // The value an edit in place stores, checked as the form checks that field.
    QString CheckGridEdit(int column, const QString& text) const;
    payees::Payee FormPayee() const;
    // Learns payees into the roster with one load and, when any is new, one save.
    void LearnIntoRoster(const QList<payees::Payee>& list);
    void WarnRosterNotSaved(const QString& reason);
    // The count and total of the batch below the grid, the total also in capitals.
    void ShowBatchSummary();
    // Empties the instruction table.
    void ClearRows();

    // The 收款对象 entry shown before 跨行 was ticked; -1 for none.
    int recobjectBeforeCross_ = -1;
    // Whether a row was ever loaded into the form for changing.
    bool loadedOnce_ = false;
    // The folder of the last batch upload file written or read in this run.
    // The name of the last batch file imported.
    QString importName_;
    QString uploadFolder_;
    BankIndex banks_;

    Context ctx_;
};
