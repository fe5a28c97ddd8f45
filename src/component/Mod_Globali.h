#pragma once

// State the component keeps once per thread. The message box helper every part uses is in
// base/MessageBox.h.

#include "base/MessageBox.h"

#include <QString>
#include <memory>

class ZAV_Login;

namespace zav {

struct ModuleState {
    // The most recently created component on this thread. A weak reference: it never keeps the
    // component alive, and it cannot dangle when the component is released on another thread.
    std::weak_ptr<ZAV_Login> component;
    bool touchScreen = false;
    // The database path followed by ".INI"; empty until DbPath is assigned.
    QString profilePath;
    // The login dialog's remembered top password (the password of the level with ID 0 or less that
    // the last level list met); nothing clears it.
    QString loginTopPassword;
};

ModuleState& Mod_Globali();

// The component of this thread's module state, held for the length of a use; nullptr when there is
// none, when it has been released (on any thread) or when it has terminated.
std::shared_ptr<ZAV_Login> ModuleComponent();
// The same, failing with automation error 91 when there is none.
std::shared_ptr<ZAV_Login> RequireComponent();

} // namespace zav
