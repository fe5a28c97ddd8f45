// The two lists of the management window, their pop-up menus and the change-level pick mode.

#include "access/LevelRecord.h"
#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "dialogs/Frm_Manage.h"
#include "dialogs/ListItems.h"
#include "operations/CredentialDatabase.h"

#include "language/TextLookup.h"

#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace zav::manage {

namespace {
constexpr int RightButton = 2;

// The hovered level lights up while a level is being picked.
const QString PickHighlightStyle = QStringLiteral(
    "QTreeView::item:hover { background: palette(highlight); color: palette(highlighted-text); }");

QTreeWidgetItem* selectedItem(const QTreeWidget* list) {
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

bool isLastItem(const QTreeWidget* list, const QTreeWidgetItem* item) {
    return list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) + 1 >= list->topLevelItemCount();
}

QTreeWidgetItem* makeItem(const QString& key, const QString& text, const QIcon& icon) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setIcon(0, icon);
    item->setData(0, ItemKeyRole, key);
    return item;
}

// A level item: key "ID" + the number, the tag the number, and the stored name of the level.
QTreeWidgetItem* makeLevelItem(int id, const QString& storedName, const QString& text, const QIcon& icon) {
    QTreeWidgetItem* item = makeItem(QStringLiteral("ID") + QString::number(id), text, icon);
    item->setData(0, ItemTagRole, id);
    item->setData(0, ItemStoredNameRole, storedName);
    return item;
}

// Lists fill in one go; what was read before a failure is still shown.
template <typename Read> void fillList(QTreeWidget* list, Read read) {
    QList<QTreeWidgetItem*> items;
    try {
        read(items);
    } catch (...) {
        list->addTopLevelItems(items);
        throw;
    }
    list->addTopLevelItems(items);
}
} // namespace

QTreeWidgetItem* Frm_Manage::selectedLevelItem() const {
    return selectedItem(Lv_Level);
}
QTreeWidgetItem* Frm_Manage::selectedOperatorItem() const {
    return selectedItem(LV_Operator);
}

int Frm_Manage::selectedLevelTag() const {
    QTreeWidgetItem* item = selectedLevelItem();
    if (!item) {
        throw ObjectNotSetError();
    }
    return item->data(0, ItemTagRole).toInt();
}

const Class_LevelEnable& Frm_Manage::ownerRights() const {
    if (!cOwnerLevel || !cOwnerLevel->cLevelEnable()) {
        throw ObjectNotSetError();
    }
    return *cOwnerLevel->cLevelEnable();
}

QString Frm_Manage::selectedLevelStoredName() const {
    QTreeWidgetItem* item = selectedLevelItem();
    if (!item) {
        throw ObjectNotSetError();
    }
    return item->data(0, ItemStoredNameRole).toString();
}

void Frm_Manage::reportFailure(const std::exception& error, const QString& title) {
    if (!access::IsLevelChanged(error)) {
        ShowError(error, title);
        return;
    }
    ShowError(error, LoginTitle);
    followRenumbering();
}

void Frm_Manage::followRenumbering() {
    try {
        if (cOwnerLevel) {
            if (const auto id = LevelIdByName(RequireComponent()->DbPath(), cOwnerLevel->DBLevelName())) {
                cOwnerLevel->setID(*id);
            }
        }
        RequireComponent()->FollowRenumbering();
    } catch (const std::exception& error) {
        ShowError(error, LoginTitle);
    }
    FillLevels();
}

void Frm_Manage::selectLevelItem(QTreeWidgetItem* item) {
    const QSignalBlocker blocker(Lv_Level);
    if (item) {
        Lv_Level->setCurrentItem(item);
    } else {
        Lv_Level->clearSelection();
    }
}

QTreeWidgetItem* Frm_Manage::appendLevelItem(int id, const QString& storedName) {
    QTreeWidgetItem* item =
        makeLevelItem(id, storedName, storedName, IL_Manage.value(QStringLiteral("kLevel")));
    Lv_Level->addTopLevelItem(item);
    return item;
}

QTreeWidgetItem* Frm_Manage::appendOperatorItem(const QString& name) {
    QTreeWidgetItem* item = makeItem(name, name, IL_Manage.value(QStringLiteral("kOperator")));
    LV_Operator->addTopLevelItem(item);
    return item;
}

void Frm_Manage::FillLevels() {
    {
        const QSignalBlocker blocker(Lv_Level);
        Lv_Level->clear();
    }
    try {
        const int ownerId = cOwnerLevel ? cOwnerLevel->ID() : 0;
        const QIcon icon = IL_Manage.value(QStringLiteral("kLevel"));
        const QSignalBlocker blocker(Lv_Level);
        fillList(Lv_Level, [&](QList<QTreeWidgetItem*>& items) {
            ForEachLevelBelow(RequireComponent()->DbPath(), ownerId, [&](int id, const QString& storedName) {
                items.append(makeLevelItem(id, storedName, language::TranslateText(storedName), icon));
            });
        });
    } catch (const std::exception& error) {
        ShowError(error, LoginTitle);
    }
    // The list control selects its first item once filled.
    selectLevelItem(Lv_Level->topLevelItem(0));
    Lv_Level_ItemClick();
}

void Frm_Manage::FillOperators(int levelNumber) {
    LV_Operator->clear();
    try {
        const QIcon icon = IL_Manage.value(QStringLiteral("kOperator"));
        fillList(LV_Operator, [&](QList<QTreeWidgetItem*>& items) {
            ForEachOperatorOf(RequireComponent()->DbPath(), levelNumber,
                              [&](const QString& name) { items.append(makeItem(name, name, icon)); });
        });
    } catch (const std::exception& error) {
        ShowError(error, LoginTitle);
    }
}

void Frm_Manage::Lv_Level_ItemClick() {
    QTreeWidgetItem* item = selectedLevelItem();
    if (item) {
        FillOperators(item->data(0, ItemTagRole).toInt());
    } else {
        LV_Operator->clear();
    }
    LV_Operator->setEnabled(item != nullptr);
    updateMenuButtons();
}

std::shared_ptr<Class_Level> Frm_Manage::LoadSelectedLevel() {
    auto level = Class_Level::create();
    try {
        const int id = selectedLevelTag();
        const QString storedName = selectedLevelStoredName();
        // Only the last level listed (the one in force when nobody is logged in) has no password.
        const bool canHavePassword = !isLastItem(Lv_Level, selectedLevelItem());
        if (LoadLevel(RequireComponent()->DbPath(), id, *level)) {
            if (level->DBLevelName() != storedName) {
                throw access::LevelChangedError();
            }
            level->setCanHavePassword(canHavePassword);
        } else if (LevelIdByName(RequireComponent()->DbPath(), storedName)) {
            throw access::LevelChangedError(); // moved to a number of its own
        }
    } catch (const std::exception& error) {
        if (access::IsLevelChanged(error)) {
            level = Class_Level::create();
        }
        reportFailure(error, LoginTitle);
    }
    return level;
}

void Frm_Manage::Lv_Level_MouseUp(int button, int /*shift*/, double /*x*/, double /*y*/) {
    if (bPickLevel) {
        ApplyLevelChange();
        EndLevelPick();
        Lv_Level_ItemClick();
    }
    if (!ownerRights().AllowManageLevel() || button != RightButton) {
        return;
    }
    QTreeWidgetItem* item = selectedLevelItem();
    const auto enable = [this](const char* name, bool on) {
        LevMnu->findChild<QAction*>(QLatin1String(name))->setEnabled(on);
    };
    enable("LevAdd", true);
    enable("LevModify", item != nullptr);
    enable("LevRemove", item != nullptr);
    enable("LevPassword", item != nullptr && !isLastItem(Lv_Level, item));
    // The menu is marked disabled for an empty list, yet still offered so that a level can be added.
    LevMnu->menuAction()->setEnabled(item != nullptr);
    offerUnlock(
        LevMnu, LevUnlock, "LevSep2",
        item ? std::optional<LockoutEntry>({LockoutKind::Level, item->data(0, ItemStoredNameRole).toString()})
             : std::nullopt);
    ShowPopupMenu(LevMnu);
}

void Frm_Manage::LV_Operator_MouseUp(int button, int /*shift*/, double /*x*/, double /*y*/) {
    if (!ownerRights().AllowManageOperator() || button != RightButton) {
        return;
    }
    QTreeWidgetItem* item = selectedOperatorItem();
    for (const char* name : {"OpPassword", "OpRemove", "OpChange"}) {
        OpMnu->findChild<QAction*>(QLatin1String(name))->setEnabled(item != nullptr);
    }
    OpMnu->findChild<QAction*>(QStringLiteral("OpAdd"))->setEnabled(true);
    offerUnlock(OpMnu, OpUnlock, "OpSep2",
                item ? std::optional<LockoutEntry>({LockoutKind::Operator, item->text(0)}) : std::nullopt);
    offerBadge(item != nullptr);
    ShowPopupMenu(OpMnu);
}

void Frm_Manage::OpChange_Click() {
    QTreeWidgetItem* item = selectedOperatorItem();
    if (!item) {
        return;
    }
    setCursor(Qt::ForbiddenCursor);
    Lv_Level->setCursor(Qt::CrossCursor);
    LV_Operator->setEnabled(false);
    Cmd_Ok->setEnabled(false);
    setPickHighlight(true);
    sPickOperator = item->text(0);
    bPickLevel = true;
    updateMenuButtons();
}

void Frm_Manage::EndLevelPick() {
    unsetCursor();
    Lv_Level->unsetCursor();
    LV_Operator->setEnabled(selectedLevelItem() != nullptr);
    Cmd_Ok->setEnabled(true);
    setPickHighlight(false);
    sPickOperator = QString();
    bPickLevel = false;
    updateMenuButtons();
}

void Frm_Manage::setPickHighlight(bool on) {
    Lv_Level->setProperty("HotTracking", on);
    Lv_Level->setMouseTracking(on);
    Lv_Level->setStyleSheet(on ? PickHighlightStyle : QString());
}

} // namespace zav::manage
