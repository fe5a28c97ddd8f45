// The members of ZAV_Login as the dispatcher reaches them.

#include "automation/ClassBindings.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

namespace zav::automation {
namespace {

using binding::call;
using L = ZAV_Login;

constexpr Binding Accessors[] = {
    {"cRespEnable", Get, call<&L::cRespEnable>},
    {"cRespEnable", Set, call<&L::setcRespEnable>},
    {"cDrvLanguage", Get, call<&L::cDrvLanguage>},
    {"cDrvLanguage", Set, call<&L::setcDrvLanguage>},
    {"IsLogoutLevel", Get, call<&L::IsLogoutLevel>},
    {"AutoShutDown", Get, call<&L::AutoShutDown>},
    {"AutoShutDown", Let, call<&L::setAutoShutDown>},
    {"EnableDescription", Get, call<&L::EnableDescription>},
    {"EnableDescription", Let, call<&L::setEnableDescription>},
    {"CurrentOperator", Get, call<&L::CurrentOperator>},
    {"CurrentOperator", Set, call<&L::setCurrentOperator>},
    {"CurrentLevel", Get, call<&L::CurrentLevel>},
    {"CurrentLevel", Set, call<&L::setCurrentLevel>},
    {"EnableCount", Get, call<&L::EnableCount>},
    {"EnableCount", Let, call<&L::setEnableCount>},
    {"LoginByOperator", Method, call<&L::LoginByOperator>},
    {"LoginByLevel", Method, call<&L::LoginByLevel>},
    {"Logout", Method, call<&L::Logout>},
    {"DbPath", Get, call<&L::DbPath>},
    {"DbPath", Let, call<&L::setDbPath>},
    {"Terminate", Method, call<&L::Terminate>},
    {"ShutDownNow", Method, call<&L::ShutDownNow>},
    {"Fun_InitDatabase", Method, call<&L::Fun_InitDatabase>},
    {"HaveOperators", Method, call<&L::HaveOperators>},
    {"HaveLevels", Method, call<&L::HaveLevels>},
    {"ManageLevelDescription", Get, call<&L::ManageLevelDescription>},
    {"ManageLevelDescription", Let, call<&L::setManageLevelDescription>},
    {"ManageOperatorDescription", Get, call<&L::ManageOperatorDescription>},
    {"ManageOperatorDescription", Let, call<&L::setManageOperatorDescription>},
    {"DisShutDownDescription", Get, call<&L::DisShutDownDescription>},
    {"DisShutDownDescription", Let, call<&L::setDisShutDownDescription>},
    {"AllowDesktopDescription", Get, call<&L::AllowDesktopDescription>},
    {"AllowDesktopDescription", Let, call<&L::setAllowDesktopDescription>},
    {"IsTouchScreen", Get, call<&L::IsTouchScreen>},
    {"IsTouchScreen", Let, call<&L::setIsTouchScreen>},
    {"IsOffline", Get, call<&L::IsOffline>},
    {"Sign", Method, call<&L::Sign>},
    {"Verify", Method, call<&L::Verify>},
    {"LoginByBadge", Method, call<&L::LoginByBadge>},
};

const ClassBinding Login{"_ZAV_Login", &ZAV_Login::staticMetaObject, Accessors, binding::share<ZAV_Login>,
                         binding::create<ZAV_Login>};

} // namespace

const ClassBinding& LoginClassBinding() {
    return Login;
}

} // namespace zav::automation
