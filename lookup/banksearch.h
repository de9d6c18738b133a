// The bank search dialog: the embedded directory of bank branches, loaded at the first
// showing and filtered by part of a name or by an exact number.
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
    // "检索": filters by the name, else by the number, and shows the count.
    void SpeedButton1Click();
    void FormShow();
    void DBGrid1DblClick();
    // Typing in the name box: the name search for the text it holds now, run once the typed
    // keys have been taken in; an emptied box lists the whole directory again.
    void edlnameChange();

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
    void SearchName();
    void ShowCount();

    Dialogs& dialogs_;
    QString resource_;
    QFile* BankDataStream = nullptr;
    // Restarted by every change of the name box, so that a burst of keys makes one search.
    QTimer* nameTyped_;
    QLabel* panels_[3];
    bool cancelled_ = false;
};
