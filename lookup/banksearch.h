// The bank search dialog: the embedded directory of bank branches, loaded at the first
// showing and filtered by part of a name or by an exact number.
#pragma once

#include <QDialog>
#include <QFile>

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

    void FormCreate();
    void FormDestroy();
    void SpeedButton1Click();
    void FormShow();
    void DBGrid1DblClick();

    // The filter text for a typed text: the text with every "'" doubled, in quotes.
    static QString Quoted(const QString& text);
    QString PanelText(int panel) const;

    DataSource* DataSource1;
    Dataset* cds;

private:
    void ShowCount();

    Dialogs& dialogs_;
    QString resource_;
    QFile* BankDataStream = nullptr;
    QLabel* panels_[3];
};
