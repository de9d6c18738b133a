#include "app/aboutbox.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(484, 292);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    auto* product = new QLabel(QStringLiteral("企业网银批量支付工具"), panel);
    product->setObjectName(QStringLiteral("ProductName"));
    auto* version = new QLabel(QStringLiteral("Version 1.0.1.1"), panel);
    version->setObjectName(QStringLiteral("Version"));
    auto* rights = new QLabel(QStringLiteral("版权所有：星澜聚川银行"), panel);
    rights->setObjectName(QStringLiteral("Copyright"));
    auto* comment = new QLabel(
        QStringLiteral("使用中如有任何问题，请致电星澜聚川银行客户服务热线，我们将竭诚为您服务。"),
        panel);
    comment->setObjectName(QStringLiteral("Comments"));
    comment->setWordWrap(true);

    auto* grid = new QGridLayout(panel);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(product, 0, 1);
    grid->addWidget(version, 1, 1);
    grid->addWidget(rights, 2, 1);
    grid->addWidget(comment, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}
