// The level menu of the management window: add, remove, password, rights, and the renumbering.

#include "base/SessionGuard.h"

#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "dialogs/Frm_LevModify.h"
#include "dialogs/Frm_Manage.h"
#include "operations/CredentialDatabase.h"

#include <QTreeWidget>

namespace zav::manage {

void Frm_Manage::LevAdd_Click() {
    const std::optional<QString> name = askForName();
    if (!name) {
        return;
    }
    AddLevel(*name);
    // Show the (empty) operator list of the level just appended.
    const int count = Lv_Level->topLevelItemCount();
    selectLevelItem(count > 0 ? Lv_Level->topLevelItem(count - 1) : nullptr);
    Lv_Level_ItemClick();
}

void Frm_Manage::AddLevel(const QString& name) {
    try {
        const int id = manage::AddLevel(DbPathForWriting(), name);
        // Listed under the name as entered; a new level holds no rights, so it takes the last place.
        appendLevelItem(id, name);
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

void Frm_Manage::LevRemove_Click() {
    try {
        // The level's operators go with it; the rest are renumbered in the same step.
        RemoveLevel(DbPathForWriting(), selectedLevelTag(), selectedLevelStoredName());
    } catch (const std::exception& error) {
        reportFailure(error, LoginTitle);
        return;
    }
    followRenumbering();
}

void Frm_Manage::RenumberLevels() {
    try {
        manage::RenumberLevels(DbPathForWriting());
    } catch (const std::exception& error) {
        ShowError(error, LoginTitle);
        return;
    }
    followRenumbering();
}

void Frm_Manage::LevPassword_Click() {
    const std::shared_ptr<Class_Level> level = LoadSelectedLevel();
    if (level->LevelName().isEmpty() || !level->CanHavePassword() || level->ChangePassword(true)) {
        return;
    }
    // Not saved: when the level has moved meanwhile (the dialog said so), the lists are refilled.
    auto stored = Class_Level::create();
    if (!LoadLevel(RequireComponent()->DbPath(), level->ID(), *stored) ||
        stored->DBLevelName() != level->DBLevelName()) {
        followRenumbering();
    }
}

void Frm_Manage::LevModify_Click() {
    auto edited = Class_LevelEnable::create();
    int id = 0;
    QString storedName;
    QString title;
    bool found = false;
    try {
        id = selectedLevelTag();
        storedName = selectedLevelStoredName();
        title = selectedLevelItem()->text(0);
        found = ReadLevelRights(RequireComponent()->DbPath(), id, storedName, *edited);
    } catch (const std::exception& error) {
        reportFailure(error, LoginTitle);
        return;
    }
    bool confirmed = false;
    if (found) {
        auto par = std::make_shared<Class_Par>();
        par->Title = title;
        Frm_LevModify dialog(this);
        dialog.cPar = par;
        dialog.cOwnerEnable = cOwnerLevel ? cOwnerLevel->cLevelEnable() : nullptr;
        dialog.cEditEnable = edited;
        dialog.exec();
        confirmed = par->Result;
    }
    if (!confirmed) {
        // Undo, or the row has gone: nothing is written, the levels are still put in order.
        RenumberLevels();
        return;
    }
    try {
        StoreLevelRights(DbPathForWriting(), id, storedName, *edited);
    } catch (const std::exception& error) {
        reportFailure(error, LoginTitle);
        return;
    }
    followRenumbering();
}

} // namespace zav::manage
