// Where each row of a table came from: keyed in (no source) or an imported file, known by its
// name and the SHA-256 of its bytes. The origins follow the table's inserts, removals and
// resets, so that a file imported again while its rows are still in the table can be named
// before it is paid twice, and a table restored after a crash knows its imports again.
// Meant for tables without a filter: rows are followed by their place in the table.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

class Dataset;

class RowOrigins : public QObject {
    Q_OBJECT
public:
    struct Source {
        QString name;       // the file's name, without its folder
        QByteArray sha256;  // of the file's bytes, in hex
        QDateTime time;     // when it was imported
    };

    explicit RowOrigins(Dataset& table, QObject* parent = nullptr);

    // The source of a file about to be imported, now; nothing is read when bytes are given.
    static Source FromBytes(const QString& path, const QByteArray& bytes);

    // Rows the table gains while a scope is open come from its source.
    class Scope {
    public:
        Scope(RowOrigins& origins, const Source& source);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        RowOrigins& origins_;
    };

    // The rows still in the table that came from a file with these bytes, and the latest
    // import of them; 0 when none.
    int RowsFrom(const QByteArray& sha256, Source* latest = nullptr) const;
    // What the question before a file imported again adds: the rows of the table that came
    // from a file with the same bytes, as "rows" (指令, 工资记录); empty when there are none.
    QString SameFileNotice(const Source& source, const QString& rows) const;

    // For the recovery file: the imports with rows in the table, and each row's index into
    // them (-1 for a row keyed in).
    QList<Source> Sources() const;
    QList<int> Rows() const;
    // The last rows.size() rows of the table take these origins; used once a recovered table
    // was filled. Indexes out of range count as keyed in.
    void Restore(const QList<Source>& sources, const QList<int>& rows);

private:
    void Inserted(int row);
    void Removed(int row);
    void Reset();

    Dataset& table_;
    QList<Source> sources_;
    QList<int> rows_;
    int current_ = -1;
};
