// The Badge item of the operator menu: offered while the file's policy takes badges; it opens the badge
// prompt for the selected operator.

#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "dialogs/Frm_Badge.h"
#include "dialogs/Frm_Manage.h"
#include "operations/Policy.h"

#include <QMenu>
#include <QTreeWidget>

namespace zav::manage {

void Frm_Manage::offerBadge(bool operatorSelected) {
    bool badges = false;
    try {
        badges = ReadPolicy(RequireComponent()->DbPath()).badgeLogin;
    } catch (const std::exception& error) {
        // The menu opens all the same, without the badge.
        qWarning("Could not read the policy for the menu: %s", error.what());
    }
    OpMnu->removeAction(OpBadge);
    if (badges) {
        OpMnu->insertAction(OpMnu->findChild<QAction*>(QStringLiteral("OpSep2")), OpBadge);
    }
    OpBadge->setEnabled(operatorSelected);
}

void Frm_Manage::OpBadge_Click() {
    QTreeWidgetItem* item = selectedOperatorItem();
    if (!item) {
        throw ObjectNotSetError();
    }
    Frm_Badge dialog(item->text(0), this);
    dialog.exec();
}

} // namespace zav::manage
