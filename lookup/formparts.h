// What the lookup dialogs share beyond their forms.
#pragma once

class Initials;

namespace formparts {

// The pinyin initials table embedded as ":/INITIALS", read at the first call. It is constant
// data, shared by the dialogs that search by initials.
const Initials& EmbeddedInitials();

}  // namespace formparts
