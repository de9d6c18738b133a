#include "lookup/formparts.h"

#include <QFile>

#include "platform/text/apperror.h"
#include "platform/text/initials.h"

namespace formparts {

namespace {

Initials ReadEmbeddedInitials() {
    QFile file(QStringLiteral(":/INITIALS"));
    if (!file.open(QIODevice::ReadOnly)) {
        throw AppError(QStringLiteral("无法打开拼音首字母表：%1").arg(file.fileName()));
    }
    return Initials::Parse(file.readAll());
}

}  // namespace

const Initials& EmbeddedInitials() {
    static const Initials table = ReadEmbeddedInitials();
    return table;
}

}  // namespace formparts
