#include "platform/dataset/rowmarks.h"

#include <algorithm>

#include "platform/dataset/dataset.h"

RowMarks::RowMarks(Dataset& table, QObject* parent) : QObject(parent), table_(table) {
    connect(&table_, &Dataset::RowInserted, this, &RowMarks::Inserted);
    connect(&table_, &Dataset::RowRemoved, this, &RowMarks::Removed);
    connect(&table_, &Dataset::RowChanged, this, &RowMarks::Changed);
    connect(&table_, &Dataset::Reset, this, &RowMarks::Reset);
}

void RowMarks::MarkAll() {
    Reset();
    std::fill(marks_.begin(), marks_.end(), true);
}

int RowMarks::Unmarked() const {
    const int rows = table_.Active() ? table_.RecordCount() : 0;
    int marked = 0;
    for (int r = 0; r < rows && r < marks_.size(); ++r) {
        marked += marks_[r] ? 1 : 0;
    }
    return rows - marked;
}

void RowMarks::Restore(const QList<bool>& marks) {
    Reset();
    const qsizetype first = marks_.size() - marks.size();
    for (qsizetype i = 0; i < marks.size() && first + i >= 0; ++i) {
        marks_[first + i] = marks[i];
    }
}

void RowMarks::Inserted(int row) {
    if (row < 0 || row > marks_.size()) {
        Reset();
        return;
    }
    marks_.insert(row, false);
}

void RowMarks::Removed(int row) {
    if (row < 0 || row >= marks_.size()) {
        Reset();
        return;
    }
    marks_.removeAt(row);
}

void RowMarks::Changed(int row) {
    // A row changed after its file was written is not in any file as it stands.
    if (row >= 0 && row < marks_.size()) {
        marks_[row] = false;
    }
}

void RowMarks::Reset() {
    // A table rebuilt as a whole: rows beyond those known were added now, those missing went
    // from the end.
    const int count = table_.Active() ? table_.RecordCount() : 0;
    while (marks_.size() < count) {
        marks_.append(false);
    }
    marks_.resize(count);
}
