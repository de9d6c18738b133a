// The in-memory table: string fields with sizes in bytes and required flags, rows, one cursor,
// the browse/edit/insert states with the implicit post, filtering and loading from a packet.
#pragma once

#include "platform/dataset/columndata.h"

#include <QIODevice>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class Dataset;
class Initials;
class InitialsIndex;

// A handle on one field of a table; valid while the table keeps its fields.
class Field {
public:
    Field(Dataset* dataset, int index) : dataset_(dataset), index_(index) {}
    int Index() const { return index_; }
    QString FieldName() const;
    QString DisplayLabel() const;
    void SetDisplayLabel(const QString& label);
    int Size() const;
    bool Required() const;
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    bool IsNull() const;
    QString AsString() const;
    void SetAsString(const QString& text);
    std::int64_t AsCurrency() const;  // ten-thousandths

private:
    Dataset* dataset_;
    int index_;
};

class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(QObject* parent = nullptr);

    // Definitions and creation.
    void ClearFieldDefs();
    void AddFieldDef(const QString& name, bool required, int size);
    void CreateDataSet();
    void Close();
    bool Active() const { return state_ != State::Inactive; }
    State GetState() const { return state_; }

    // Replaces the whole table with the packet read from the device's position to its end.
    void LoadFromStream(QIODevice& device);

    // Cursor over the visible rows.
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const { return eof_; }
    int RecordCount() const;
    bool IsEmpty() const { return RecordCount() == 0; }
    int RecNo() const { return cursor_; }  // 0-based visible row, -1 when there is none
    void MoveTo(int visibleRow);

    // Row operations.
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // Removes every visible row (all rows when no filter is in force) in one pass, as a Delete
    // of each would; the views read the table anew once.
    void EmptyDataSet();
    // Posts a pending edit or append, if there is one.
    void CheckBrowseMode();
    // Cancels a pending edit or append and removes the rows beyond the first `count`: undoes
    // a run of appends that is all or nothing.
    void DropRowsAfter(int count);

    // While disabled (calls nest), the views are not told of row and cursor changes one by
    // one; enabling them again has them read the table anew. For long runs of changes such as
    // an import, which would otherwise relayout the views after every row.
    void DisableControls();
    void EnableControls();

    // Fields.
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    Field FieldByName(const QString& name);
    std::optional<Field> FindField(const QString& name);
    Field Fields(int index);

    // Filtering.
    void SetFilterText(const QString& text);
    QString FilterText() const { return filterText_; }
    void SetFiltered(bool on);
    bool Filtered() const { return filtered_; }
    // Pinyin initials in filters: with a table, "FIELD LIKE '%t%'" whose t is only Latin
    // letters also passes the rows whose value's initials spell t (filter.h). Without one, the
    // default, a filter matches the text only. The table must outlive its use here.
    void SetInitials(const Initials* initials);
    // Builds the initials index of a field now rather than at the first search by initials,
    // which then takes no longer than any other; nothing without a table or when it is built.
    void PrepareInitials(int field);

    // Direct reads for views: visible row, field index.
    QString Text(int visibleRow, int field) const;
    // Every field's text of a visible row, in field order.
    QStringList RowTexts(int visibleRow) const;
    QByteArrayView Bytes(int visibleRow, int field) const;

    // Field metadata used by Field.
    const FieldDef& Def(int field) const { return fields_[static_cast<std::size_t>(field)].def; }
    QString DisplayLabel(int field) const;
    void SetDisplayLabel(int field, const QString& label);
    bool ReadOnly(int field) const { return fields_[static_cast<std::size_t>(field)].readOnly; }
    void SetReadOnly(int field, bool readOnly);

    // Current row values, used by Field.
    bool CurrentIsNull(int field) const;
    QString CurrentText(int field) const;
    void SetCurrentText(int field, const QString& text);

signals:
    // Fields, rows or filter changed as a whole.
    void AboutToReset();
    void Reset();
    void RowAboutToBeInserted(int visibleRow);
    void RowAboutToBeRemoved(int visibleRow);
    void FieldsChanged();
    void RowInserted(int visibleRow);
    void RowRemoved(int visibleRow);
    void RowChanged(int visibleRow);
    void CursorMoved(int visibleRow);

private:
    struct FieldInfo {
        FieldDef def;
        QString displayLabel;
        bool readOnly = false;
    };

    void CheckActive() const;
    void RequireCurrent() const;
    std::size_t Physical(int visibleRow) const;
    void Refilter();
    // Drops what was derived from the values: every change of a value calls it.
    void ValuesChanged() { initialsIndex_.clear(); }
    void RemoveCurrentRow();
    void SetCursor(int visibleRow);
    template <typename Change>
    void ResetWith(Change change);

    std::vector<FieldDef> fieldDefs_;
    std::vector<FieldInfo> fields_;
    std::vector<ColumnData> columns_;
    std::size_t rowCount_ = 0;

    State state_ = State::Inactive;
    int cursor_ = -1;
    bool eof_ = true;
    // Values of the row before an edit began, to restore on cancel.
    std::vector<ColumnData::Cell> editBackup_;

    QString filterText_;
    bool filtered_ = false;
    std::optional<std::vector<std::uint32_t>> visible_;  // physical rows when filtered
    const Initials* initials_ = nullptr;
    // The initials index of each column, built at its first search by initials.
    std::vector<std::shared_ptr<const InitialsIndex>> initialsIndex_;
    int controlsDisabled_ = 0;
};

// Disables a table's controls for the life of the object.
class ControlsDisabled {
public:
    explicit ControlsDisabled(Dataset& dataset) : dataset_(dataset) { dataset_.DisableControls(); }
    ~ControlsDisabled() { dataset_.EnableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    Dataset& dataset_;
};

// The link between a table and the grids that show it.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr) : QObject(parent) {}
    Dataset* GetDataSet() const { return dataset_; }
    void SetDataSet(Dataset* dataset) {
        dataset_ = dataset;
        emit DataSetChanged();
    }

signals:
    void DataSetChanged();

private:
    Dataset* dataset_ = nullptr;
};
