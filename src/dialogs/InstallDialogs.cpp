#include "dialogs/InstallDialogs.h"

#include "access/DialogHooks.h"
#include "base/MessageBox.h"
#include "dialogs/Frm_ChangePwd.h"
#include "dialogs/ShowManageWindow.h"

namespace zav::dialogs {

namespace {
void openManageWindow(const std::shared_ptr<Class_Level>& owner) {
    RequireGuiApplication();
    manage::ShowManageWindow(owner);
}

void openChangePassword(Class_Par& par, const std::shared_ptr<Class_Level>& level,
                        const std::shared_ptr<Class_Operator>& op) {
    RequireGuiApplication();
    Frm_ChangePwd::Run(par, level, op);
}
} // namespace

void InstallDialogs() {
    access::setDefaultOpeners(&openManageWindow, &openChangePassword);
}

} // namespace zav::dialogs
