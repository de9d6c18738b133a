#include "lookup/formparts.h"

#include <QFont>
#include <QWidget>

namespace formparts {

void UseFormFont(QWidget* form) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(14);
    form->setFont(font);
}

}  // namespace formparts
