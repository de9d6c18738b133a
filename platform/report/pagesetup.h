// The page setup dialog of the preview: paper, orientation and margins. Qt's own dialog works
// only with an installed printer; this one works on any machine.
#pragma once

#include <QDialog>
#include <QPageLayout>

class QComboBox;
class QLabel;
class QDoubleSpinBox;
class QRadioButton;

class TfrxPageSetupForm : public QDialog {
    Q_OBJECT
public:
    explicit TfrxPageSetupForm(const QPageLayout& layout, QWidget* parent = nullptr);
    // The chosen paper, orientation and margins (mm).
    QPageLayout Layout() const;
    // The least width and height, in millimetres, the margins must leave for printing.
    static constexpr double kMinPrintable = 50;
    // Why the chosen margins leave too little to print on; empty when they do not.
    QString MarginProblem() const;

    // 确定: closes the dialog only when the margins leave a usable printing area.
    void accept() override;

private:
    QLabel* problem_;
    QComboBox* paper_;
    QRadioButton* portrait_;
    QRadioButton* landscape_;
    QDoubleSpinBox* margins_[4];  // left, top, right, bottom
};
