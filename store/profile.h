// Profile (INI) files as Windows reads and writes them: sections and keys are matched without
// regard to letter case, a write changes only its own line and keeps every other line as it
// is, and creates the file, the section or the key when missing.
#pragma once

#include <QString>

namespace profile {

// The longest value a read returns, in characters.
inline constexpr int kMaxValue = 2047;

// Never fails: a missing file, section or key yields the default.
QString ReadString(const QString& path, const QString& section, const QString& key,
                   const QString& defaultValue);
// Fails with "Unable to write to %s" when the file cannot be written.
void WriteString(const QString& path, const QString& section, const QString& key,
                 const QString& value);

}  // namespace profile
