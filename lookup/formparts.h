// What the lookup dialogs share beyond their forms.
#pragma once

class QWidget;

namespace formparts {

// The dialogs' font: 宋体 with a character height of 14 pixels.
void UseFormFont(QWidget* form);

}  // namespace formparts
