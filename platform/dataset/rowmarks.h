// One mark per row of a table that follows the table's inserts, removals and resets: a row
// gains it when marked and loses it when the row changes. Used for the rows already written
// to an upload file, so that only the rows not yet written are asked about and kept for
// recovery. Meant for tables without a filter: rows are followed by their place in the table.
#pragma once

#include <QList>
#include <QObject>

class Dataset;

class RowMarks : public QObject {
    Q_OBJECT
public:
    explicit RowMarks(Dataset& table, QObject* parent = nullptr);

    // Marks every row in the table now.
    void MarkAll();
    bool Marked(int row) const { return row >= 0 && row < marks_.size() && marks_[row]; }
    // The rows of the table without the mark.
    int Unmarked() const;
    // For the recovery file: each row's mark, and the last marks.size() rows taking them back.
    QList<bool> Marks() const { return marks_; }
    void Restore(const QList<bool>& marks);

private:
    void Inserted(int row);
    void Removed(int row);
    void Changed(int row);
    void Reset();

    Dataset& table_;
    QList<bool> marks_;
};
