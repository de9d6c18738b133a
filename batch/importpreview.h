// The preview of a spreadsheet before anything is added: which sheet column feeds which field
// (each changeable), the first rows as they will be stored, the count and total, and every
// problem with its sheet row and column. "导入" is enabled only when no row is refused.
#pragma once

#include <QDialog>
#include <array>

#include "batch/sheetbatch.h"
#include "ui_importpreview.h"

class QComboBox;

class ImportPreview : public QDialog, public Ui::ImportPreview {
    Q_OBJECT
public:
    // Rows shown in the grid; the count and total cover every row.
    static constexpr int kShownRows = 100;
    // Problems listed; the rest are counted.
    static constexpr int kShownProblems = 500;

    struct Input {
        const sheetbatch::SheetTable* table = nullptr;
        sheetbatch::Layout layout;
        sheetbatch::Mapping mapping;  // the saved mapping: its defaults and first row
        QString payacct;
        sheetbatch::BankLookup banks;
        QString fileName;
    };

    explicit ImportPreview(QWidget* parent = nullptr);

    // Fills the dialog for a sheet without showing it.
    void Prepare(Input input);
    // Shows the dialog modally; true when the user chose "导入".
    bool Execute();

    const sheetbatch::Result& Current() const { return result_; }
    // The saved mapping with the columns chosen in the dialog and the first data row in use.
    sheetbatch::Mapping ChosenMapping() const;
    QComboBox* MapBox(int field) const { return boxes_[static_cast<std::size_t>(field)]; }

private:
    void Recompute();
    void ShowResult();
    // Where the columns came from (the titles, the saved mapping) and the values taken for
    // the fields the sheet lacks.
    QString SourceText() const;

    Input input_;
    sheetbatch::Result result_;
    std::array<QComboBox*, sheetbatch::kFieldCount> boxes_{};
    bool filling_ = false;
};
