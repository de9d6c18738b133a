// The payer and payee pickers: modal dialogs that list a roster file and let the user select
// one line; the main window reads the selection after the dialog has closed.
#pragma once

#include <QDialog>
#include <optional>

#include "ui_rosterpicker.h"

class ConfigDir;
class Dialogs;

class RosterPicker : public QDialog, public Ui::RosterPicker {
    Q_OBJECT
public:
    struct Design {
        const char16_t* listName;    // "reverlist" or "payerlist"
        QStringList captions;        // the three column captions
        const char16_t* rosterFile;  // relative name of the roster
        bool (*accepts)(qsizetype fieldCount);
    };

    RosterPicker(const Design& design, Dialogs& dialogs, const ConfigDir& config,
                 QWidget* parent = nullptr);

    // Shows the dialog modally, rebuilding the list first.
    int Execute();
    // The selected row's three texts, or nothing when no row is selected.
    std::optional<QStringList> Selection() const;

    void FormShow();
    void SpeedButton1Click();

protected:
    void ListDblClick();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadRoster();

    Design design_;
    Dialogs& dialogs_;
    const ConfigDir& config_;
};

// The payee picker over "config\recvers.ini".
class TfmRecver : public RosterPicker {
    Q_OBJECT
public:
    TfmRecver(Dialogs& dialogs, const ConfigDir& config, QWidget* parent = nullptr);
    QTreeWidget* reverlist() const { return list; }
    void reverlistDblClick() { ListDblClick(); }
};

// The payer picker over "config\owner.ini".
class Tfrpayer : public RosterPicker {
    Q_OBJECT
public:
    Tfrpayer(Dialogs& dialogs, const ConfigDir& config, QWidget* parent = nullptr);
    QTreeWidget* payerlist() const { return list; }
    void payerlistDblClick() { ListDblClick(); }
};
