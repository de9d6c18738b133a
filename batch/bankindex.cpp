#include "batch/bankindex.h"

#include <QFile>

#include <algorithm>

#include "platform/dataset/packet.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"

BankIndex::BankIndex(QString resource) : resource_(std::move(resource)) {}

void BankIndex::Load() {
    QFile file(resource_);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AppError(QStringLiteral("无法打开银行数据：%1").arg(resource_));
    }
    PacketTable table = ReadPacket(file.readAll());
    int codeColumn = -1;
    int nameColumn = -1;
    for (std::size_t i = 0; i < table.fields.size(); ++i) {
        if (table.fields[i].name == u"BANKCODE") {
            codeColumn = static_cast<int>(i);
        } else if (table.fields[i].name == u"LNAME") {
            nameColumn = static_cast<int>(i);
        }
    }
    if (codeColumn < 0 || nameColumn < 0) {
        throw AppError(QStringLiteral("银行数据中没有行号和行名：%1").arg(resource_));
    }
    // The views point into the two arenas, which are kept unchanged from here on.
    ColumnData& codes = table.columns[static_cast<std::size_t>(codeColumn)];
    ColumnData& names = table.columns[static_cast<std::size_t>(nameColumn)];
    codes_ = std::move(codes.arena);
    names_ = std::move(names.arena);
    byName_.reserve(static_cast<qsizetype>(names.RowCount()));
    byCode_.reserve(static_cast<qsizetype>(names.RowCount()));
    for (std::size_t row = 0; row < names.RowCount(); ++row) {
        const ColumnData::Cell n = names.cells[row];
        const ColumnData::Cell c = codes.cells[row];
        if (n.length <= 0) {
            continue;
        }
        const QByteArrayView name(names_.constData() + n.offset, n.length);
        byName_.insert(name, c.length > 0 ? QByteArrayView(codes_.constData() + c.offset, c.length)
                                          : QByteArrayView());
        if (c.length > 0) {
            byCode_.insert(QByteArrayView(codes_.constData() + c.offset, c.length), name);
        }
    }
    loaded_ = true;
}

namespace {

// The values of a key, in the directory's order (the hash gives them last-inserted first).
QStringList Find(const QMultiHash<QByteArrayView, QByteArrayView>& hash, const QString& text) {
    const QByteArray key = ansi::Encode(text);
    QStringList found;
    for (auto it = hash.constFind(QByteArrayView(key));
         it != hash.cend() && it.key() == QByteArrayView(key); ++it) {
        found.append(ansi::Decode(it.value()));
    }
    std::reverse(found.begin(), found.end());
    return found;
}

}  // namespace

QStringList BankIndex::Codes(const QString& name) {
    if (!loaded_) {
        Load();
    }
    return Find(byName_, name);
}

QStringList BankIndex::Names(const QString& code) {
    if (!loaded_) {
        Load();
    }
    return Find(byCode_, code);
}
