// Where the configuration files lie: the executable's directory, and in it the relative
// names such as "config\owner.ini".
#pragma once

#include <QString>

namespace cfg {
inline constexpr char16_t kOwner[] = u"config\\owner.ini";
inline constexpr char16_t kRecvers[] = u"config\\recvers.ini";
inline constexpr char16_t kSalary[] = u"config\\salary.ini";
inline constexpr char16_t kSalaryMap[] = u"config\\salarymap.ini";
inline constexpr char16_t kCross[] = u"config\\cross.fr3";
}  // namespace cfg

// The directory of the program as it was started (see StartedProgramPath), ending in one
// native separator.
QString AppDirectory();

// A base directory and the full native paths of relative names inside it. The program uses
// AppDirectory(); tests use a directory of their own.
class ConfigDir {
public:
    explicit ConfigDir(QString base);
    const QString& Base() const { return base_; }
    // The relative name with "\" as written in the program, joined to the base with the
    // platform's separator.
    QString Path(const QString& relativeName) const;

private:
    QString base_;  // ends with a native separator
};
