// Which column of a company's spreadsheet feeds which instruction field, kept in the
// configuration ("config\salarymap.ini", section "batchmap"): a column letter per field (empty
// where sheets lack the field), the first data row, and the values of the fields a sheet
// lacks. The batch import reads it and the parameter page edits it.
#pragma once

#include <QString>
#include <array>

#include "payments/instruction.h"

namespace payments::batchmap {

struct Mapping {
    std::array<QString, kInstructionFieldCount> columns;
    QString startRow = QStringLiteral("2");
    QString cpflag = QStringLiteral("公司");
    QString remittype = QStringLiteral("普通");
    QString use = QStringLiteral("其他合法款项");
};
inline constexpr char16_t kSection[] = u"batchmap";
// The key of each field's column letter in the section: the field's name.
QString ColumnKey(int field);
Mapping LoadMapping(const QString& iniPath);
void SaveMapping(const QString& iniPath, const Mapping& mapping);

}  // namespace payments::batchmap
