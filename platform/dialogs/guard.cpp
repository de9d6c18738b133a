#include "platform/dialogs/guard.h"

#include "platform/text/apperror.h"

#include <exception>
#include <new>

bool Guarded(Dialogs& dialogs, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const AppError& e) {
        dialogs.ProgramError(e.Message());
    } catch (const std::bad_alloc&) {
        dialogs.ProgramError(QStringLiteral("Out of memory"));
    } catch (const std::exception& e) {
        dialogs.ProgramError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        dialogs.ProgramError(QStringLiteral("Unknown error"));
    }
    return false;
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    if (dialogs_ == nullptr) {
        return QApplication::notify(receiver, event);
    }
    bool result = false;
    Guarded(*dialogs_, [&] { result = QApplication::notify(receiver, event); });
    return result;
}
