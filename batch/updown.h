// A pair of arrow buttons that step a position between a minimum and a maximum, reporting
// every press with the position it asks for (beyond a limit too) before it takes effect (the
// sequence spinner beside the instruction number).
#pragma once

#include <QWidget>

class QToolButton;

class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);
    int Position() const { return position_; }
    void SetPosition(int position);
    void SetRange(int min, int max);
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    // A press asks for newPosition: the position plus or minus one, which at a limit lies
    // outside the range and is not taken.
    void Changing(int newPosition);

private:
    void Step(int delta);

    int position_ = 0;
    int min_ = 0;
    int max_ = 100;
    QToolButton* up_;
    QToolButton* down_;
};
