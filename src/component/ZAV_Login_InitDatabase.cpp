// Creating and completing the credential database when DbPath is assigned, and the two one-time
// permission grants, recorded in the user's registry and in the file (the work itself is headless:
// operations/DatabaseSetup.h).

#include <ZAV_PrjLogin/ZAV_Login.h>

#include "base/Mod_Globali.h"
#include "component/OfflineMode.h"
#include "operations/DatabaseSetup.h"

#include <ZAV_PrjLogin/AutomationError.h>

bool ZAV_Login::Fun_InitDatabase() {
    bool result = false;
    try {
        // A server that cannot be reached: the panel starts from its copy, if it keeps one (and offline
        // it is not asked again).
        try {
            if (!m_offline->IsOffline()) {
                zav::manage::CreateOrCompleteDatabase(m_dbPath, m_respEnable.get());
            }
        } catch (const std::exception& error) {
            if (!m_offline->TakeOver(error)) {
                throw;
            }
        }
        disarmAutoLogout();
        runLogoutProcedure();
        if (!m_offline->IsOffline()) {
            applyRegistryUpgrades();
        }
        readAutoLogoutPolicy();
        result = true;
    } catch (const AutomationError& e) {
        zav::MsgBox(e.Description(), zav::vbExclamation,
                    QStringLiteral("ZAV_MLORVATO ") + QString::number(e.Number()));
    } catch (const std::exception& e) {
        zav::MsgBox(QString::fromLocal8Bit(e.what()), zav::vbExclamation, QStringLiteral("ZAV_MLORVATO 0"));
    }
    return result;
}

void ZAV_Login::applyRegistryUpgrades() noexcept {
    try {
        if (auto rights = m_currentLevel->cLevelEnable()) {
            zav::manage::ApplyOneTimeGrants(m_dbPath, *rights);
        }
    } catch (...) {
    }
}
