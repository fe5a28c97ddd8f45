#include "access/DialogHooks.h"

#include "access/Frm_ChangePwd.h"
#include "component/Mod_Globali.h"
#include "manage/ShowManageWindow.h"

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
} // namespace

void setManageWindowOpener(ManageWindowOpener opener) {
    openers().manage = std::move(opener);
}
void setChangePasswordOpener(ChangePasswordOpener opener) {
    openers().changePassword = std::move(opener);
}

void openManageWindow(const std::shared_ptr<Class_Level>& owner) {
    if (openers().manage) {
        openers().manage(owner);
    } else {
        RequireGuiApplication();
        manage::ShowManageWindow(owner);
    }
}

void openChangePasswordDialog(Class_Par& par, const std::shared_ptr<Class_Level>& level,
                              const std::shared_ptr<Class_Operator>& op) {
    if (openers().changePassword) {
        openers().changePassword(par, level, op);
    } else {
        RequireGuiApplication();
        Frm_ChangePwd::Run(par, level, op);
    }
}

} // namespace zav::access
