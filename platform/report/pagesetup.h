// The page setup dialog of the preview: paper, orientation and margins. Qt's own dialog works
// only with an installed printer; this one works on any machine.
#pragma once

#include <QDialog>
#include <QPageLayout>

class QComboBox;
class QDoubleSpinBox;
class QRadioButton;

class TfrxPageSetupForm : public QDialog {
    Q_OBJECT
public:
    explicit TfrxPageSetupForm(const QPageLayout& layout, QWidget* parent = nullptr);
    // The chosen paper, orientation and margins (mm).
    QPageLayout Layout() const;

private:
    QComboBox* paper_;
    QRadioButton* portrait_;
    QRadioButton* landscape_;
    QDoubleSpinBox* margins_[4];  // left, top, right, bottom
};
