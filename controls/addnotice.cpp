#include "controls/addnotice.h"

#include <QSettings>

#include "platform/dialogs/dialogs.h"

namespace {
const QString kQuietKey = QStringLiteral("notices/quietAdds");
}  // namespace

AddNotice::AddNotice(Dialogs& dialogs, QSettings& settings)
    : dialogs_(dialogs), settings_(settings) {}

bool AddNotice::Quiet() const {
    return settings_.value(kQuietKey, false).toBool();
}

void AddNotice::SetQuiet(bool quiet) {
    if (quiet == Quiet()) {
        return;
    }
    settings_.setValue(kQuietKey, quiet);
    settings_.sync();
    if (changed) {
        changed(quiet);
    }
}

void AddNotice::Succeeded(int rows) {
    const QString text = QStringLiteral("增加成功！");
    if (Quiet() && showStatus) {
        showStatus(text + QStringLiteral("共 %1 笔").arg(rows));
        return;
    }
    if (showStatus) {
        showStatus(QString());
    }
    if (dialogs_.InformationOptOut(text, QStringLiteral("不再提示"))) {
        SetQuiet(true);
    }
}
