// Runs an event handler so that no exception ever reaches the Qt event loop: an error ends
// the handler and is shown in the program-wide error box, and the program goes on.
#pragma once

#include <QApplication>
#include <functional>

#include "platform/dialogs/dialogs.h"

// Returns true when the handler ran to its end.
bool Guarded(Dialogs& dialogs, const std::function<void()>& handler);

// The program's application: every event is delivered under Guarded, so that an exception a
// handler let through reaches the program-wide error box instead of ending the program.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    // The error box's service; until it is set, events are delivered as by QApplication.
    void SetDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    Dialogs* dialogs_ = nullptr;
};
