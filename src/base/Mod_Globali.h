#pragma once

// State the component keeps once per thread, and the component as the layers below it see it. The
// message box helper every part uses is in base/MessageBox.h.

#include "base/MessageBox.h"

#include <QObject>
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
};

ModuleState& Mod_Globali();

// What the dialogs ask of the component they work for. The component layer supplies it, so nothing
// below the component includes it.
class ComponentView {
public:
    virtual ~ComponentView() = default;
    // The component's DbPath, read afresh for every use.
    virtual QString DbPath() const = 0;
    // After levels were renumbered: the component's current level and logout level follow.
    virtual void FollowRenumbering() = 0;
    // What the rights dialog shows: which rights there are and their captions.
    virtual bool AutoShutDown() const = 0;
    virtual int EnableCount() const = 0;
    virtual QString ManageLevelDescription() const = 0;
    virtual QString ManageOperatorDescription() const = 0;
    virtual QString DisShutDownDescription() const = 0;
    virtual QString AllowDesktopDescription() const = 0;
    virtual QString EnableDescription(short index) const = 0;
    // The current level object, and a number that changes with every login and logout: a window
    // opened for the login in force knows when it has ended (base/SessionGuard.h).
    virtual const QObject* CurrentLevelObject() const = 0;
    virtual quint64 SessionSerial() const = 0;
    // While the server of a server database cannot be reached the panel works from its local copy and
    // changes nothing: the management window and the password dialog do not open. The message says why.
    virtual bool IsOffline() const { return false; }
    virtual QString OfflineRefusal() const { return {}; }
    // A window or dialog that may have changed the database has closed (the component refreshes its copy).
    virtual void DatabaseChanged() {}
};

// Makes the view of this thread's live component, or nullptr when there is none, it has been
// released or it has terminated. The component layer installs it when it makes a component.
using ComponentViewSource = std::shared_ptr<ComponentView> (*)();
void setComponentViewSource(ComponentViewSource source);

// This thread's component, held for the length of a use; fails with automation error 91 when there is
// none, when it has been released (on any thread) or when it has terminated.
std::shared_ptr<ComponentView> RequireComponent();
// The same, or nullptr instead of the error.
std::shared_ptr<ComponentView> ComponentIfAny();

} // namespace zav
