// The batch payment page: the entry form for one transfer instruction on the left, the
// instruction grid on the right, and the export and import of the batch upload file.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "platform/dialogs/dialogs.h"
#include "ui_batchpage.h"

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
        // Sets the record-count panel of the status bar.
        std::function<void(const QString&)> setCountPanel;
        printing::DetailLists& printing;
    };

    BatchPage(Context context, QWidget* parent = nullptr);

    // First show: the grid builds its columns from the fields, the table is created.
    void CreateTable();
    void SetGridTitles();

    // Handlers.
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void DBGrid1DblClick();
    void crossClick();
    void UpDown1ChangingEx(int newPosition);
    // "打印转账": prints the instruction table as a detail list in the preview.
    void Button19Click();

    // Operations.
    // Adds the form's content as a new row; callerName tells the add button from the import.
    void AppendInstruction(const QString& callerName);
    void UpdateInstruction();
    void RememberPayee();
    void LearnPayees();

private:
    void SetUpForm();
    void Wire();
    // Runs a handler under the program-wide error box.
    void Handle(const std::function<void()>& handler);
    void SetFieldsFromForm();
    QString CpFlagText() const;
    // Sets a combo box's text, selecting the list entry when there is one.
    static void SelectText(QComboBox* box, const QString& text);
    void ResetRecipient();
    // The first form value that cannot go into an upload line, as its field title.
    std::optional<QString> FindUnsafeValue() const;
    void ImportLines(const QStringList& lines);

    Context ctx_;
};
