#include "platform/dataset/dbgrid.h"

#include "platform/dialogs/guard.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>
#include <vector>

namespace {

// Draws right-aligned cells (amounts) so that a number is never cut from the right: a cell that
// runs past the grid's visible edge is drawn within the visible part, and a number wider than
// its room shows as "#" marks, as a spreadsheet does, with the whole value as its tooltip.
class NumberDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        if (!Fit(opt)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QString whole = opt.text;
        if (event->type() == QEvent::ToolTip && Fit(opt) && opt.text != whole &&
            index.data(Qt::ToolTipRole).isNull()) {
            QToolTip::showText(event->globalPos(), whole, view);
            return true;
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }

private:
    // Fits a right-aligned cell's text to what of the cell is seen; false for other cells.
    static bool Fit(QStyleOptionViewItem& opt) {
        if (!(opt.displayAlignment & Qt::AlignRight) ||
            !opt.features.testFlag(QStyleOptionViewItem::HasDisplay)) {
            return false;
        }
        const auto* view = qobject_cast<const QAbstractItemView*>(opt.widget);
        if (view) {
            opt.rect = opt.rect.intersected(view->viewport()->rect());
        }
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        // The style draws the text inside a margin on each side of its rectangle.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const int room =
            style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).width() - 2 * margin;
        const QFontMetrics metrics(opt.font);
        if (metrics.horizontalAdvance(opt.text) > room) {
            const int mark = std::max(1, metrics.horizontalAdvance(u'#'));
            opt.text = QString(std::max(1, room / mark), u'#');
        }
        return true;
    }
};

}  // namespace

DBGrid::DBGrid(QWidget* parent) : QTableView(parent) {
    setModel(&model_);
    setItemDelegate(new NumberDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::SelectedClicked);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("▶")) + 8);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    // Titles start at the left edge, so that a wide column still shows its title.
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this] { emit DblClick(); });
    connect(verticalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this] { emit DblClick(); });
    // After a reset the selection is gone; put it back on the cursor.
    connect(&model_, &QAbstractItemModel::modelReset, this, &DBGrid::FollowDataset);
}

void DBGrid::SetDataSource(DataSource* source) {
    if (sourceConnection_) {
        disconnect(sourceConnection_);
    }
    source_ = source;
    if (source_) {
        sourceConnection_ = connect(source_, &DataSource::DataSetChanged, this, [this] { Bind(); });
    }
    Bind();
}

void DBGrid::SetDialogs(Dialogs* dialogs) {
    dialogs_ = dialogs;
    model_.SetDialogs(dialogs);
}

void DBGrid::SetGridReadOnly(bool readOnly) {
    model_.SetReadOnly(readOnly);
    setEditTriggers(readOnly
                        ? QAbstractItemView::NoEditTriggers
                        : QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                              QAbstractItemView::SelectedClicked);
}

void DBGrid::Bind() {
    if (cursorConnection_) {
        disconnect(cursorConnection_);
    }
    Dataset* ds = source_ ? source_->GetDataSet() : nullptr;
    model_.SetDataset(ds);
    if (ds) {
        cursorConnection_ = connect(ds, &Dataset::CursorMoved, this, &DBGrid::FollowCursor);
        FollowCursor(ds->RecNo());
    }
}

QString DBGrid::ColumnTitle(int column) const {
    return model_.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

void DBGrid::SetColumnTitle(int column, const QString& title) {
    if (Dataset* ds = model_.GetDataset(); ds && column >= 0 && column < ds->FieldCount()) {
        ds->SetDisplayLabel(column, title);
    }
}

void DBGrid::SetColumnReadOnly(int column, bool readOnly) {
    if (Dataset* ds = model_.GetDataset(); ds && column >= 0 && column < ds->FieldCount()) {
        ds->SetReadOnly(column, readOnly);
    }
}

void DBGrid::SetTabLeavesGrid(bool leaves) {
    tabLeaves_ = leaves;
    setTabKeyNavigation(!leaves);
}

void DBGrid::CommitEdit() {
    if (state() != QAbstractItemView::EditingState) {
        return;
    }
    // The editor is the viewport's child the delegate opened; it need not have the focus (a
    // context menu opened over the grid holds it while its command runs).
    for (QWidget* editor : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (editor->isVisible()) {
            commitData(editor);
            QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
            return;
        }
    }
}

void DBGrid::EditCell(int row, int column) {
    const QModelIndex cell = model_.index(row, column);
    if (!cell.isValid()) {
        return;
    }
    setFocus(Qt::OtherFocusReason);
    setCurrentIndex(cell);
    edit(cell);
}

void DBGrid::SetFitColumns(int stretchColumn, int widest) {
    stretchColumn_ = stretchColumn;
    widest_ = widest;
    model_.SetRowNumbers(true);
    verticalHeader()->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("▶ 000000")) +
                                    8);
    const auto schedule = [this] { ScheduleFit(); };
    connect(&model_, &QAbstractItemModel::modelReset, this, schedule);
    connect(&model_, &QAbstractItemModel::rowsInserted, this, schedule);
    connect(&model_, &QAbstractItemModel::dataChanged, this, schedule);
    connect(&model_, &QAbstractItemModel::headerDataChanged, this, [this](Qt::Orientation o) {
        if (o == Qt::Horizontal) {
            ScheduleFit();
        }
    });
    // A column the user widens or narrows keeps his width.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (!fitting_) {
            userSized_.insert(column);
        }
    });
    ScheduleFit();
}

void DBGrid::ScheduleFit() {
    if (stretchColumn_ == -2 || fitPending_) {
        return;
    }
    fitPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            fitPending_ = false;
            FitColumns();
        },
        Qt::QueuedConnection);
}

void DBGrid::FitColumns() {
    const int columns = model_.columnCount();
    if (columns == 0) {
        return;
    }
    // Titles, and the texts of the first and the last rows: enough for a payroll's widths
    // without reading every row of a large import.
    const QFontMetrics cells(font());
    const QFontMetrics titles(horizontalHeader()->font());
    const int rows = model_.rowCount();
    // The row headers hold the mark and the largest row number.
    const int digits = std::max<int>(3, static_cast<int>(QString::number(rows).size()));
    verticalHeader()->setFixedWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("▶ ") + QString(digits, u'0')) + 10);
    constexpr int kSample = 300;
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 10;
    std::vector<int> widths(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        int width = titles.horizontalAdvance(
                        model_.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) +
                    padding + 6;
        const auto measure = [&](int r) {
            width =
                std::max(width, cells.horizontalAdvance(
                                    model_.data(model_.index(r, c), Qt::DisplayRole).toString()) +
                                    padding);
        };
        for (int r = 0; r < std::min(rows, kSample); ++r) {
            measure(r);
        }
        for (int r = std::max(kSample, rows - kSample); r < rows; ++r) {
            measure(r);
        }
        widths[static_cast<std::size_t>(c)] = std::min(width, widest_);
    }
    int used = 0;
    for (int c = 0; c < columns; ++c) {
        used += userSized_.contains(c) ? columnWidth(c) : widths[static_cast<std::size_t>(c)];
    }
    const int spare = viewport()->width() - used;
    if (spare > 0 && stretchColumn_ >= 0 && stretchColumn_ < columns &&
        !userSized_.contains(stretchColumn_)) {
        widths[static_cast<std::size_t>(stretchColumn_)] += spare;
    }
    fitting_ = true;
    for (int c = 0; c < columns; ++c) {
        if (!userSized_.contains(c)) {
            setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
        }
    }
    fitting_ = false;
}

QStringList DBGrid::UserWidths() const {
    QList<int> columns(userSized_.begin(), userSized_.end());
    std::sort(columns.begin(), columns.end());
    QStringList widths;
    for (const int c : columns) {
        widths.append(QStringLiteral("%1:%2").arg(c).arg(columnWidth(c)));
    }
    return widths;
}

void DBGrid::RestoreUserWidths(const QStringList& widths) {
    for (const QString& pair : widths) {
        const QStringList parts = pair.split(u':');
        bool columnOk = false;
        bool widthOk = false;
        const int column = parts.value(0).toInt(&columnOk);
        const int width = parts.value(1).toInt(&widthOk);
        if (parts.size() == 2 && columnOk && widthOk && column >= 0 && column < 256 && width > 0 &&
            width <= 4000) {
            userSized_.insert(column);
            fitting_ = true;
            setColumnWidth(column, width);
            fitting_ = false;
        }
    }
    ScheduleFit();
}

void DBGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    ScheduleFit();
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        state() != QAbstractItemView::EditingState && currentIndex().isValid()) {
        emit EnterPressed(currentIndex().row());
    }
    QTableView::keyPressEvent(event);
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (tabLeaves_ && (hint == QAbstractItemDelegate::EditNextItem ||
                       hint == QAbstractItemDelegate::EditPreviousItem)) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        focusNextPrevChild(hint == QAbstractItemDelegate::EditNextItem);
        return;
    }
    // Enter in an editor stores its text and closes it with this hint.
    const bool entered = hint == QAbstractItemDelegate::SubmitModelCache;
    const int row = currentIndex().row();
    QTableView::closeEditor(editor, hint);
    if (entered) {
        emit EnterPressed(row);
    }
}

void DBGrid::ClearColumns() {
    Bind();
}

void DBGrid::FollowDataset() {
    FollowCursor(model_.GetDataset() ? model_.GetDataset()->RecNo() : -1);
}

void DBGrid::FollowCursor(int row) {
    if (syncing_ || !selectionModel()) {
        return;
    }
    syncing_ = true;
    if (row < 0 || row >= model_.rowCount()) {
        selectionModel()->clearCurrentIndex();
        selectionModel()->clearSelection();
    } else {
        const int column = std::max(currentIndex().column(), 0);
        const QModelIndex target = model_.index(row, std::min(column, model_.columnCount() - 1));
        selectionModel()->setCurrentIndex(
            target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    syncing_ = false;
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (syncing_ || !current.isValid()) {
        return;
    }
    Dataset* ds = model_.GetDataset();
    if (!ds || current.row() == ds->RecNo()) {
        return;
    }
    // Leaving a row posts its pending edit; when that fails the row stays current.
    const bool ok = model_.Run([&] { ds->MoveTo(current.row()); });
    if (!ok || ds->RecNo() != current.row()) {
        QMetaObject::invokeMethod(this, &DBGrid::FollowDataset, Qt::QueuedConnection);
    }
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    emit DblClick();
}
