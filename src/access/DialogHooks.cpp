#include "access/DialogHooks.h"

#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <atomic>

namespace zav::access {

namespace {
struct Openers {
    ManageWindowOpener manage;
    ChangePasswordOpener changePassword;
};

Openers& openers() {
    thread_local Openers instance;
    return instance;
}

std::atomic<ManageWindowDefault> g_manageDefault = nullptr;
std::atomic<ChangePasswordDefault> g_changePasswordDefault = nullptr;

template <typename Default> Default installed(const std::atomic<Default>& slot) {
    if (const Default opener = slot.load()) {
        return opener;
    }
    throw AutomationError(5, QStringLiteral("The component's dialogs are not installed."));
}
} // namespace

void setManageWindowOpener(ManageWindowOpener opener) {
    openers().manage = std::move(opener);
}
void setChangePasswordOpener(ChangePasswordOpener opener) {
    openers().changePassword = std::move(opener);
}

void setDefaultOpeners(ManageWindowDefault manage, ChangePasswordDefault changePassword) {
    g_manageDefault.store(manage);
    g_changePasswordDefault.store(changePassword);
}

namespace {
// Nothing is changed while the panel works from its local copy: the dialog does not open, a message says
// why. Otherwise `open` runs, and the component learns that the database may have changed.
void openUnlessOffline(const std::function<void()>& open) {
    // Each look at the component holds it for that look only: a host may release it meanwhile.
    if (const auto view = ComponentIfAny(); view && view->IsOffline()) {
        MsgBox(view->OfflineRefusal(), vbExclamation, LoginTitle);
        return;
    }
    open();
    if (const auto view = ComponentIfAny()) {
        view->DatabaseChanged();
    }
}
} // namespace

void openManageWindow(const std::shared_ptr<Class_Level>& owner) {
    openUnlessOffline([&] {
        if (openers().manage) {
            openers().manage(owner);
        } else {
            installed(g_manageDefault)(owner);
        }
    });
}

void openChangePasswordDialog(Class_Par& par, const std::shared_ptr<Class_Level>& level,
                              const std::shared_ptr<Class_Operator>& op) {
    openUnlessOffline([&] {
        if (openers().changePassword) {
            openers().changePassword(par, level, op);
        } else {
            installed(g_changePasswordDefault)(par, level, op);
        }
    });
}

} // namespace zav::access
