#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

bool LoadQtTranslations(QCoreApplication& app) {
    const QString dirs[] = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
    };
    for (const QString& dir : dirs) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QStringLiteral("qtbase_zh_CN"), dir)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
        delete translator;
    }
    return false;
}
