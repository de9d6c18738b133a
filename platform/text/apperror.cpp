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
