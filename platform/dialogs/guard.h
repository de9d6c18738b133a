// Runs an event handler so that no exception ever reaches the Qt event loop: an error ends
// the handler and is shown in the program-wide error box, and the program goes on.
#pragma once

#include "platform/dialogs/dialogs.h"

#include <functional>

// Returns true when the handler ran to its end.
bool Guarded(Dialogs& dialogs, const std::function<void()>& handler);
