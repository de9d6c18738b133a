// Every message box and file dialog of the program goes through this service, so that the
// program shows real Qt windows and the tests answer them from a script.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

// The state of one of the shared file dialogs (SaveDialog1, OpenDialog1). It outlives each
// showing, as the program's own dialog objects do: the chosen name stays in fileName.
struct FileDialogState {
    QString objectName;   // "SaveDialog1" or "OpenDialog1"
    QString filter;       // "文本文件|*.txt|..." pairs of description and pattern
    int filterIndex = 1;  // 1-based, as the program's dialogs count
    QString defaultExt;   // without the dot; added to a name typed without extension
    QString fileName;     // in: the proposed name; out: the chosen full path
    // The folder the dialog opens in, when set; the program remembers one per kind of file.
    QString folder;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Boxes with an icon of their kind, the captions "Warning", "Information", "Error", one OK.
    virtual void Warning(const QString& text) = 0;
    virtual void Information(const QString& text) = 0;
    // An information box that carries a check box with the text optOut below the message;
    // true when the user ticked it.
    virtual bool InformationOptOut(const QString& text, const QString& optOut) = 0;
    virtual void Error(const QString& text) = 0;
    // No icon, the application title as caption, one OK.
    virtual void Plain(const QString& text) = 0;
    // A box with its own caption and the buttons OK and Cancel; true for OK.
    virtual bool OkCancel(const QString& caption, const QString& text) = 0;
    // A question before an action: caption "Confirm", the buttons 是 and 否 with 否 the default
    // (Enter does not confirm by accident); true for 是.
    virtual bool Question(const QString& text) = 0;
    // A question with buttons of its own, captioned "Confirm"; returns the index of the button
    // pressed. `escape` is both the default button and the answer of Escape or the close box.
    virtual int Choice(const QString& text, const QStringList& buttons, int escape) = 0;
    // The program-wide error box: stop icon, application title as caption.
    virtual void ProgramError(const QString& text) = 0;
    // The system beep.
    virtual void Beep() = 0;

    // Modal file dialogs; true when the user confirmed, state.fileName then holds the path.
    virtual bool Save(FileDialogState& state) = 0;
    virtual bool Open(FileDialogState& state) = 0;

    // The parent window for the real boxes.
    void SetParentWindow(QWidget* parent) { parent_ = parent; }
    QWidget* ParentWindow() const { return parent_; }

    // The text the program-wide error box shows: a "." is appended when the message ends in a
    // character whose code is above that of ".".
    static QString ErrorBoxText(const QString& message);
    // The application title used as caption of the plain and the error box.
    static QString ApplicationTitle();

private:
    QWidget* parent_ = nullptr;
};
