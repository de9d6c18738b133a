#include "lookup/formparts.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace formparts {

void UseFormFont(QWidget* form) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(14);
    form->setFont(font);
}

QGroupBox* Group(QWidget* parent, const char16_t* name, const QString& title) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QString::fromUtf16(name));
    return box;
}

QLabel* Label(QWidget* parent, const char16_t* name, const QString& text, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromUtf16(name));
    label->move(at);
    return label;
}

QLineEdit* Edit(QWidget* parent, const char16_t* name, QRect geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf16(name));
    edit->setGeometry(geometry);
    return edit;
}

QToolButton* SpeedButton(QWidget* parent, const char16_t* name, const QString& text, QPoint at) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromUtf16(name));
    button->setText(text);
    button->setAutoRaise(true);
    button->setGeometry(QRect(at, QSize(57, 25)));
    return button;
}

}  // namespace formparts
