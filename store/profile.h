// Profile (INI) files as Windows reads and writes them: sections and keys are matched without
// regard to letter case, a write changes only its own line and keeps every other line as it
// is, and creates the file, the section or the key when missing.
#pragma once

#include <QString>
#include <optional>

namespace profile {

// The longest value a read returns, in characters.
inline constexpr int kMaxValue = 2047;

// Never fails: a missing file, section or key yields the default.
QString ReadString(const QString& path, const QString& section, const QString& key,
                   const QString& defaultValue);
// Fails with "Unable to write to %s" when the file cannot be written, and, before anything is
// written, with EntryProblem's reason when the entry would not read back as written.
void WriteString(const QString& path, const QString& section, const QString& key,
                 const QString& value);

// Why an entry cannot be written so that it reads back as written: a line break anywhere (it
// would start a line of its own, "[" a junk section), "=" in a key or a key starting with "[",
// "]" in a section name. Nothing when it can.
std::optional<QString> EntryProblem(const QString& section, const QString& key,
                                    const QString& value);

}  // namespace profile
