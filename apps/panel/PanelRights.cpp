#include "PanelRights.h"

#include "PanelTexts.h"

namespace zav::panel {

namespace {
QString shown(const QString& caption, PanelText builtIn, const QString& language) {
    return caption == panelText(builtIn, QStringLiteral("English")) ? panelText(builtIn, language) : caption;
}
} // namespace

QList<RightState> rightsOf(const ZAV_Login& login, const Class_LevelEnable& rights, const QString& language) {
    QList<RightState> states = {
        {shown(login.ManageLevelDescription(), PanelText::ManageLevelsRight, language),
         rights.AllowManageLevel()},
        {shown(login.ManageOperatorDescription(), PanelText::ManageOperatorsRight, language),
         rights.AllowManageOperator()},
        {shown(login.DisShutDownDescription(), PanelText::ShutDownRight, language), !rights.DisShutDown()},
        {shown(login.AllowDesktopDescription(), PanelText::DesktopRight, language), rights.AllowDesktop()},
    };
    const int count = std::min(login.EnableCount(), Class_LevelEnable::CustomCount);
    for (int i = 1; i <= count; ++i) {
        states.append({login.EnableDescription(static_cast<short>(i)), rights.AllowCustom(i)});
    }
    return states;
}

} // namespace zav::panel
