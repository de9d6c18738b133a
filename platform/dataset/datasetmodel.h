// An item model over a table: one column per field in definition order, one row per visible
// row, read on demand so that a table of any size shows at once.
#pragma once

#include "platform/dataset/dataset.h"

#include <QAbstractTableModel>
#include <QPersistentModelIndex>
#include <QPointer>
#include <functional>

class Dialogs;

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(QObject* parent = nullptr);

    void SetDataset(Dataset* dataset);
    Dataset* GetDataset() const { return dataset_; }
    // Where errors of an edit in place are shown.
    void SetDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }
    // Checks a value typed into a cell before it is stored: returns the value to store (it may
    // put it in a normal form), or throws AppError with the warning that refuses it. The warning
    // is shown once the editor has closed; the cell keeps its old value.
    using EditCheck = std::function<QString(int column, const QString& text)>;
    void SetEditCheck(EditCheck check) { editCheck_ = std::move(check); }
    // How a field is shown, by field name (letter case ignored; an empty name: every field
    // without a format of its own): the shown text made from the stored one, and its alignment.
    // An edit starts from the stored text, or from the shown one when editShown is set.
    struct FieldFormat {
        std::function<QString(const QString&)> text;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        bool editShown = false;
    };
    void SetFieldFormat(const QString& fieldName, FieldFormat format);
    // Whether the row headers show the row numbers (from 1) beside the current-row mark.
    void SetRowNumbers(bool numbers) { rowNumbers_ = numbers; }
    // A row marked apart from the others (its background and tooltip), such as the row an entry
    // form holds for changing; it follows the row as rows above it come and go, and is gone
    // with the row. An invalid index marks none.
    void SetMarkedRow(const QPersistentModelIndex& row, const QString& tooltip);
    const QPersistentModelIndex& MarkedRow() const { return marked_; }
    // The whole grid read-only (fields may still be read-only each).
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Runs a change of the table from the view; an error is shown and false returned.
    bool Run(const std::function<void()>& change);

private:
    void Connect();

    QPointer<Dataset> dataset_;
    Dialogs* dialogs_ = nullptr;
    EditCheck editCheck_;
    QList<std::pair<QString, FieldFormat>> formats_;
    const FieldFormat* FormatOf(int column) const;
    QPersistentModelIndex marked_;
    QString markedTip_;
    bool readOnly_ = false;
    bool rowNumbers_ = false;
    int columns_ = 0;
    int indicatorRow_ = -1;  // the row whose indicator is shown
    QList<QMetaObject::Connection> connections_;
};
