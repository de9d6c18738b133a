// The about box: product name, version, the bank as holder of the rights, service hint, and the
// configuration folder the program uses.
#pragma once

#include <QDialog>

#include "ui_aboutbox.h"

class TAboutBox : public QDialog, public Ui::TAboutBox {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    // Shows the folder the configuration files are read from and written to.
    void SetConfigFolder(const QString& folder);
};
