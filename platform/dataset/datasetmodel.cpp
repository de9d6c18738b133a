#include "platform/dataset/datasetmodel.h"

#include <QColor>

#include "platform/text/apperror.h"

#include "platform/dialogs/guard.h"

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::SetDataset(Dataset* dataset) {
    beginResetModel();
    for (const auto& c : connections_) {
        disconnect(c);
    }
    connections_.clear();
    dataset_ = dataset;
    columns_ = dataset_ ? dataset_->FieldCount() : 0;
    Connect();
    endResetModel();
}

void DatasetModel::Connect() {
    if (!dataset_) {
        return;
    }
    Dataset* ds = dataset_;
    connections_ << connect(ds, &Dataset::AboutToReset, this, [this] { beginResetModel(); });
    connections_ << connect(ds, &Dataset::Reset, this, [this] {
        columns_ = dataset_->FieldCount();
        endResetModel();
    });
    connections_ << connect(ds, &Dataset::FieldsChanged, this, [this] {
        if (columns_ > 0) {
            emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
        }
    });
    connections_ << connect(ds, &Dataset::RowAboutToBeInserted, this,
                            [this](int row) { beginInsertRows({}, row, row); });
    connections_ << connect(ds, &Dataset::RowInserted, this, [this](int) { endInsertRows(); });
    connections_ << connect(ds, &Dataset::RowAboutToBeRemoved, this,
                            [this](int row) { beginRemoveRows({}, row, row); });
    connections_ << connect(ds, &Dataset::RowRemoved, this, [this](int) { endRemoveRows(); });
    connections_ << connect(ds, &Dataset::CursorMoved, this, [this](int row) {
        const int count = rowCount();
        for (int r : {indicatorRow_, row}) {
            if (r >= 0 && r < count) {
                emit headerDataChanged(Qt::Vertical, r, r);
            }
        }
        indicatorRow_ = row;
    });
    connections_ << connect(ds, &Dataset::RowChanged, this, [this](int row) {
        if (row >= 0 && columns_ > 0) {
            emit dataChanged(index(row, 0), index(row, columns_ - 1));
        }
    });
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !dataset_) {
        return 0;
    }
    return dataset_->RecordCount();
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!dataset_ || !index.isValid() || index.row() >= dataset_->RecordCount() ||
        index.column() >= columns_) {
        return {};
    }
    if (role == Qt::EditRole || role == Qt::DisplayRole) {
        const QString text = dataset_->Text(index.row(), index.column());
        const FieldFormat* format = FormatOf(index.column());
        const bool shown = role == Qt::DisplayRole || (format && format->editShown);
        return shown && format && format->text ? format->text(text) : text;
    }
    if (role == Qt::TextAlignmentRole) {
        if (const FieldFormat* format = FormatOf(index.column())) {
            return QVariant::fromValue(format->alignment);
        }
    }
    if (marked_.isValid() && index.row() == marked_.row()) {
        if (role == Qt::BackgroundRole) {
            return QColor(255, 236, 179);
        }
        if (role == Qt::ToolTipRole) {
            return markedTip_;
        }
    }
    return {};
}

void DatasetModel::SetMarkedRow(const QPersistentModelIndex& row, const QString& tooltip) {
    const int before = marked_.isValid() ? marked_.row() : -1;
    marked_ = row;
    markedTip_ = tooltip;
    for (const int r : {before, marked_.isValid() ? marked_.row() : -1}) {
        if (r >= 0 && columns_ > 0) {
            emit dataChanged(index(r, 0), index(r, columns_ - 1));
        }
    }
}

void DatasetModel::SetFieldFormat(const QString& fieldName, FieldFormat format) {
    formats_.append({fieldName, std::move(format)});
}

const DatasetModel::FieldFormat* DatasetModel::FormatOf(int column) const {
    if (formats_.isEmpty() || column >= dataset_->FieldCount()) {
        return nullptr;
    }
    const QString name = dataset_->Def(column).name;
    const FieldFormat* other = nullptr;
    for (const auto& [field, format] : formats_) {
        if (field.compare(name, Qt::CaseInsensitive) == 0) {
            return &format;
        }
        if (field.isEmpty()) {
            other = &format;
        }
    }
    return other;
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || !dataset_) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columns_) {
            return {};
        }
        return dataset_->DisplayLabel(section);
    }
    // The row indicator marks the current row; numbered rows carry their number beside it.
    if (rowNumbers_) {
        const QString number = QString::number(section + 1);
        return section == dataset_->RecNo() ? QStringLiteral("▶ ") + number : number;
    }
    return section == dataset_->RecNo() ? QStringLiteral("▶") : QString();
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!readOnly_ && dataset_ && index.column() < columns_ &&
        !dataset_->ReadOnly(index.column())) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!dataset_ || !index.isValid() || role != Qt::EditRole ||
        !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    QString text = value.toString();
    // An editor closed on the text it opened with changes nothing, even where that text is the
    // shown form of the stored one.
    if (data(index, Qt::EditRole).toString() == text &&
        dataset_->GetState() == Dataset::State::Browse) {
        return false;
    }
    if (editCheck_) {
        try {
            text = editCheck_(index.column(), text);
        } catch (const AppError& e) {
            // Shown after the editor has gone: a box opened while the editor commits would
            // take its focus and have it commit again.
            if (dialogs_) {
                QMetaObject::invokeMethod(
                    this, [this, message = e.Message()] { dialogs_->Warning(message); },
                    Qt::QueuedConnection);
            }
            return false;
        }
    }
    // An edit in place is an edit of the row; it is posted when the row is left.
    auto apply = [&] {
        dataset_->MoveTo(index.row());
        dataset_->Edit();
        dataset_->Fields(index.column()).SetAsString(text);
    };
    return Run(apply);
}

bool DatasetModel::Run(const std::function<void()>& change) {
    if (dialogs_) {
        return Guarded(*dialogs_, change);
    }
    try {
        change();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
