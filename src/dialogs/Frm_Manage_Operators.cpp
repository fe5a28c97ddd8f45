// The operator menu of the management window: add, remove, password, and moving an operator to the
// level picked in the level list.

#include "access/DialogHooks.h"
#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "base/SessionGuard.h"
#include "dialogs/Frm_Manage.h"
#include "operations/CredentialDatabase.h"

#include <QTreeWidget>

namespace zav::manage {

void Frm_Manage::OpAdd_Click() {
    const std::optional<QString> name = askForName();
    const std::optional<QString> password = name ? askForNewOperatorPassword(*name) : std::nullopt;
    if (!password) {
        return;
    }
    AddOperator(*name, *password);
    // The new operator stays last until the next refill sorts the list.
    const int count = LV_Operator->topLevelItemCount();
    if (count > 0) {
        LV_Operator->setCurrentItem(LV_Operator->topLevelItem(count - 1));
    }
}

std::optional<QString> Frm_Manage::askForNewOperatorPassword(const QString& name) {
    bool rules = false;
    try {
        rules = ReadPolicy(RequireComponent()->DbPath()).AnyPasswordRule();
    } catch (const std::exception& error) {
        ShowError(error, LoginTitle);
        return std::nullopt;
    }
    if (!rules) {
        return QString();
    }
    auto op = Class_Operator::create();
    op->setOperatorName(name);
    Class_Par par;
    par.LoginMode = LoginModeOperator;
    par.LockOldPWD = true; // a new operator has no password to know
    par.StoreNothing = true;
    access::openChangePasswordDialog(par, nullptr, op);
    return par.Result ? std::optional<QString>(par.Text) : std::nullopt;
}

void Frm_Manage::AddOperator(const QString& name, const QString& password) {
    if (!selectedLevelItem()) {
        return;
    }
    try {
        manage::AddOperator(DbPathForWriting(), selectedLevelTag(), name, selectedLevelStoredName(),
                            password);
        appendOperatorItem(name);
    } catch (const std::exception& error) {
        reportFailure(error, ComponentTitle);
    }
}

void Frm_Manage::OpRemove_Click() {
    try {
        QTreeWidgetItem* item = selectedOperatorItem();
        if (!item) {
            throw ObjectNotSetError();
        }
        RemoveOperator(DbPathForWriting(), item->text(0));
        Lv_Level_ItemClick();
    } catch (const std::exception& error) {
        ShowError(error, LoginTitle);
    }
}

void Frm_Manage::OpPassword_Click() {
    const std::shared_ptr<Class_Operator> op = FindOperator(QString());
    if (!op->OperatorNameText().isEmpty()) {
        op->ChangePassword(true);
    }
}

std::shared_ptr<Class_Operator> Frm_Manage::FindOperator(QString name) {
    auto op = Class_Operator::create();
    try {
        if (name.isEmpty()) {
            QTreeWidgetItem* item = selectedOperatorItem();
            if (!item) {
                throw ObjectNotSetError();
            }
            name = item->text(0);
        }
        const std::optional<OperatorRow> row = FindOperatorRow(RequireComponent()->DbPath(), name);
        if (row) {
            // The operator always gets the level selected in the window, wherever its row belongs.
            op->setcLevel(LoadSelectedLevel());
            if (!op->cLevel()->LevelName().isEmpty()) {
                op->setOperatorName(row->name);
                op->setPassword(row->password);
            }
        }
    } catch (const std::exception& error) {
        ShowError(error, LoginTitle);
    }
    return op;
}

void Frm_Manage::ApplyLevelChange() {
    if (!selectedLevelItem() || sPickOperator.isEmpty()) {
        return;
    }
    // When the level has moved meanwhile, FindOperator refills the lists and finds no operator.
    const std::shared_ptr<Class_Operator> op = FindOperator(sPickOperator);
    const std::shared_ptr<Class_Level> level = LoadSelectedLevel();
    if (level->LevelName().isEmpty() || op->OperatorNameText().isEmpty()) {
        return;
    }
    try {
        MoveOperator(DbPathForWriting(), op->OperatorNameText(), level->ID(), level->DBLevelName());
    } catch (const std::exception& error) {
        // Reported like the other operator operations; the caller still ends the pick mode.
        reportFailure(error, LoginTitle);
    }
}

} // namespace zav::manage
