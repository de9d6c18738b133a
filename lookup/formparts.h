// Small builders for the lookup dialogs' fixed layouts: named controls at designed positions.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace formparts {

// The dialogs' font: 宋体 with a character height of 14 pixels.
void UseFormFont(QWidget* form);
QGroupBox* Group(QWidget* parent, const char16_t* name, const QString& title);
QLabel* Label(QWidget* parent, const char16_t* name, const QString& text, QPoint at);
QLineEdit* Edit(QWidget* parent, const char16_t* name, QRect geometry);
// A flat button with a caption, as the dialogs' search buttons.
QToolButton* SpeedButton(QWidget* parent, const char16_t* name, const QString& text, QPoint at);

}  // namespace formparts
