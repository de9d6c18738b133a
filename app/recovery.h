// The recovery file: the rows not yet written to an upload file, kept in the configuration
// folder while the user works, so that a crash, a power cut or a killed session loses at most
// the last moment of typing. The file ends with a check of everything before it: a file cut
// short or damaged is told as such and never loaded in part.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/dataset/rowmarks.h"
#include "platform/dataset/roworigins.h"
#include "platform/text/apperror.h"

class Dataset;

namespace recovery {

struct Table {
    QString name;  // "cds1" or "cds2"
    QStringList fields;
    QList<QStringList> rows;
    // The files rows were imported from, and each row's index into them (-1 keyed in); no
    // origins at all when every row was keyed in.
    QList<RowOrigins::Source> sources;
    QList<int> origins;
    // Whether each row was already written to an upload file as it stands; empty when none
    // was.
    QList<bool> exported;
    // The rows not yet written to an upload file.
    int Unexported() const;
};

struct Snapshot {
    QDateTime time;
    QList<Table> tables;
    int Rows(const QString& name) const;
    int Unexported(const QString& name) const;
};

// The imports the snapshot's rows came from, a line each after a line break, as the question
// before restoring names them; empty when every row was keyed in.
QString DescribeImports(const Snapshot& snapshot);

QByteArray Serialize(const Snapshot& snapshot);
// Nothing when the bytes are not a whole recovery file.
std::optional<Snapshot> Parse(const QByteArray& bytes);

// The rows of a table as its fields' texts, with where they came from and which are exported.
Table Capture(const QString& name, Dataset& table, const RowOrigins& origins,
              const RowMarks& exported);
// A recovery file whose fields are not the table's: the salary items changed since it was
// written.
class FieldsChanged : public AppError {
public:
    using AppError::AppError;
};

// Appends the rows to the table, field by field name, each row first passing the checks a
// typed row of that table passes (an instruction of cds1, a credit of cds2). Throws
// FieldsChanged when a field is unknown, AppError naming the row and the item when a value
// is refused; nothing is appended then.
void Fill(Dataset& table, const Table& rows);
// Fill, then the appended rows take their origins and exported marks.
void Fill(Dataset& table, const Table& rows, RowOrigins& origins, RowMarks& exported);

}  // namespace recovery
