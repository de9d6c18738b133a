// What the lookup dialogs share beyond their forms.
#pragma once

class Initials;
class QWidget;

namespace formparts {

// The dialogs' font: 宋体 with a character height of 14 pixels.
void UseFormFont(QWidget* form);

// The pinyin initials table embedded as ":/INITIALS", read at the first call. It is constant
// data, shared by the dialogs that search by initials.
const Initials& EmbeddedInitials();

}  // namespace formparts
