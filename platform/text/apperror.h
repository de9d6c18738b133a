// The one exception type of the program: it carries the exact text the user sees.
#pragma once

#include <QString>
#include <exception>
#include <optional>

class AppError : public std::exception {
public:
    explicit AppError(QString message) : message_(std::move(message)) {}
    const QString& Message() const { return message_; }
    const char* what() const noexcept override;

private:
    QString message_;
    mutable QByteArray utf8_;
};

// The runtime's message texts; %1 stands for the name, path or number each one reports.
namespace msg {
inline constexpr char16_t kCannotOpenFile[] = u"Cannot open file %1";
inline constexpr char16_t kCannotCreateFile[] = u"Cannot create file %1";
inline constexpr char16_t kUnableToWrite[] = u"Unable to write to %1";
inline constexpr char16_t kNotValidFloat[] = u"'%1' is not a valid floating point value";
inline constexpr char16_t kFieldMustHaveValue[] = u"Field '%1' must have a value";
inline constexpr char16_t kFieldNotFound[] = u"Field '%1' not found";
inline constexpr char16_t kEmptyDataset[] = u"Cannot perform this operation on an empty dataset";
inline constexpr char16_t kNoFieldsDefined[] = u"No fields defined.  Cannot create dataset";
inline constexpr char16_t kComponentExists[] = u"A component named %1 already exists";
inline constexpr char16_t kListIndexOutOfBounds[] = u"List index out of bounds (%1)";
inline constexpr char16_t kDatasetNotOpen[] = u"Cannot perform this operation on a closed dataset";
inline constexpr char16_t kNotEditing[] = u"Dataset not in edit or insert mode";
inline constexpr char16_t kFieldReadOnly[] = u"Field '%1' cannot be modified";
// A value longer than its field is refused, never cut: the item, its size in bytes and the
// start of the value.
inline constexpr char16_t kValueTooLong[] = u"“%1”超过%2字节，不能截断：“%3”";
}  // namespace msg

// Builds an AppError from one of the texts above.
AppError MakeError(const char16_t* pattern, const QString& arg);

// The field named by a "Field '…' must have a value" message; nothing for any other message.
std::optional<QString> EmptyFieldName(const QString& message);

// The system's reason for a failed file operation: an errno value, or on Windows a
// GetLastError() code (its file calls set no errno). A file operation that fails clears nothing,
// so a caller that explains a failure clears both first (ClearSystemError) and takes the reason
// right after the failure (SystemError::Last).
struct SystemError {
    enum class Kind { None, Errno, Windows };
    Kind kind = Kind::None;
    unsigned long code = 0;

    // The reason the last failed call of this thread left; None when it left none.
    static SystemError Last();
    // Makes this the thread's last reason again, so that it outlives the clean-up after a
    // failure (closing and removing files set reasons of their own).
    void Restore() const;
    // A full disk or an exhausted quota.
    bool DiskFull() const;
    // A short Chinese text ("磁盘空间不足", "没有权限", …) for the common reasons, the system's
    // own text for any other; empty for None. The system's texts are English on most systems,
    // and would stand out in the Chinese messages they end up in.
    QString Text() const;
};
void ClearSystemError();
