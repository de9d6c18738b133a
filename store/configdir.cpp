#include "store/configdir.h"

#include <QDir>
#include <QFileInfo>

#include "platform/text/programpath.h"

namespace {
QString WithSeparator(QString dir) {
    dir = QDir::toNativeSeparators(dir);
    if (!dir.endsWith(QDir::separator())) {
        dir += QDir::separator();
    }
    return dir;
}
}  // namespace

QString AppDirectory() {
    return WithSeparator(QFileInfo(StartedProgramPath()).absolutePath());
}

ConfigDir::ConfigDir(QString base) : base_(WithSeparator(std::move(base))) {}

QString ConfigDir::Path(const QString& relativeName) const {
    QString rel = relativeName;
    rel.replace(u'\\', QDir::separator());
    rel.replace(u'/', QDir::separator());
    return base_ + rel;
}
