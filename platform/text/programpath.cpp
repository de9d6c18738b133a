#include "platform/text/programpath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString StartedProgramPath() {
    const QStringList arguments = QCoreApplication::arguments();
    const QString started = arguments.value(0);
    // Without a directory part the shell found the program on its search path; only the
    // running executable's own path says where.
    if (!started.contains(u'/') && !started.contains(QDir::separator())) {
        return QCoreApplication::applicationFilePath();
    }
    return QDir::cleanPath(QFileInfo(started).absoluteFilePath());
}
