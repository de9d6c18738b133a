// A pair of arrow buttons that step a position between a minimum and a maximum, reporting
// every step before it takes effect (the sequence spinner beside the instruction number).
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
    // The position is about to change to newPosition.
    void Changing(int newPosition);

private:
    void Step(int delta);

    int position_ = 0;
    int min_ = 0;
    int max_ = 100;
    QToolButton* up_;
    QToolButton* down_;
};
