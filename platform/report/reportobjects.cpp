#include "platform/report/reportobjects.h"

#include "platform/text/apperror.h"

void TfrxCrossView::AddValue(const QVariantList& Rows, const QVariantList& Columns,
                             const QVariantList& Cells) {
    if (Rows.size() != 1 || Columns.size() != 1 || Cells.size() != 1) {
        throw AppError(QStringLiteral("交叉表 %1 只有一级行、一级列和一级单元格").arg(Name));
    }
    const QString rowKey = Rows[0].toString();
    const QString columnKey = Columns[0].toString();
    auto row = rowIndex_.constFind(rowKey);
    if (row == rowIndex_.cend()) {
        row = rowIndex_.insert(rowKey, RowCount());
        rows_.push_back(rowKey);
        cells_.emplace_back();
    }
    auto column = columnIndex_.constFind(columnKey);
    if (column == columnIndex_.cend()) {
        column = columnIndex_.insert(columnKey, ColumnCount());
        columns_.push_back(columnKey);
    }
    std::vector<QString>& line = cells_[static_cast<std::size_t>(*row)];
    const auto c = static_cast<std::size_t>(*column);
    if (line.size() <= c) {
        line.resize(c + 1);
    }
    line[c] = Cells[0].toString();
}

void TfrxCrossView::ClearValues() {
    rows_.clear();
    columns_.clear();
    rowIndex_.clear();
    columnIndex_.clear();
    cells_.clear();
}

QString TfrxCrossView::Cell(int row, int column) const {
    const std::vector<QString>& line = cells_[static_cast<std::size_t>(row)];
    const auto c = static_cast<std::size_t>(column);
    return c < line.size() ? line[c] : QString();
}
