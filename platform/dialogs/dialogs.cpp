#include "platform/dialogs/dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "platform/text/programpath.h"

QString Dialogs::ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') {
        return message + u'.';
    }
    return message;
}

QString Dialogs::ApplicationTitle() {
    const QString path = StartedProgramPath();
    if (path.isEmpty()) {
        return QCoreApplication::applicationName();
    }
    return QFileInfo(path).completeBaseName();
}
