#include "batch/updown.h"

#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setObjectName(QStringLiteral("UpDown1Up"));
    down_->setObjectName(QStringLiteral("UpDown1Down"));
    // Arrows alone say nothing to a screen reader.
    up_->setAccessibleName(QStringLiteral("序号加一"));
    down_->setAccessibleName(QStringLiteral("序号减一"));
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        layout->addWidget(b);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDown::SetPosition(int position) {
    position_ = std::clamp(position, min_, max_);
}

void UpDown::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    SetPosition(position_);
}

void UpDown::Step(int delta) {
    // As the system's spinner does, every press is reported with the position it asks for,
    // beyond a limit too; the position itself stays within the range.
    emit Changing(position_ + delta);
    position_ = std::clamp(position_ + delta, min_, max_);
}
