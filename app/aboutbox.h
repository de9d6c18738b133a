// The about box: product name, version, the bank as holder of the rights, service hint.
#pragma once

#include <QDialog>

#include "ui_aboutbox.h"

class TAboutBox : public QDialog, public Ui::TAboutBox {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};
