#pragma once

// A window opened for the login in force (the management window of the current level) must not write
// once that login has ended: by a logout, automatic or not, or by another login. The guard notes the
// component's session when the window opens; every write of the window, and of the dialogs it opens,
// asks RequireSessionsInForce first. A window opened for another owner guards nothing.

#include <ZAV_PrjLogin/AutomationError.h>

#include <QString>

class QObject;

namespace zav {

// The login a window was opened for has ended: nothing was stored.
inline constexpr int ErrSessionEnded = 3400;

class SessionGuard {
public:
    // Guards this thread's writes while it lives, when `ownerLevel` is the component's current level.
    explicit SessionGuard(const QObject* ownerLevel);
    ~SessionGuard();
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;

private:
    bool m_bound = false;
};

// Throws AutomationError ErrSessionEnded when a guard of this thread outlived its login.
void RequireSessionsInForce();
// The component's DbPath for a write of a dialog, once RequireSessionsInForce passed.
QString DbPathForWriting();

} // namespace zav
