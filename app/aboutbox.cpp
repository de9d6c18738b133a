#include "app/aboutbox.h"

#include <QStyle>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setupUi(this);
    setFixedSize(484, 292);
    ProgramIcon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
}
