#include "app/aboutbox.h"

#include <QApplication>
#include <QIcon>
#include <QLayout>
#include <QStyle>

#include "corppay/version.h"

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setupUi(this);
    // The box takes the size its texts need in the user's font, a long configuration folder
    // included, and follows the folder's text when it is set.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // At least some sixty characters wide, so that the texts wrap into a few long lines.
    Panel1->setMinimumWidth(fontMetrics().horizontalAdvance(u'x') * 60);
    // The program's own icon where the desktop's icon theme has it (an installed copy).
    const QIcon icon = QApplication::windowIcon();
    ProgramIcon->setPixmap(
        (icon.isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon) : icon).pixmap(48, 48));
    Version->setText(QStringLiteral("Version ") + QStringLiteral(CORPPAY_VERSION));
}

void TAboutBox::SetConfigFolder(const QString& folder) {
    ConfigFolder->setText(QStringLiteral("配置文件夹：") + folder);
}
