// Where the configuration files lie: the folder in use (beside the executable, in the user's data
// folder or the one named on the command line), the relative names such as "config\owner.ini"
// inside it, and the lock that keeps a second running copy off the folder.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QLockFile;

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

// A configuration folder and the full native paths of the relative names inside it. A relative
// name starting with "config\" lies in the folder; others in the base directory.
class ConfigDir {
public:
    // The folder is "config" inside base: the portable layout (base = AppDirectory()), the
    // user's data folder, or a test's own directory.
    explicit ConfigDir(QString base);
    // The folder is `folder` itself, whatever its name (chosen on the command line); the base
    // is its parent.
    static ConfigDir InFolder(const QString& folder);

    const QString& Base() const { return base_; }
    // The configuration folder, ending in one native separator.
    const QString& Folder() const { return folder_; }
    // The relative name with "\" as written in the program, joined with the platform's
    // separator.
    QString Path(const QString& relativeName) const;

private:
    ConfigDir(QString base, QString folder);
    QString base_;    // ends with a native separator
    QString folder_;  // ends with a native separator
};

// What decides where a run keeps its configuration.
struct ConfigPlaces {
    // AppDirectory(): the portable layout keeps config/ here.
    QString programDir;
    // The executable is the one the package installed: it never writes beside itself, even
    // when it could (as root), and always has the shipped sample.
    bool installed = false;
    // The sample configuration shipped with an installed copy (/usr/share/corppay/config).
    QString seedFolder;
    // The user's data folder (QStandardPaths::AppDataLocation); config/ inside it is used when
    // the folder beside the executable cannot be.
    QString userDataDir;
    // The folder given with --config; empty when none was.
    QString explicitFolder;
};

// The configuration folder of this run, locked against a second copy for as long as the object
// lives. Opening chooses the folder:
//   1. the --config folder, which must exist, be a folder and be writable;
//   2. config/ beside a portable executable when it exists and is writable, or can be created;
//   3. config/ in the user's data folder, created when missing.
// It then takes the folder's lock and copies every file of the sample that the folder lacks
// (never over an existing file): the shipped sample for an installed copy, the sample kept in
// the program for a portable one (never another folder, which may be a company's live files). A
// failure throws AppError with the message for the user, naming the path; a refused choice or lock
// leaves every file as it was.
class OpenConfig {
public:
    explicit OpenConfig(const ConfigPlaces& places);
    ~OpenConfig();
    OpenConfig(const OpenConfig&) = delete;
    OpenConfig& operator=(const OpenConfig&) = delete;

    const ConfigDir& Dir() const { return dir_; }
    // The folder as shown to the user: native separators, no trailing separator.
    QString ShownFolder() const;
    // The names of the sample files copied in at this opening.
    const QStringList& Seeded() const { return seeded_; }
    // What was cleared in place of a lock at this opening (a stale or broken lock file, an
    // empty folder of its name), as a sentence for the status bar; empty when nothing was.
    const QString& ClearedLock() const { return cleared_; }

    // The name of the lock file inside the folder.
    static QString LockFileName();

private:
    ConfigDir dir_;
    std::unique_ptr<QLockFile> lock_;
    QStringList seeded_;
    QString cleared_;
};
