// The salary page: the item grid where one employee's values are typed, the salary grid with
// the credits, the count and running total, and the export of the salary upload file.
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

#include "controls/addnotice.h"
#include "payments/exportflow.h"
#include "payments/money.h"
#include "platform/dataset/rowmarks.h"
#include "platform/dataset/roworigins.h"
#include "platform/dialogs/dialogs.h"
#include "salary/salarytables.h"
#include "store/listfile.h"
#include "ui_salarypage.h"

class ConfigDir;
class DataSource;
class Dataset;

namespace printing {
class DetailLists;
}

class SalaryPage : public QWidget, public Ui::SalaryPage {
    Q_OBJECT
public:
    struct Context {
        Dataset& cds2;
        Dataset& cds3;
        DataSource& dataSource2;
        DataSource& dataSource3;
        // The items' field names in file order; exists from the first show on.
        std::optional<QStringList>& itemFieldNames;
        Dialogs& dialogs;
        const ConfigDir& config;
        FileDialogState& saveDialog;
        FileDialogState& openDialog;
        printing::DetailLists& printing;
        // The texts of the parameter page's mapping edits: name, account and amount column
        // letters and the start row.
        std::function<QStringList()> sheetMapping;
        // Shows the parameter page, where the mapping is entered.
        std::function<void()> showParameters;
        // Writes and records the upload file, and names payments exported before.
        payments::ExportRecorder& recorder;
        // The notice after a successful add.
        AddNotice& addNotice;
    };

    SalaryPage(Context context, QWidget* parent = nullptr);

    // Rows added, changed or imported and not written to a salary upload file since.
    int UnexportedRows() const { return exported->Unmarked(); }
    // The sum of those rows' amounts.
    payments::Money UnexportedTotal() const;

    // First show: the item table is created, the item grid titled, the item file read.
    void CreateTable();
    void SetGridTitles();
    // Fills the item table and the field names from the item file and creates the salary
    // table. On failure the error passes on and both tables are left without items.
    void LoadSalaryItems();
    // Makes the item number and caption columns of the item grid read-only.
    void ProtectItemColumns();

    // "增加指令": adds the typed values as a credit, up to the row limit.
    void Button7Click();
    // "打印工资": prints the salary list.
    void Button8Click();
    // "删除指令": removes the current credit.
    void Button9Click();
    // "复位": removes every credit, after asking when some are not yet exported.
    void Button10Click();
    // "数据导入": imports a salary sheet.
    void Button11Click();
    // Imports the payroll worksheet at path: every row up to the first empty name is read and
    // checked first, and only a sheet without a bad row is appended. Returns what the closing
    // message tells of the rows read; empty when nothing was read.
    QString ImportSalarySheet(const QString& path);
    // Which sheet each credit was imported from, for the recovery file and a sheet imported
    // twice.
    RowOrigins* origins;
    // Which credits are in a salary upload file as they stand.
    RowMarks* exported;
    // "网银格式导出": writes the salary table as the salary upload file.
    void Button12Click();
    // Grid menu "另存为Excel工作簿": saves the credits as an .xlsx workbook for the records.
    void SaveGridAsExcel();

    // Adds one credit from the item table and updates count and total; a failure is reported
    // with its reason and changes nothing.
    void AppendSalaryEntry();
    // The value typed for the item of that field name; "NULL" when no item has that name.
    // Moves the item table's cursor (posting a pending edit of the item grid first).
    QString SalaryItemValue(const QString& name);
    // Appends one credit with these field values, every other field "NULL"; on failure the
    // table is as before and the error passes on. Totals and counters are the caller's.
    void AppendSalaryRow(const salary::FieldValues& values);

private:
    void SetUpForm();
    void Wire();
    void Handle(const std::function<void()>& handler);
    // Leaves both tables without items after a failed load.
    void ClearItems();
    // Empties the salary table.
    void ClearRows();
    // The rules of the salary field at that position; whether a field is one every credit must
    // fill (name, account, amount).
    payments::FieldRule Rule(int field) const;
    // Whether the sum of the credits' amounts with `extra` added fits.
    bool TotalFits(payments::Money extra) const;
    static bool IsKeyField(const QString& name);
    // The count and total boxes: the rows in the table and their amounts' sum.
    void ShowSummary();

    Context ctx_;
    // The folders of the last salary upload file and the last payroll sheet of this run.
    QString uploadFolder_;
    QString sheetFolder_;
    QString sheetName_;
};
