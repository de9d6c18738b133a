// The data-aware grid: shows a table through its data link, keeps the highlighted row on the
// table's cursor and the cursor on the row the user selects, and posts an edit in place when
// the user leaves the row.
#pragma once

#include "platform/dataset/datasetmodel.h"

#include <QPointer>
#include <QSet>
#include <QTableView>

class Dialogs;

class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);

    void SetDataSource(DataSource* source);
    DataSource* GetDataSource() const { return source_; }
    void SetDialogs(Dialogs* dialogs);
    void SetGridReadOnly(bool readOnly);
    DatasetModel* Model() { return &model_; }

    // Columns are the table's fields; titles and read-only marks go to the fields.
    int ColumnCount() const { return model_.columnCount(); }
    QString ColumnTitle(int column) const;
    void SetColumnTitle(int column, const QString& title);
    void SetColumnReadOnly(int column, bool readOnly);
    // Drops every column of the grid's own; the columns then follow the table's fields.
    void ClearColumns();

    // Tab and Shift+Tab, also from a cell being edited, leave the grid for the next or previous
    // control instead of walking its cells.
    void SetTabLeavesGrid(bool leaves);
    // Stores the text of a cell being edited and closes its editor; nothing when none is open.
    void CommitEdit();
    // Opens the editor of a cell with its text selected, the focus in it.
    void EditCell(int row, int column);

    // Sizes the columns to their titles and contents whenever the rows or the grid's width
    // change, the spare width going to the given column; a column the user resized keeps his
    // width. The row headers then number the rows, the current one marked.
    // A column is at most `widest` pixels wide by its contents; the stretch column takes the
    // spare width beyond that, and the user may widen any column further.
    void SetFitColumns(int stretchColumn, int widest = 640);
    // Sizes the columns now (what SetFitColumns does after every change).
    void FitColumns();
    // The widths the user gave columns, as "column:width" pairs, and their restoring.
    QStringList UserWidths() const;
    void RestoreUserWidths(const QStringList& widths);

signals:
    // A double-click anywhere on the grid, the title row included.
    void DblClick();
    // Enter pressed on a cell of that row: to store its edit, or on a cell not being edited.
    void EnterPressed(int row);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Bind();
    void FollowCursor(int row);
    void FollowDataset();

    DatasetModel model_;
    QPointer<DataSource> source_;
    Dialogs* dialogs_ = nullptr;
    bool syncing_ = false;
    bool tabLeaves_ = false;
    void ScheduleFit();
    int stretchColumn_ = -2;  // -2: columns are not fitted
    int widest_ = 640;
    bool fitPending_ = false;
    bool fitting_ = false;
    QSet<int> userSized_;
    QMetaObject::Connection cursorConnection_;
    QMetaObject::Connection sourceConnection_;
};
