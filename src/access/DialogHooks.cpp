#include "access/DialogHooks.h"

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

void openManageWindow(const std::shared_ptr<Class_Level>& owner) {
    if (openers().manage) {
        openers().manage(owner);
    } else {
        installed(g_manageDefault)(owner);
    }
}

void openChangePasswordDialog(Class_Par& par, const std::shared_ptr<Class_Level>& level,
                              const std::shared_ptr<Class_Operator>& op) {
    if (openers().changePassword) {
        openers().changePassword(par, level, op);
    } else {
        installed(g_changePasswordDefault)(par, level, op);
    }
}

} // namespace zav::access
