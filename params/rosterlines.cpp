#include "params/rosterlines.h"

#include "store/record.h"

namespace params {

std::optional<qsizetype> FindLine(const QStringList& lines, const QString& account,
                                  qsizetype fieldCount) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList fields = record::Split(lines[i], record::Pipes::Replace);
        if ((fieldCount == kAnyFieldCount || fields.size() == fieldCount) &&
            record::HasField(fields, account)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<qsizetype> FirstUnwritable(const QStringList& values) {
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString& v = values[i];
        if (v.contains(u'|') || v.contains(u'\r') || v.contains(u'\n')) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace params
