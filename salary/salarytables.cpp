#include "salary/salarytables.h"

#include "platform/dataset/dataset.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"

namespace salary {

void CreateItemTable(Dataset& cds3) {
    cds3.ClearFieldDefs();
    cds3.AddFieldDef(QStringLiteral("seq"), true, 2);
    cds3.AddFieldDef(QStringLiteral("subject"), true, 16);
    // Wide enough for any salary field: a typed value is checked against its own field's size,
    // never cut here first.
    cds3.AddFieldDef(QStringLiteral("subjectval"), false, kItemValueSize);
    cds3.CreateDataSet();
}

bool IsRequiredPosition(qsizetype i) {
    return i == 0 || i == 2 || i == 3 || i == 5;
}

int FieldSize(qsizetype i, const QString& name) {
    if (i == 0) {
        return kNameSize;
    }
    return name.compare(u"acct", Qt::CaseInsensitive) == 0 ? payments::kMaxAccountDigits : 20;
}

std::optional<qsizetype> ItemIndex(const QStringList& itemFieldNames, const QString& name) {
    for (qsizetype i = 0; i < itemFieldNames.size(); ++i) {
        if (itemFieldNames[i].compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return std::nullopt;
}

std::int64_t RowAmount(Dataset& cds2) {
    // Read as text, so that a field without value fails like any other text that is no number.
    return convert::TextToCurrency(cds2.FieldByName(QStringLiteral("finalincome")).AsString());
}

void AppendRow(Dataset& cds2, const FieldValues& values) {
    cds2.Append();
    try {
        for (int i = 0; i < cds2.FieldCount(); ++i) {
            cds2.Fields(i).SetAsString(QStringLiteral("NULL"));
        }
        for (const auto& [name, value] : values) {
            cds2.FieldByName(name).SetAsString(value);
        }
        cds2.Post();
    } catch (...) {
        cds2.Cancel();
        throw;
    }
}

}  // namespace salary
