// The payer and payee pickers: modal dialogs that list a roster file and let the user select
// one line; the main window reads the selection after the dialog has closed.
#pragma once

#include <QDialog>
#include <QTimer>
#include <QTreeWidgetItem>
#include <memory>
#include <optional>
#include <vector>

#include "platform/text/initials.h"
#include "ui_rosterpicker.h"

class ConfigDir;
class Dialogs;

class RosterPicker : public QDialog, public Ui::RosterPicker {
    Q_OBJECT
public:
    struct Design {
        const char16_t* listName;    // "reverlist" or "payerlist"
        const char16_t* listTitle;   // what the list holds, as a screen reader names it
        QStringList captions;        // the three column captions
        const char16_t* rosterFile;  // relative name of the roster
        bool (*accepts)(qsizetype fieldCount);
    };

    RosterPicker(const Design& design, Dialogs& dialogs, const ConfigDir& config,
                 QWidget* parent = nullptr);
    ~RosterPicker() override;

    // Shows the dialog modally, rebuilding the list first. Every showing starts in the name box
    // with its old text selected, so that typing replaces it.
    int Execute();
    // Whether the last showing was ended with Escape: the caller then takes nothing from it.
    bool Cancelled() const { return cancelled_; }
    // The selected row's three texts, or nothing when no row is selected.
    std::optional<QStringList> Selection() const;

    // Lists the roster, filtered by the name box.
    void FormShow();
    // "名册": reads the roster file again and lists it, filtered by the name box.
    void SpeedButton1Click();
    // Typing in the name box: lists the rows whose name or account contains the text (letter
    // case ignored) or whose name's pinyin initials spell it; all rows for an empty box.
    void ednameChange();

protected:
    void ListDblClick();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape cancels. Enter (Return or keypad Enter), wherever the focus is in the dialog, chooses
    // the marked row as a double-click does: the selected row, else the row the list's focus
    // frame stands on while the list has the focus, else the only row listed. Without such a
    // row it beeps and the dialog stays open.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LoadRoster();
    // Sizes the columns to their titles and the roster's texts.
    void FitColumns();
    void ApplyFilter();
    void EnterPressed();

    Design design_;
    bool cancelled_ = false;
    Dialogs& dialogs_;
    const ConfigDir& config_;
    // The roster's listed lines in file order; the list view shows those that pass the filter.
    struct Row {
        std::unique_ptr<QTreeWidgetItem> item;
        QString name;                          // case-folded, as the search compares it
        QString account;                       // case-folded
        std::vector<Initials::Mask> initials;  // of the name
    };
    std::vector<Row> rows_;
    // Restarted by every change of the name box, so that a burst of keys makes one filtering.
    QTimer* nameTyped_;
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
