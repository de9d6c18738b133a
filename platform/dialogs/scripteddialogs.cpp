#include "platform/dialogs/scripteddialogs.h"

void ScriptedDialogs::Record(Message message) {
    messages.append(std::move(message));
    if (whileShown) {
        whileShown(messages.last());
    }
}

void ScriptedDialogs::Warning(const QString& text) {
    Record({Kind::Warning, QStringLiteral("Warning"), text});
}

bool ScriptedDialogs::InformationOptOut(const QString& text, const QString& optOut) {
    Record({Kind::Information, QStringLiteral("Information"), text});
    optOutsShown.append(optOut);
    return optOutAnswers.isEmpty() ? false : optOutAnswers.takeFirst();
}

void ScriptedDialogs::Information(const QString& text) {
    Record({Kind::Information, QStringLiteral("Information"), text});
}

void ScriptedDialogs::Error(const QString& text) {
    Record({Kind::Error, QStringLiteral("Error"), text});
}

void ScriptedDialogs::Plain(const QString& text) {
    Record({Kind::Plain, ApplicationTitle(), text});
}

bool ScriptedDialogs::OkCancel(const QString& caption, const QString& text) {
    Record({Kind::OkCancel, caption, text});
    return okCancelAnswers.isEmpty() ? true : okCancelAnswers.takeFirst();
}

bool ScriptedDialogs::Question(const QString& text) {
    Record({Kind::Question, QStringLiteral("Confirm"), text});
    return questionAnswers.isEmpty() ? false : questionAnswers.takeFirst();
}

int ScriptedDialogs::Choice(const QString& text, const QStringList& buttons, int escape) {
    Record({Kind::Choice, QStringLiteral("Confirm"), text});
    lastChoiceButtons = buttons;
    return choiceAnswers.isEmpty() ? escape : choiceAnswers.takeFirst();
}

void ScriptedDialogs::ProgramError(const QString& text) {
    Record({Kind::ProgramError, ApplicationTitle(), ErrorBoxText(text)});
}

bool ScriptedDialogs::Save(FileDialogState& state) {
    return AnswerFile(state);
}

bool ScriptedDialogs::Open(FileDialogState& state) {
    return AnswerFile(state);
}

bool ScriptedDialogs::AnswerFile(FileDialogState& state) {
    fileDialogsShown.append(state);
    if (fileAnswers.isEmpty()) {
        return false;
    }
    const QString answer = fileAnswers.takeFirst();
    if (answer.isEmpty()) {
        return false;
    }
    state.fileName = answer;
    return true;
}

QStringList ScriptedDialogs::Texts() const {
    QStringList texts;
    for (const Message& m : messages) {
        texts.append(m.text);
    }
    return texts;
}

void ScriptedDialogs::Clear() {
    messages.clear();
    fileDialogsShown.clear();
    optOutsShown.clear();
    beeps = 0;
}
