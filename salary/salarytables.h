// The two salary tables: the item table (one row per item of the item file) and the salary
// table (one field per item, one row per credit), the field properties that depend on an
// item's position, the lookup of an item by field name and the append of one credit.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>

#include "payments/credit.h"

class Dataset;

namespace salary {

inline constexpr int kMaxEntryRows = 1000;   // rows the entry button may bring the table to
inline constexpr int kMaxExportRows = 1000;  // rows one salary upload file may hold

// The item grid's column titles.
inline constexpr char16_t kItemTitles[] = u"序号,项目名称,项目数据";

// Clears the item table's definitions, adds seq (2), subject (16) and subjectval (255) and
// creates the table empty.
void CreateItemTable(Dataset& cds3);

// The salary field of the item in position i: required at 0, 2, 3 and 5. The first item (the
// name) holds 64 bytes, as the batch page's payee name; the account 32 digits; every other 20.
inline constexpr int kNameSize = 64;
inline constexpr int kItemValueSize = 255;
bool IsRequiredPosition(qsizetype i);
int FieldSize(qsizetype i, const QString& name);

// The position of the first item whose field name equals name as a whole, letter case ignored.
std::optional<qsizetype> ItemIndex(const QStringList& itemFieldNames, const QString& name);

// The amount of the current salary row in ten-thousandths: the text of "finalincome" read as
// currency. Fails with the conversion error for a text that is no number, "NULL" and the empty
// text (no row) included.
std::int64_t RowAmount(Dataset& cds2);

// A field name and the text it receives.
using FieldValues = QList<std::pair<QString, QString>>;

// Appends one credit: every field holds "NULL", then each named field its value, and the row
// is posted. A value longer than its field is refused by the table, never cut. On any failure the
// new row is dropped and the error passes on; the table is then as before.
void AppendRow(Dataset& cds2, const FieldValues& values);

}  // namespace salary
