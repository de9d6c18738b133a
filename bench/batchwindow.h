// The main window of the benchmarks that drive the batch page: over a configuration folder of
// its own (one company account 6230001, an empty roster), answered by scripted dialogs.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "app/mainwindow.h"
#include "batch/batchpage.h"
#include "platform/dialogs/scripteddialogs.h"
#include "platform/text/ansi.h"
#include "store/configdir.h"

struct BatchWindow {
    BatchWindow() : config(dir.path()) {
        Write(QStringLiteral("config/salary.ini"), ansi::Encode(u"1,姓名,name\r\n"));
        Write(QStringLiteral("config/owner.ini"), ansi::Encode(u"甲公司|6230001|星澜聚川银行\r\n"));
        Write(QStringLiteral("config/recvers.ini"), QByteArray());
        form = std::make_unique<Tmform>(dialogs, config);
        form->show();
        QApplication::processEvents();
        page = form->batchPage;
    }
    QString Path(const QString& relative) const { return dir.filePath(relative); }
    void Write(const QString& relative, const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(Path(relative)).path());
        QFile f(Path(relative));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::abort();
        }
    }
    // 复位, answering 是 to its question about rows not yet exported.
    void ClearTable() {
        dialogs.questionAnswers = {true};
        page->Button4->click();
        dialogs.questionAnswers.clear();
        dialogs.Clear();
    }

    QTemporaryDir dir;
    ConfigDir config;
    ScriptedDialogs dialogs;
    std::unique_ptr<Tmform> form;
    BatchPage* page = nullptr;
};
