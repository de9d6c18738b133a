#include "platform/dialogs/dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>

QString Dialogs::ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') {
        return message + u'.';
    }
    return message;
}

QString Dialogs::ApplicationTitle() {
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty()) {
        return QCoreApplication::applicationName();
    }
    return QFileInfo(path).completeBaseName();
}
