// The dialog service for tests: records every box and answers every question and file
// dialog from a script, so that handlers run without a window ever blocking.
#pragma once

#include <functional>

#include "platform/dialogs/dialogs.h"

#include <QList>
#include <QStringList>

class ScriptedDialogs : public Dialogs {
public:
    enum class Kind {
        Warning,
        Information,
        Error,
        Plain,
        OkCancel,
        Question,
        ProgramError,
        Choice
    };
    struct Message {
        Kind kind;
        QString caption;
        QString text;
        bool operator==(const Message&) const = default;
    };

    void Warning(const QString& text) override;
    void Information(const QString& text) override;
    bool InformationOptOut(const QString& text, const QString& optOut) override;
    void Error(const QString& text) override;
    void Plain(const QString& text) override;
    bool OkCancel(const QString& caption, const QString& text) override;
    bool Question(const QString& text) override;
    int Choice(const QString& text, const QStringList& buttons, int escape) override;
    void ProgramError(const QString& text) override;
    void Beep() override { ++beeps; }
    bool Save(FileDialogState& state) override;
    bool Open(FileDialogState& state) override;

    // Answers of the OK/Cancel box in order; OK when the script has run out.
    QList<bool> okCancelAnswers;
    // Answers of the questions in order (true for 是); 否, the default, when the script has
    // run out.
    QList<bool> questionAnswers;
    // Answers of the questions with buttons of their own: the index pressed; Escape when the
    // script has run out. The buttons of the last one shown are kept.
    QList<int> choiceAnswers;
    QStringList lastChoiceButtons;
    // Whether the check box of the information boxes that carry one is ticked, in order;
    // unticked when the script has run out. The texts of the check boxes shown are kept.
    QList<bool> optOutAnswers;
    QStringList optOutsShown;
    // Answers of the file dialogs in order: a path confirms, an empty text cancels.
    // A dialog with no answer left is cancelled.
    QStringList fileAnswers;

    QList<Message> messages;
    // Runs while each box is shown (after it is recorded, before it is answered): what a user
    // would see behind the box.
    std::function<void(const Message&)> whileShown;
    QList<FileDialogState> fileDialogsShown;  // the state as each dialog was shown
    int beeps = 0;

    // The texts of all recorded boxes, in order.
    QStringList Texts() const;
    void Clear();

private:
    bool AnswerFile(FileDialogState& state);
    void Record(Message message);
};
