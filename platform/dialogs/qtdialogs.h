// The production dialog service: real QMessageBox and QFileDialog windows.
#pragma once

#include "platform/dialogs/dialogs.h"

class QtDialogs : public Dialogs {
public:
    void Warning(const QString& text) override;
    void Information(const QString& text) override;
    bool InformationOptOut(const QString& text, const QString& optOut) override;
    void Error(const QString& text) override;
    void Plain(const QString& text) override;
    bool OkCancel(const QString& caption, const QString& text) override;
    bool Question(const QString& text) override;
    int Choice(const QString& text, const QStringList& buttons, int escape) override;
    void ProgramError(const QString& text) override;
    void Beep() override;
    bool Save(FileDialogState& state) override;
    bool Open(FileDialogState& state) override;

    // Translates the "description|pattern|..." filter into Qt's name filters.
    static QStringList NameFilters(const QString& filter);
};
