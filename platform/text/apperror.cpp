#include "platform/text/apperror.h"

const char* AppError::what() const noexcept {
    if (utf8_.isEmpty()) {
        utf8_ = message_.toUtf8();
    }
    return utf8_.constData();
}

AppError MakeError(const char16_t* pattern, const QString& arg) {
    return AppError(QString::fromUtf16(pattern).arg(arg));
}

std::optional<QString> EmptyFieldName(const QString& message) {
    const QString pattern = QString::fromUtf16(msg::kFieldMustHaveValue);
    const qsizetype at = pattern.indexOf(QStringLiteral("%1"));
    const QString before = pattern.left(at);
    const QString after = pattern.mid(at + 2);
    if (message.size() <= before.size() + after.size() || !message.startsWith(before) ||
        !message.endsWith(after)) {
        return std::nullopt;
    }
    return message.mid(before.size(), message.size() - before.size() - after.size());
}
