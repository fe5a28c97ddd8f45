#include "PanelRights.h"

namespace zav::panel {

QList<RightState> rightsOf(const ZAV_Login& login, const Class_LevelEnable& rights) {
    QList<RightState> states = {
        {login.ManageLevelDescription(), rights.AllowManageLevel()},
        {login.ManageOperatorDescription(), rights.AllowManageOperator()},
        {login.DisShutDownDescription(), !rights.DisShutDown()},
        {login.AllowDesktopDescription(), rights.AllowDesktop()},
    };
    const int count = std::min(login.EnableCount(), Class_LevelEnable::CustomCount);
    for (int i = 1; i <= count; ++i) {
        states.append({login.EnableDescription(static_cast<short>(i)), rights.AllowCustom(i)});
    }
    return states;
}

} // namespace zav::panel
