#include "app/aboutbox.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

#include "corppay/version.h"

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setupUi(this);
    setFixedSize(484, 292);
    // The program's own icon where the desktop's icon theme has it (an installed copy).
    const QIcon icon = QApplication::windowIcon();
    ProgramIcon->setPixmap(
        (icon.isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon) : icon).pixmap(48, 48));
    Version->setText(QStringLiteral("Version ") + QStringLiteral(CORPPAY_VERSION));
}

void TAboutBox::SetConfigFolder(const QString& folder) {
    ConfigFolder->setText(QStringLiteral("配置文件夹：") + folder);
}
