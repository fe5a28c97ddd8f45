// The Unlock item of both pop-up menus: offered while the file's policy locks out, enabled for a locked

#include "base/SessionGuard.h"
// level or operator, and ending its lock. Nothing else is refreshed: a lock shows in no list.

#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "dialogs/Frm_Manage.h"
#include "operations/CredentialDatabase.h"

#include <QMenu>
#include <QTreeWidget>

namespace zav::manage {

void Frm_Manage::offerUnlock(QMenu* menu, QAction* unlock, const char* before,
                             const std::optional<LockoutEntry>& entry) {
    std::optional<LockState> state;
    try {
        state = ReadLockStateUnderPolicy(RequireComponent()->DbPath(), entry);
    } catch (const std::exception& error) {
        // The menu opens all the same; a lock that cannot be read is not offered.
        qWarning("Could not read the lockout for the menu: %s", error.what());
    }
    menu->removeAction(unlock);
    if (state) {
        menu->insertAction(menu->findChild<QAction*>(QLatin1String(before)), unlock);
    }
    unlock->setEnabled(state && state->locked);
}

void Frm_Manage::LevUnlock_Click() {
    try {
        ClearFailedLogins(DbPathForWriting(), {LockoutKind::Level, selectedLevelStoredName()});
    } catch (const std::exception& error) {
        ShowError(error, LoginTitle);
    }
}

void Frm_Manage::OpUnlock_Click() {
    try {
        QTreeWidgetItem* item = selectedOperatorItem();
        if (!item) {
            throw ObjectNotSetError();
        }
        ClearFailedLogins(DbPathForWriting(), {LockoutKind::Operator, item->text(0)});
    } catch (const std::exception& error) {
        ShowError(error, LoginTitle);
    }
}

} // namespace zav::manage
