#include "app/recovery.h"

#include <QCryptographicHash>
#include <algorithm>

#include "payments/credit.h"
#include "payments/instruction.h"
#include "payments/values.h"
#include "platform/dataset/dataset.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"

namespace recovery {

namespace {

constexpr char kMagic[] = "corppay-recovery\t1";

QByteArray Join(const char* tag, const QStringList& values) {
    QByteArray line(tag);
    for (const QString& v : values) {
        line += '\t' + ansi::EncodeUtf8Keeping(v).toPercentEncoding();
    }
    return line + '\n';
}

QStringList Split(const QByteArray& line) {
    QStringList values;
    const QList<QByteArray> parts = line.split('\t');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        // Bytes that are no UTF-8 are kept as such, so that the value's check refuses them
        // naming its row and item, rather than restoring a replacement character.
        values.append(ansi::DecodeUtf8Keeping(QByteArray::fromPercentEncoding(parts[i])));
    }
    return values;
}

// A table read to its end: when its rows came from files, its origins are one per row.
bool Whole(const Table& t) {
    if (t.origins.isEmpty()) {
        return t.sources.isEmpty() || t.rows.isEmpty();
    }
    return t.origins.size() == t.rows.size();
}

// Checks one restored row as a typed row of its table is checked; throws AppError naming the
// row and the item.
void CheckRow(Dataset& table, bool instructions, const QList<Field>& fields, const QStringList& row,
              qsizetype number) {
    const QString what = instructions ? QStringLiteral("批量指令") : QStringLiteral("工资记录");
    const auto refuse = [&](const QString& reason) {
        throw AppError(QStringLiteral("第%1笔%2：%3").arg(number).arg(what, reason));
    };
    if (instructions) {
        QStringList values(payments::kInstructionFieldCount);
        for (qsizetype f = 0; f < fields.size(); ++f) {
            const int index = payments::InstructionFieldIndex(fields[f].FieldName());
            if (index >= 0) {
                if (const auto refusal = payments::CheckInstructionValue(index, row[f])) {
                    refuse(*refusal);
                }
                values[index] = row[f];
            }
        }
        // Every row the program stores pays in yuan; the upload file has no field for another.
        if (values[payments::kCur] != u"CNY") {
            refuse(QStringLiteral("“%1”只能是“CNY”：“%2”")
                       .arg(payments::InstructionFieldTitle(payments::kCur),
                            convert::Excerpt(values[payments::kCur])));
        }
        const payments::Instruction in = payments::Instruction::FromRow(values);
        if (const auto refusal = payments::CheckInstruction(in)) {
            refuse(*refusal);
        }
        // Stored as a typed amount is stored, so that the upload file writes what was checked.
        if (payments::CheckAmount(in.amt).normal != in.amt) {
            refuse(QStringLiteral("金额“%1”不是两位小数的金额").arg(convert::Excerpt(in.amt)));
        }
        return;
    }
    for (qsizetype f = 0; f < fields.size(); ++f) {
        const Field& field = fields[f];
        const QString name = field.FieldName();
        const bool key = name.compare(u"name", Qt::CaseInsensitive) == 0 ||
                         name.compare(u"acct", Qt::CaseInsensitive) == 0 ||
                         name.compare(u"finalincome", Qt::CaseInsensitive) == 0;
        // Items the upload file does not write keep "NULL" when they were left empty.
        if (!key && row[f] == u"NULL") {
            continue;
        }
        std::optional<QString> reason;
        try {
            const QString stored = payments::CheckCreditValue(
                {name, table.DisplayLabel(field.Index()), field.Size()}, row[f], key);
            if (stored != row[f]) {
                reason = QStringLiteral("“%1”不是两位小数的金额：“%2”")
                             .arg(table.DisplayLabel(field.Index()), convert::Excerpt(row[f]));
            }
        } catch (const AppError& e) {
            reason = e.Message();
        }
        if (reason) {
            refuse(*reason);
        }
    }
}

}  // namespace

int Table::Unexported() const {
    return static_cast<int>(rows.size() - std::count(exported.begin(), exported.end(), true));
}

int Snapshot::Unexported(const QString& name) const {
    for (const Table& t : tables) {
        if (t.name == name) {
            return t.Unexported();
        }
    }
    return 0;
}

int Snapshot::Rows(const QString& name) const {
    for (const Table& t : tables) {
        if (t.name == name) {
            return static_cast<int>(t.rows.size());
        }
    }
    return 0;
}

QString DescribeImports(const Snapshot& snapshot) {
    QString text;
    for (const Table& t : snapshot.tables) {
        QList<int> counts(t.sources.size(), 0);
        for (const int o : t.origins) {
            if (o >= 0 && o < counts.size()) {
                ++counts[o];
            }
        }
        for (qsizetype i = 0; i < t.sources.size(); ++i) {
            if (counts[i] == 0) {
                continue;
            }
            text += QStringLiteral("\n%1 笔%2导入自“%3”（%4）")
                        .arg(counts[i])
                        .arg(t.name == u"cds1" ? QStringLiteral("批量指令")
                                               : QStringLiteral("工资记录"),
                             t.sources[i].name,
                             t.sources[i].time.toLocalTime().toString(
                                 QStringLiteral("yyyy-MM-dd HH:mm")));
        }
    }
    return text.isEmpty() ? text : QStringLiteral("\n其中：") + text;
}

QByteArray Serialize(const Snapshot& snapshot) {
    QByteArray bytes = QByteArray(kMagic) + '\t' +
                       snapshot.time.toUTC().toString(Qt::ISODateWithMs).toLatin1() + '\n';
    for (const Table& t : snapshot.tables) {
        bytes += Join("table", {t.name, QString::number(t.rows.size())});
        bytes += Join("fields", t.fields);
        for (const QStringList& row : t.rows) {
            bytes += Join("row", row);
        }
        for (const RowOrigins::Source& s : t.sources) {
            bytes += Join("source", {s.name, QString::fromLatin1(s.sha256),
                                     s.time.toUTC().toString(Qt::ISODateWithMs)});
        }
        if (!t.origins.isEmpty()) {
            QStringList origins;
            origins.reserve(t.origins.size());
            for (const int o : t.origins) {
                origins.append(QString::number(o));
            }
            bytes += Join("origins", origins);
        }
        if (t.exported.contains(true)) {
            QStringList marks;
            marks.reserve(t.exported.size());
            for (const bool e : t.exported) {
                marks.append(e ? QStringLiteral("1") : QStringLiteral("0"));
            }
            bytes += Join("exported", marks);
        }
    }
    bytes += "end\t" + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + '\n';
    return bytes;
}

std::optional<Snapshot> Parse(const QByteArray& bytes) {
    const qsizetype end = bytes.lastIndexOf("end\t");
    if (end < 0 || !bytes.endsWith('\n') ||
        bytes.mid(end + 4, bytes.size() - end - 5) !=
            QCryptographicHash::hash(bytes.left(end), QCryptographicHash::Sha256).toHex()) {
        return std::nullopt;
    }
    QList<QByteArray> lines = bytes.left(end).split('\n');
    if (lines.isEmpty() || !lines.front().startsWith(kMagic)) {
        return std::nullopt;
    }
    Snapshot snapshot;
    snapshot.time = QDateTime::fromString(
        QString::fromLatin1(lines.front().mid(qsizetype(sizeof kMagic))), Qt::ISODateWithMs);
    if (!snapshot.time.isValid()) {
        return std::nullopt;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.isEmpty()) {
            continue;
        }
        if (line.startsWith("table\t")) {
            const QStringList v = Split(line);
            // The two tables the window keeps, each at most once.
            if (v.size() != 2 || (v[0] != u"cds1" && v[0] != u"cds2") ||
                std::any_of(snapshot.tables.begin(), snapshot.tables.end(),
                            [&](const Table& t) { return t.name == v[0]; })) {
                return std::nullopt;
            }
            if (!snapshot.tables.isEmpty() && !Whole(snapshot.tables.back())) {
                return std::nullopt;
            }
            snapshot.tables.append({v[0], {}, {}, {}, {}, {}});
        } else if ((line == "fields" || line.startsWith("fields\t")) &&
                   !snapshot.tables.isEmpty() && snapshot.tables.back().fields.isEmpty()) {
            snapshot.tables.back().fields = Split(line);
        } else if (line.startsWith("row\t") && !snapshot.tables.isEmpty() &&
                   !snapshot.tables.back().fields.isEmpty()) {
            QStringList row = Split(line);
            if (row.size() != snapshot.tables.back().fields.size()) {
                return std::nullopt;
            }
            snapshot.tables.back().rows.append(std::move(row));
        } else if (line.startsWith("source\t") && !snapshot.tables.isEmpty()) {
            const QStringList v = Split(line);
            const QDateTime time = QDateTime::fromString(v.value(2), Qt::ISODateWithMs);
            if (v.size() != 3 || !time.isValid()) {
                return std::nullopt;
            }
            snapshot.tables.back().sources.append({v[0], v[1].toLatin1(), time.toLocalTime()});
        } else if (line.startsWith("origins\t") && !snapshot.tables.isEmpty() &&
                   snapshot.tables.back().origins.isEmpty()) {
            Table& t = snapshot.tables.back();
            const QStringList v = Split(line);
            if (v.size() != t.rows.size()) {
                return std::nullopt;
            }
            for (const QString& o : v) {
                bool ok = false;
                const int index = o.toInt(&ok);
                if (!ok || index < -1 || index >= t.sources.size()) {
                    return std::nullopt;
                }
                t.origins.append(index);
            }
        } else if (line.startsWith("exported\t") && !snapshot.tables.isEmpty() &&
                   snapshot.tables.back().exported.isEmpty()) {
            Table& t = snapshot.tables.back();
            const QStringList v = Split(line);
            if (v.size() != t.rows.size() || !v.contains(QStringLiteral("1"))) {
                return std::nullopt;
            }
            for (const QString& e : v) {
                if (e != u"0" && e != u"1") {
                    return std::nullopt;
                }
                t.exported.append(e == u"1");
            }
        } else {
            return std::nullopt;
        }
    }
    if (!snapshot.tables.isEmpty() && !Whole(snapshot.tables.back())) {
        return std::nullopt;
    }
    return snapshot;
}

Table Capture(const QString& name, Dataset& table, const RowOrigins& origins,
              const RowMarks& exported) {
    Table t{name, {}, {}, {}, {}, {}};
    if (!table.Active()) {
        return t;
    }
    t.sources = origins.Sources();
    if (!t.sources.isEmpty()) {
        t.origins = origins.Rows();
    }
    for (int f = 0; f < table.FieldCount(); ++f) {
        t.fields.append(table.Fields(f).FieldName());
    }
    for (int r = 0; r < table.RecordCount(); ++r) {
        t.rows.append(table.RowTexts(r));
    }
    const QList<bool> marks = exported.Marks();
    if (marks.contains(true) && marks.size() == t.rows.size()) {
        t.exported = marks;
    }
    return t;
}

void Fill(Dataset& table, const Table& rows) {
    const int before = table.RecordCount();
    try {
        QList<Field> fields;
        for (const QString& name : rows.fields) {
            const std::optional<Field> field = table.FindField(name);
            if (!field) {
                throw FieldsChanged(MakeError(msg::kFieldNotFound, name).Message());
            }
            fields.append(*field);
        }
        // Every row is checked before the first is added.
        const bool instructions = rows.name == u"cds1";
        const QString amountName =
            instructions ? QStringLiteral("amt") : QStringLiteral("finalincome");
        payments::Total total;
        for (qsizetype r = 0; r < rows.rows.size(); ++r) {
            CheckRow(table, instructions, fields, rows.rows[r], r + 1);
            for (qsizetype f = 0; f < fields.size(); ++f) {
                if (fields[f].FieldName().compare(amountName, Qt::CaseInsensitive) == 0) {
                    total.Add(payments::CheckAmount(rows.rows[r][f]).money);
                }
            }
        }
        if (total.Overflowed()) {
            throw AppError(payments::TotalTooLargeText(instructions ? QStringLiteral("批量指令")
                                                                    : QStringLiteral("工资记录")));
        }
        const ControlsDisabled quiet(table);
        for (const QStringList& row : rows.rows) {
            table.Append();
            for (qsizetype f = 0; f < fields.size(); ++f) {
                fields[f].SetAsString(row[f]);
            }
            table.Post();
        }
    } catch (const AppError&) {
        table.DropRowsAfter(before);
        throw;
    }
}

void Fill(Dataset& table, const Table& rows, RowOrigins& origins, RowMarks& exported) {
    Fill(table, rows);
    if (rows.origins.size() == rows.rows.size()) {
        origins.Restore(rows.sources, rows.origins);
    }
    if (rows.exported.size() == rows.rows.size()) {
        exported.Restore(rows.exported);
    }
}

}  // namespace recovery
