#include "platform/dataset/roworigins.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

#include "platform/dataset/dataset.h"

RowOrigins::RowOrigins(Dataset& table, QObject* parent) : QObject(parent), table_(table) {
    connect(&table_, &Dataset::RowInserted, this, &RowOrigins::Inserted);
    connect(&table_, &Dataset::RowRemoved, this, &RowOrigins::Removed);
    connect(&table_, &Dataset::Reset, this, &RowOrigins::Reset);
}

RowOrigins::Source RowOrigins::FromBytes(const QString& path, const QByteArray& bytes) {
    return {QFileInfo(path).fileName(),
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(),
            QDateTime::currentDateTime()};
}

RowOrigins::Scope::Scope(RowOrigins& origins, const Source& source) : origins_(origins) {
    origins_.sources_.append(source);
    origins_.current_ = static_cast<int>(origins_.sources_.size() - 1);
}

RowOrigins::Scope::~Scope() {
    origins_.current_ = -1;
}

void RowOrigins::Inserted(int row) {
    if (row < 0 || row > rows_.size()) {
        Reset();
        return;
    }
    rows_.insert(row, current_);
}

void RowOrigins::Removed(int row) {
    if (row < 0 || row >= rows_.size()) {
        Reset();
        return;
    }
    rows_.removeAt(row);
}

void RowOrigins::Reset() {
    // A table rebuilt as a whole (an import adds its rows quietly, then resets the views):
    // rows beyond those known were added now, those missing went from the end.
    const int count = table_.Active() ? table_.RecordCount() : 0;
    if (count == 0) {
        rows_.clear();
        if (current_ < 0) {
            sources_.clear();
        }
        return;
    }
    while (rows_.size() < count) {
        rows_.append(current_);
    }
    rows_.resize(count);
}

int RowOrigins::RowsFrom(const QByteArray& sha256, Source* latest) const {
    int count = 0;
    int newest = -1;
    for (const int s : rows_) {
        if (s >= 0 && sources_[s].sha256 == sha256) {
            ++count;
            newest = std::max(newest, s);
        }
    }
    if (latest != nullptr && newest >= 0) {
        *latest = sources_[newest];
    }
    return count;
}

QString RowOrigins::SameFileNotice(const Source& source, const QString& rows) const {
    Source earlier;
    const int count = RowsFrom(source.sha256, &earlier);
    if (count == 0) {
        return QString();
    }
    return QStringLiteral(
               "\n\n注意：表中已有 %1 笔%2来自内容相同的文件“%3”（%4 导入），"
               "再追加会重复付款；如是重新导入，请选择“替换”。")
        .arg(count)
        .arg(rows, earlier.name, earlier.time.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

QList<RowOrigins::Source> RowOrigins::Sources() const {
    QList<Source> used;
    QHash<int, int> index;
    for (const int s : rows_) {
        if (s >= 0 && !index.contains(s)) {
            index.insert(s, static_cast<int>(used.size()));
            used.append(sources_[s]);
        }
    }
    return used;
}

QList<int> RowOrigins::Rows() const {
    // Indexes into Sources(): the imports numbered in the order their first row appears.
    QHash<int, int> index;
    QList<int> rows;
    rows.reserve(rows_.size());
    for (const int s : rows_) {
        if (s < 0) {
            rows.append(-1);
            continue;
        }
        const auto it = index.constFind(s);
        if (it != index.constEnd()) {
            rows.append(*it);
        } else {
            const int n = static_cast<int>(index.size());
            index.insert(s, n);
            rows.append(n);
        }
    }
    return rows;
}

void RowOrigins::Restore(const QList<Source>& sources, const QList<int>& rows) {
    const int base = static_cast<int>(sources_.size());
    sources_.append(sources);
    const qsizetype from = rows_.size() - rows.size();
    for (qsizetype i = 0; i < rows.size() && from + i >= 0; ++i) {
        const int s = rows[i];
        rows_[from + i] = s >= 0 && s < sources.size() ? base + s : -1;
    }
}
