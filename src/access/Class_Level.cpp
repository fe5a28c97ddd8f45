#include "access/Class_Par.h"
#include "access/DialogHooks.h"
#include "base/ReportedErrors.h"

#include <ZAV_PrjLogin/Class_Level.h>

Class_Level::Class_Level(Token) : m_levelEnable(Class_LevelEnable::create()) {}
Class_Level::~Class_Level() = default;

std::shared_ptr<Class_Level> Class_Level::create() {
    return std::make_shared<Class_Level>(Token{});
}

bool Class_Level::ShowStructure() {
    if (!m_levelEnable) {
        throw zav::ObjectNotSetError(); // a host that set the rights to Nothing learns it here
    }
    if (m_levelEnable->AllowManageLevel() || m_levelEnable->AllowManageOperator()) {
        zav::access::openManageWindow(shared_from_this());
    }
    return false;
}

bool Class_Level::ChangePassword(bool LockOldPWD) {
    if (m_levelName.isEmpty()) {
        return false;
    }
    zav::Class_Par par;
    par.LoginMode = zav::LoginModeLevel;
    par.LockOldPWD = LockOldPWD;
    zav::access::openChangePasswordDialog(par, shared_from_this(), nullptr);
    return par.Result;
}
