#include <ZAV_PrjLogin/ZAV_Login.h>

#include "access/Class_Par.h"
#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "component/BadgeLogin.h"
#include "component/Frm_Login.h"
#include "component/HostSignals.h"

bool ZAV_Login::LoginByOperator() {
    return login(zav::LoginModeOperator);
}

bool ZAV_Login::LoginByLevel() {
    return login(zav::LoginModeLevel);
}

bool ZAV_Login::login(int loginMode) {
    zav::RequireGuiApplication();
    // The database may be reachable again since a logout that could not read it.
    recordPendingLogouts();
    refreshStaleLogoutLevel();
    zav::Class_Par par;
    par.LoginMode = loginMode;
    zav::Frm_Login::Run(par);
    if (par.Result) {
        announceLogin();
    }
    return par.Result;
}

bool ZAV_Login::LoginByBadge(const QString& Code) {
    zav::RequireGuiApplication();
    recordPendingLogouts();
    refreshStaleLogoutLevel();
    bool accepted = false;
    zav::RunReportingErrors([&] { accepted = zav::LoginWithBadge(Code); }, zav::LoginTitle);
    if (accepted) {
        announceLogin();
    }
    return accepted;
}

void ZAV_Login::announceLogin() {
    armAutoLogoutAfterLogin();
    // A login by level leaves the new current operator without a name.
    const QString name = m_currentOperator ? m_currentOperator->OperatorNameText() : QString();
    const int levelId = m_currentLevel ? m_currentLevel->ID() : 0;
    zav::TellHost("loggedIn", [&] { Q_EMIT loggedIn(name, levelId); });
}
