// The bank search dialog: the embedded directory of bank branches, loaded at the first
// showing and filtered by part of a name or by an exact number. The grid always lists what the
// two boxes say, as they are typed, searched and kept from one showing to the next.
#pragma once

#include <QDialog>
#include <QFile>
#include <QTimer>

#include "ui_banksearch.h"

class DataSource;
class Dataset;
class DBGrid;
class Dialogs;

class TfmBank : public QDialog, public Ui::TfmBank {
    Q_OBJECT
public:
    explicit TfmBank(Dialogs& dialogs, QWidget* parent = nullptr,
                     const QString& resource = QStringLiteral(":/BANKDATA"));
    ~TfmBank() override;

    // Shows the dialog modally after its show handler.
    int Execute();
    // Whether the last showing was ended with Escape: the caller then takes nothing from it.
    bool Cancelled() const { return cancelled_; }

    void FormCreate();
    void FormDestroy();
    // "检索": the search the boxes say, at once, in place of one the typing has pending.
    void SpeedButton1Click();
    // Loads the directory at the first showing; every showing lists what the boxes kept say.
    void FormShow();
    void DBGrid1DblClick();
    // Enter in a search box: searches, then takes the row when exactly one is shown, else goes
    // to the first row of the grid.
    void SearchBoxReturn();

    // The filter text for a typed text: the text with every "'" doubled, in quotes.
    static QString Quoted(const QString& text);
    QString PanelText(int panel) const;

    DataSource* DataSource1;
    Dataset* cds;

protected:
    // Escape cancels; Enter on the grid chooses its row as a double-click does.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Enter on the grid: takes the current row when it is in view, else scrolls it into view.
    void ChooseShownRow();
    void SetHeadings();
    // The rows the boxes say: by the name, else by the number, else the whole directory; the
    // cursor on the first of them.
    void SearchBoxes();
    void ShowCount();
    // Sizes the grid's columns after every change of its rows, see the constructor.
    void FitColumns();

    Dialogs& dialogs_;
    QString resource_;
    QFile* BankDataStream = nullptr;
    // Restarted by every change of either box, so that a burst of keys makes one search.
    QTimer* typed_;
    QLabel* panels_[3];
    bool cancelled_ = false;
};
