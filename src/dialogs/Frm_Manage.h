#pragma once

// The management window: the levels below the owner's level on the left, the operators of the selected
// level on the right, and pop-up menus on both lists from which levels and operators are added,
// removed, given a password, moved, given rights and, while the policy locks out, unlocked. Every
// change goes straight to the database and the lists are refilled from it.
//
// The opener sets cOwnerLevel, shows the window with exec() and drops it afterwards. Level items carry
// their key and tag in the roles of manage/ListItems.h. While the policy takes badges, the operator menu
// offers the selected operator's badge as well.

#include "dialogs/FormDialog.h"
#include "operations/Lockout.h"
#include <ZAV_PrjLogin/Class_Level.h>
#include <ZAV_PrjLogin/Class_Operator.h>

#include <QHash>
#include <QIcon>
#include <QPoint>
#include <memory>
#include <optional>

class QGroupBox;
class QLabel;
class QMenu;
class QAction;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zav::manage {

class Frm_Manage : public FormDialog {
    Q_OBJECT

public:
    // The designed client size in twips; in touch-screen mode the most the window takes.
    static constexpr double DesignedWidthTwips = 12000;
    static constexpr double DesignedHeightTwips = 9465;

    explicit Frm_Manage(QWidget* parent = nullptr);
    ~Frm_Manage() override;

    // The level whose rights govern the window; set before the window is shown. When the window
    // renumbers the levels, the owner takes the number its stored name has now.
    std::shared_ptr<Class_Level> cOwnerLevel;

    // The change-level pick mode: active, and the operator being moved.
    bool IsPickingLevel() const { return bPickLevel; }
    QString PickOperator() const { return sPickOperator; }

    // The procedures the handlers use; public so that tests can drive them.
    void FillLevels();
    void FillOperators(int levelNumber);
    void EndLevelPick();
    // The level of the selected row as stored (a new, empty level when the row is gone); shows a
    // failure titled "Login" and returns the level as far as it was filled. When the row's number
    // belongs to another level now, says so, refills the lists and returns a new, empty level.
    std::shared_ptr<Class_Level> LoadSelectedLevel();
    // The operator named `name` ("" = the selected operator) with the selected level as its level;
    // an operator with an empty name when there is no such row.
    std::shared_ptr<Class_Operator> FindOperator(QString name);
    void AddLevel(const QString& name);
    void RenumberLevels();
    void AddOperator(const QString& name, const QString& password = QString());
    void ApplyLevelChange();

public slots:
    void Cmd_Ok_Click();
    // Key code 27 (Escape) ends the pick mode.
    void Form_KeyUp(int keyCode, int shift);
    // Shows the operators of the selected level (the item argument of the classic event is not used).
    void Lv_Level_ItemClick();
    // Buttons: 1 left, 2 right; x and y in twips over the list.
    void Lv_Level_MouseUp(int button, int shift, double x, double y);
    void LV_Operator_MouseUp(int button, int shift, double x, double y);
    void LevAdd_Click();
    void LevModify_Click();
    void LevPassword_Click();
    void LevRemove_Click();
    void OpAdd_Click();
    void OpPassword_Click();
    void OpRemove_Click();
    void OpChange_Click();
    void LevUnlock_Click();
    void OpUnlock_Click();
    void OpBadge_Click();

protected:
    // Shows a pop-up menu at the pointer (in touch-screen mode at the finger, or below the menu button
    // that asked for it) and returns when it has closed.
    virtual void ShowPopupMenu(QMenu* menu);
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load() override;
    void buildControls();
    void buildMenus();
    QAction* addMenuItem(QMenu* menu, const QString& name, const QString& caption, const QString& tag,
                         void (Frm_Manage::*handler)());
    // Shows the name entry dialog: the confirmed name, or nothing when it was cancelled.
    std::optional<QString> askForName();
    // While the policy sets password rules, the password dialog asks for the password of operator
    // `name` before it is added (nothing when cancelled or the policy could not be read, which is
    // shown); without rules, no password.
    std::optional<QString> askForNewOperatorPassword(const QString& name);
    QTreeWidgetItem* selectedLevelItem() const;
    QTreeWidgetItem* selectedOperatorItem() const;
    // The selected level's tag; fails with automation error 91 when no level is selected.
    int selectedLevelTag() const;
    // The rights of the owner's level; fails with automation error 91 when the owner or its rights
    // object is missing (a host may assign Nothing).
    const Class_LevelEnable& ownerRights() const;
    // The stored name of the level the selected row means.
    QString selectedLevelStoredName() const;
    // Shows a failure under `title`; a level changed elsewhere is shown titled "Login" and the lists
    // are refilled from the file.
    void reportFailure(const std::exception& error, const QString& title);
    // After levels were renumbered: the owner, the component's current level and its logout level
    // follow, and the lists are refilled.
    void followRenumbering();
    // The level item for a level stored under `storedName`, listed under that name.
    QTreeWidgetItem* appendLevelItem(int id, const QString& storedName);
    QTreeWidgetItem* appendOperatorItem(const QString& name);
    void selectLevelItem(QTreeWidgetItem* item);
    void setPickHighlight(bool on);
    void watchKeys(QWidget* widget);
    // Touch-screen mode (Frm_Manage_Touch.cpp): the menu buttons under the lists, press-and-hold on the
    // lists, and a layout that fits the screen.
    void addMenuButtons();
    void arrangeForTouch();
    void fitToScreen();
    // Enables each menu button exactly when a right click on its list would open the menu, except that
    // the level menu waits while a level is being picked (a tap on a level ends that).
    void updateMenuButtons();
    // Runs a list's mouse-up handler as a right click whose menu opens at `globalPos`.
    void openMenuAt(bool levelList, QPoint globalPos);
    // Frm_Manage_Unlock.cpp: puts `unlock` into `menu` before the item named `before` while the file's
    // policy locks out (else takes it out), enabled when `entry` is locked.
    void offerUnlock(QMenu* menu, QAction* unlock, const char* before,
                     const std::optional<LockoutEntry>& entry);
    // Frm_Manage_Badge.cpp: puts the badge item into the operator menu while the file's policy takes
    // badges (else takes it out), enabled when an operator is selected.
    void offerBadge(bool operatorSelected);

    QGroupBox* Fra_Current;
    QLabel* Im_Level;
    QLabel* Lbl_Level;
    QGroupBox* Fra_Level;
    QTreeWidget* Lv_Level;
    QGroupBox* Frame1;
    QTreeWidget* LV_Operator;
    QPushButton* Cmd_Ok;
    QPushButton* Cmd_LevMenu = nullptr; // touch-screen mode only
    QPushButton* Cmd_OpMenu = nullptr;
    QHash<QString, QIcon> IL_Manage;
    QMenu* LevMnu;
    QMenu* OpMnu;
    QAction* LevUnlock; // in its menu only while the policy locks out
    QAction* OpUnlock;
    QAction* OpBadge; // in its menu only while the policy takes badges

    bool bPickLevel = false;
    QString sPickOperator;
    // Where the next pop-up menu opens instead of at the pointer, which a finger does not move.
    std::optional<QPoint> menuPosition;
};

} // namespace zav::manage
