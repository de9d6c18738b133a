#include "payments/batchmapping.h"

#include "store/profile.h"

namespace payments::batchmap {

QString ColumnKey(int field) {
    return InstructionFieldName(field);
}

Mapping LoadMapping(const QString& iniPath) {
    const QString section = QString::fromUtf16(kSection);
    Mapping m;
    for (int f = 0; f < kInstructionFieldCount; ++f) {
        m.columns[f] = profile::ReadString(iniPath, section, ColumnKey(f), QString());
    }
    m.startRow = profile::ReadString(iniPath, section, QStringLiteral("startrow"), m.startRow);
    m.cpflag = profile::ReadString(iniPath, section, QStringLiteral("defcpflag"), m.cpflag);
    m.remittype =
        profile::ReadString(iniPath, section, QStringLiteral("defremittype"), m.remittype);
    m.use = profile::ReadString(iniPath, section, QStringLiteral("defuse"), m.use);
    return m;
}

void SaveMapping(const QString& iniPath, const Mapping& m) {
    const QString section = QString::fromUtf16(kSection);
    for (int f = 0; f < kInstructionFieldCount; ++f) {
        profile::WriteString(iniPath, section, ColumnKey(f), m.columns[f]);
    }
    profile::WriteString(iniPath, section, QStringLiteral("startrow"), m.startRow);
    profile::WriteString(iniPath, section, QStringLiteral("defcpflag"), m.cpflag);
    profile::WriteString(iniPath, section, QStringLiteral("defremittype"), m.remittype);
    profile::WriteString(iniPath, section, QStringLiteral("defuse"), m.use);
}

}  // namespace payments::batchmap
