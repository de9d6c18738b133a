#include "platform/dataset/dataset.h"

#include "platform/dataset/filter.h"
#include "platform/dataset/initialsindex.h"
#include "platform/dataset/packet.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"

#include <algorithm>

// ---- Field ----

QString Field::FieldName() const {
    return dataset_->Def(index_).name;
}
QString Field::DisplayLabel() const {
    return dataset_->DisplayLabel(index_);
}
void Field::SetDisplayLabel(const QString& label) {
    dataset_->SetDisplayLabel(index_, label);
}
int Field::Size() const {
    return dataset_->Def(index_).size;
}
bool Field::Required() const {
    return dataset_->Def(index_).required;
}
bool Field::ReadOnly() const {
    return dataset_->ReadOnly(index_);
}
void Field::SetReadOnly(bool readOnly) {
    dataset_->SetReadOnly(index_, readOnly);
}
bool Field::IsNull() const {
    return dataset_->CurrentIsNull(index_);
}
QString Field::AsString() const {
    return dataset_->CurrentText(index_);
}
void Field::SetAsString(const QString& text) {
    dataset_->SetCurrentText(index_, text);
}

std::int64_t Field::AsCurrency() const {
    if (IsNull()) {
        return 0;
    }
    return convert::TextToCurrency(AsString());
}

// ---- Dataset ----

namespace {

// The search by initials over columns, building each column's index at its first use.
InitialsSearch SearchByInitials(const Initials* initials, const std::vector<ColumnData>& columns,
                                std::vector<std::shared_ptr<const InitialsIndex>>& indexes) {
    if (initials == nullptr) {
        return {};
    }
    return [initials, &columns, &indexes](std::size_t column, QStringView term) {
        indexes.resize(columns.size());
        std::shared_ptr<const InitialsIndex>& index = indexes[column];
        if (!index) {
            index = std::make_shared<const InitialsIndex>(columns[column], *initials);
        }
        return index->Select(term);
    };
}

}  // namespace

Dataset::Dataset(QObject* parent) : QObject(parent) {}

void Dataset::DisableControls() {
    ++controlsDisabled_;
}

void Dataset::EnableControls() {
    if (controlsDisabled_ > 0 && --controlsDisabled_ == 0) {
        // The views saw none of the changes: they read the table anew.
        emit AboutToReset();
        emit Reset();
        emit CursorMoved(cursor_);
    }
}

template <typename Change>
void Dataset::ResetWith(Change change) {
    emit AboutToReset();
    change();
    emit Reset();
}

void Dataset::ClearFieldDefs() {
    fieldDefs_.clear();
}

void Dataset::AddFieldDef(const QString& name, bool required, int size) {
    for (const FieldDef& def : fieldDefs_) {
        if (def.name.compare(name, Qt::CaseInsensitive) == 0) {
            throw MakeError(msg::kComponentExists, name);
        }
    }
    fieldDefs_.push_back({name, size, required});
}

void Dataset::CreateDataSet() {
    if (fieldDefs_.empty()) {
        throw AppError(QString::fromUtf16(msg::kNoFieldsDefined));
    }
    ResetWith([this] {
        fields_.clear();
        for (const FieldDef& def : fieldDefs_) {
            fields_.push_back({def, def.name, false});
        }
        columns_.assign(fields_.size(), ColumnData());
        ValuesChanged();
        rowCount_ = 0;
        editBackup_.clear();
        state_ = State::Browse;
        visible_.reset();
        if (filtered_ && !filterText_.isEmpty()) {
            visible_ = std::vector<std::uint32_t>();
        }
        cursor_ = -1;
        eof_ = true;
    });
}

void Dataset::Close() {
    if (state_ == State::Inactive) {
        return;
    }
    ResetWith([this] {
        fields_.clear();
        columns_.clear();
        ValuesChanged();
        rowCount_ = 0;
        editBackup_.clear();
        visible_.reset();
        state_ = State::Inactive;
        cursor_ = -1;
        eof_ = true;
    });
}

void Dataset::LoadFromStream(QIODevice& device) {
    const QByteArray bytes = device.readAll();
    PacketTable packet = ReadPacket(bytes);
    // Evaluate the filter in force before anything changes, so that a failure leaves the table
    // as it was.
    QStringList names;
    for (const FieldDef& def : packet.fields) {
        names.append(def.name);
    }
    std::optional<std::vector<std::uint32_t>> visible;
    std::vector<std::shared_ptr<const InitialsIndex>> indexes;
    if (filtered_ && !filterText_.isEmpty()) {
        visible = SelectRows(filterText_, names, packet.columns,
                             SearchByInitials(initials_, packet.columns, indexes));
    }
    ResetWith([&] {
        fields_.clear();
        for (const FieldDef& def : packet.fields) {
            fields_.push_back({def, def.name, false});
        }
        rowCount_ = packet.columns.empty() ? 0 : packet.columns.front().RowCount();
        columns_ = std::move(packet.columns);
        initialsIndex_ = std::move(indexes);
        editBackup_.clear();
        visible_ = std::move(visible);
        state_ = State::Browse;
        const int count = RecordCount();
        cursor_ = count > 0 ? 0 : -1;
        eof_ = count == 0;
    });
}

void Dataset::CheckActive() const {
    if (state_ == State::Inactive) {
        throw AppError(QString::fromUtf16(msg::kDatasetNotOpen));
    }
}

void Dataset::RequireCurrent() const {
    CheckActive();
    if (cursor_ < 0) {
        throw AppError(QString::fromUtf16(msg::kEmptyDataset));
    }
}

std::size_t Dataset::Physical(int visibleRow) const {
    const auto row = static_cast<std::size_t>(visibleRow);
    return visible_ ? (*visible_)[row] : row;
}

int Dataset::RecordCount() const {
    if (state_ == State::Inactive) {
        return 0;
    }
    return static_cast<int>(visible_ ? visible_->size() : rowCount_);
}

void Dataset::SetCursor(int visibleRow) {
    cursor_ = visibleRow;
    if (controlsDisabled_ == 0) {
        emit CursorMoved(visibleRow);
    }
}

void Dataset::First() {
    CheckActive();
    CheckBrowseMode();
    const int count = RecordCount();
    eof_ = count == 0;
    SetCursor(count > 0 ? 0 : -1);
}

void Dataset::Last() {
    CheckActive();
    CheckBrowseMode();
    const int count = RecordCount();
    eof_ = count == 0;
    SetCursor(count - 1);
}

void Dataset::Next() {
    CheckActive();
    CheckBrowseMode();
    if (cursor_ + 1 < RecordCount()) {
        eof_ = false;
        SetCursor(cursor_ + 1);
    } else {
        eof_ = true;
    }
}

void Dataset::Prior() {
    CheckActive();
    CheckBrowseMode();
    if (cursor_ > 0) {
        SetCursor(cursor_ - 1);
    }
    eof_ = RecordCount() == 0;
}

void Dataset::MoveTo(int visibleRow) {
    CheckActive();
    if (visibleRow < 0 || visibleRow >= RecordCount() || visibleRow == cursor_) {
        return;
    }
    CheckBrowseMode();
    eof_ = false;
    SetCursor(visibleRow);
}

void Dataset::Append() {
    CheckActive();
    CheckBrowseMode();
    const int row = RecordCount();
    if (controlsDisabled_ == 0) {
        emit RowAboutToBeInserted(row);
    }
    for (ColumnData& column : columns_) {
        column.Append({});
    }
    ValuesChanged();
    if (visible_) {
        visible_->push_back(static_cast<std::uint32_t>(rowCount_));
    }
    ++rowCount_;
    state_ = State::Insert;
    eof_ = false;
    if (controlsDisabled_ == 0) {
        emit RowInserted(row);
    }
    SetCursor(row);
}

void Dataset::Edit() {
    CheckActive();
    if (state_ == State::Edit || state_ == State::Insert) {
        return;
    }
    if (IsEmpty()) {
        Append();
        return;
    }
    const std::size_t row = Physical(cursor_);
    editBackup_.clear();
    for (const ColumnData& column : columns_) {
        editBackup_.push_back(column.cells[row]);
    }
    state_ = State::Edit;
}

void Dataset::Post() {
    if (state_ != State::Edit && state_ != State::Insert) {
        return;
    }
    const std::size_t row = Physical(cursor_);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].def.required && columns_[i].IsNull(row)) {
            throw MakeError(msg::kFieldMustHaveValue, fields_[i].displayLabel);
        }
    }
    state_ = State::Browse;
    editBackup_.clear();
    if (controlsDisabled_ == 0) {
        emit RowChanged(cursor_);
    }
}

void Dataset::Cancel() {
    if (state_ == State::Edit) {
        const std::size_t row = Physical(cursor_);
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            columns_[i].cells[row] = editBackup_[i];
        }
        ValuesChanged();
        editBackup_.clear();
        state_ = State::Browse;
        if (controlsDisabled_ == 0) {
            emit RowChanged(cursor_);
        }
    } else if (state_ == State::Insert) {
        state_ = State::Browse;
        RemoveCurrentRow();
    }
}

void Dataset::Delete() {
    CheckActive();
    CheckBrowseMode();
    if (IsEmpty()) {
        throw AppError(QString::fromUtf16(msg::kEmptyDataset));
    }
    RemoveCurrentRow();
}

void Dataset::EmptyDataSet() {
    CheckActive();
    CheckBrowseMode();
    ResetWith([this] {
        if (!visible_) {
            for (ColumnData& column : columns_) {
                column.cells.clear();
                column.arena.clear();
            }
            rowCount_ = 0;
        } else {
            // Keep the rows the filter hides, in their order.
            std::vector<bool> drop(rowCount_, false);
            for (const std::uint32_t p : *visible_) {
                drop[p] = true;
            }
            for (ColumnData& column : columns_) {
                std::size_t kept = 0;
                for (std::size_t r = 0; r < column.cells.size(); ++r) {
                    if (!drop[r]) {
                        column.cells[kept++] = column.cells[r];
                    }
                }
                column.cells.resize(kept);
            }
            rowCount_ -= visible_->size();
            visible_->clear();
        }
        ValuesChanged();
        cursor_ = -1;
        eof_ = true;
    });
    if (controlsDisabled_ == 0) {
        emit CursorMoved(cursor_);
    }
}

void Dataset::RemoveCurrentRow() {
    const int row = cursor_;
    const std::size_t physical = Physical(row);
    if (controlsDisabled_ == 0) {
        emit RowAboutToBeRemoved(row);
    }
    for (ColumnData& column : columns_) {
        column.Erase(physical);
    }
    ValuesChanged();
    --rowCount_;
    if (visible_) {
        visible_->erase(visible_->begin() + row);
        for (std::uint32_t& p : *visible_) {
            if (p > physical) {
                --p;
            }
        }
    }
    if (controlsDisabled_ == 0) {
        emit RowRemoved(row);
    }
    const int count = RecordCount();
    eof_ = count == 0;
    // The next row becomes current, or the last one when the removed row was the last.
    SetCursor(std::min(row, count - 1));
}

void Dataset::DropRowsAfter(int count) {
    if (state_ == State::Edit || state_ == State::Insert) {
        Cancel();
    }
    while (RecordCount() > count) {
        Last();
        Delete();
    }
}

void Dataset::CheckBrowseMode() {
    if (state_ == State::Edit || state_ == State::Insert) {
        Post();
    }
}

Field Dataset::FieldByName(const QString& name) {
    if (auto field = FindField(name)) {
        return *field;
    }
    throw MakeError(msg::kFieldNotFound, name);
}

std::optional<Field> Dataset::FindField(const QString& name) {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].def.name.compare(name, Qt::CaseInsensitive) == 0) {
            return Field(this, static_cast<int>(i));
        }
    }
    return std::nullopt;
}

Field Dataset::Fields(int index) {
    if (index < 0 || index >= FieldCount()) {
        throw MakeError(msg::kListIndexOutOfBounds, QString::number(index));
    }
    return Field(this, index);
}

void Dataset::SetFilterText(const QString& text) {
    if (text == filterText_) {
        return;
    }
    filterText_ = text;
    if (Active() && filtered_) {
        Refilter();
    }
}

void Dataset::SetFiltered(bool on) {
    if (on == filtered_) {
        return;
    }
    filtered_ = on;
    if (Active()) {
        Refilter();
    }
}

void Dataset::SetInitials(const Initials* initials) {
    if (initials == initials_) {
        return;
    }
    initials_ = initials;
    initialsIndex_.clear();
    if (Active() && filtered_) {
        Refilter();
    }
}

void Dataset::PrepareInitials(int field) {
    if (initials_ != nullptr && field >= 0 && field < FieldCount()) {
        SearchByInitials(initials_, columns_, initialsIndex_)(static_cast<std::size_t>(field),
                                                              QStringView());
    }
}

void Dataset::Refilter() {
    CheckBrowseMode();
    std::optional<std::vector<std::uint32_t>> visible;
    if (filtered_ && !filterText_.isEmpty()) {
        QStringList names;
        for (const FieldInfo& f : fields_) {
            names.append(f.def.name);
        }
        visible = SelectRows(filterText_, names, columns_,
                             SearchByInitials(initials_, columns_, initialsIndex_));
    }
    ResetWith([&] {
        visible_ = std::move(visible);
        const int count = RecordCount();
        cursor_ = count > 0 ? 0 : -1;
        eof_ = count == 0;
    });
    if (controlsDisabled_ == 0) {
        emit CursorMoved(cursor_);
    }
}

QByteArrayView Dataset::Bytes(int visibleRow, int field) const {
    return columns_[static_cast<std::size_t>(field)].Value(Physical(visibleRow));
}

QString Dataset::Text(int visibleRow, int field) const {
    return ansi::Decode(Bytes(visibleRow, field));
}

QStringList Dataset::RowTexts(int visibleRow) const {
    QStringList texts;
    texts.reserve(FieldCount());
    for (int f = 0; f < FieldCount(); ++f) {
        texts.append(Text(visibleRow, f));
    }
    return texts;
}

QString Dataset::DisplayLabel(int field) const {
    return fields_[static_cast<std::size_t>(field)].displayLabel;
}

void Dataset::SetDisplayLabel(int field, const QString& label) {
    // Titles are set again after every added row; only a real change reaches the views.
    QString& current = fields_[static_cast<std::size_t>(field)].displayLabel;
    if (current == label) {
        return;
    }
    current = label;
    emit FieldsChanged();
}

void Dataset::SetReadOnly(int field, bool readOnly) {
    fields_[static_cast<std::size_t>(field)].readOnly = readOnly;
    emit FieldsChanged();
}

bool Dataset::CurrentIsNull(int field) const {
    CheckActive();
    if (cursor_ < 0) {
        return true;
    }
    return columns_[static_cast<std::size_t>(field)].IsNull(Physical(cursor_));
}

QString Dataset::CurrentText(int field) const {
    CheckActive();
    if (cursor_ < 0) {
        return {};
    }
    return Text(cursor_, field);
}

void Dataset::SetCurrentText(int field, const QString& text) {
    CheckActive();
    if (state_ != State::Edit && state_ != State::Insert) {
        throw AppError(QString::fromUtf16(msg::kNotEditing));
    }
    const FieldInfo& info = fields_[static_cast<std::size_t>(field)];
    if (info.readOnly) {
        throw MakeError(msg::kFieldReadOnly, info.displayLabel);
    }
    const QByteArray bytes = ansi::Encode(text);
    // A value is stored whole or refused: a cut name or account pays someone else, so a check
    // missed before the table can never turn into a silent cut here.
    if (info.def.size > 0 && bytes.size() > info.def.size) {
        throw AppError(QString::fromUtf16(msg::kValueTooLong)
                           .arg(info.displayLabel.isEmpty() ? info.def.name : info.displayLabel)
                           .arg(info.def.size)
                           .arg(convert::Excerpt(text)));
    }
    columns_[static_cast<std::size_t>(field)].Set(Physical(cursor_), bytes);
    ValuesChanged();
    if (controlsDisabled_ == 0) {
        emit RowChanged(cursor_);
    }
}
