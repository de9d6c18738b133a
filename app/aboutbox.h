// The about box: product name, version, the bank as holder of the rights, service hint.
#pragma once

#include <QDialog>

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};
