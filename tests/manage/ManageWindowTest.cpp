// The management window driven offscreen: its lists, menus, pick mode and the level and operator
// operations started from it, checked against the credential file.

#include "access/DialogHooks.h"
#include "dialogs/Frm_LevModify.h"
#include "dialogs/Frm_Manage.h"
#include "dialogs/Frm_Name.h"
#include "dialogs/ListItems.h"
#include "dialogs/ShowManageWindow.h"
#include "operations/LevelOperations.h"
#include "operations/OperatorOperations.h"
#include "store/Schema.h"
#include "support/ComponentSession.h"
#include "support/FaultyEngine.h"
#include "support/PopupCatchers.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <thread>

using namespace zav;
using namespace zav::manage;
using zav::test::ComponentSession;
using zav::test::LevelSpec;

namespace {

// 0 and 1 built in, then a level that manages operators only and two without rights.
std::vector<LevelSpec> standardLevels() {
    return {test::AllRights(0, "|0"),
            {1, "|1", true, true},
            {2, "Service", false, true},
            {3, "Operators"},
            {4, "Guest"}};
}

std::vector<std::pair<QString, int>> standardOperators() {
    return {{"adam", 2}, {"bea", 2}, {"carl", 3}};
}

QStringList texts(const QTreeWidget* list) {
    QStringList result;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        result << list->topLevelItem(i)->text(0);
    }
    return result;
}

QTreeWidgetItem* itemWithText(const QTreeWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

void click(QTreeWidget* list, const QString& text, Qt::MouseButton button = Qt::LeftButton) {
    QTreeWidgetItem* item = itemWithText(list, text);
    const QPoint where =
        item ? list->visualItemRect(item).center() : QPoint(10, list->viewport()->height() - 5);
    QTest::mouseClick(list->viewport(), button, {}, where);
    QCoreApplication::processEvents(); // the window answers once the list has handled the click
}

struct PasswordRequest {
    int loginMode = -1;
    bool lockOldPwd = false;
    QString levelName;
    bool levelCanHavePassword = false;
    QString operatorName;
};

} // namespace

class ManageWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ComponentSession> session;
    std::unique_ptr<Frm_Manage> window;
    std::unique_ptr<test::PopupCatcher> popups;
    std::unique_ptr<test::ModalWatchdog> watchdog;
    QList<PasswordRequest> passwordRequests;

    QTreeWidget* levels() const { return window->findChild<QTreeWidget*>(QStringLiteral("Lv_Level")); }
    QTreeWidget* operators() const { return window->findChild<QTreeWidget*>(QStringLiteral("LV_Operator")); }
    QPushButton* okButton() const { return window->findChild<QPushButton*>(QStringLiteral("Cmd_Ok")); }

    void start(std::vector<LevelSpec> levelSpecs, int ownerId) {
        session = std::make_unique<ComponentSession>(levelSpecs, standardOperators());
        session->language->texts.insert(101, QStringLiteral("Level one"));
        open(session->level(ownerId));
    }

    void open(std::shared_ptr<Class_Level> owner) {
        window = std::make_unique<Frm_Manage>();
        window->cOwnerLevel = std::move(owner);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    // Starts moving an operator of "Service" to another level.
    void pickOperatorOfService(const QString& name) {
        click(levels(), QStringLiteral("Service"));
        click(operators(), name);
        window->OpChange_Click();
    }

    // Answers the next name dialog with `name`, or cancels it when `name` is empty.
    static void answerNameDialog(const QString& name) {
        test::whenModal<Frm_Name>([name](Frm_Name* dialog) {
            if (name.isEmpty()) {
                dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Undo"))->click();
                return;
            }
            dialog->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(name);
            dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"))->click();
        });
    }

private slots:
    void init() {
        popups = std::make_unique<test::PopupCatcher>();
        watchdog = std::make_unique<test::ModalWatchdog>(10000);
        passwordRequests.clear();
        access::setChangePasswordOpener([this](Class_Par& par, const std::shared_ptr<Class_Level>& level,
                                               const std::shared_ptr<Class_Operator>& op) {
            PasswordRequest request;
            request.loginMode = par.LoginMode;
            request.lockOldPwd = par.LockOldPWD;
            if (level) {
                request.levelName = level->LevelName();
                request.levelCanHavePassword = level->CanHavePassword();
            }
            if (op) {
                request.operatorName = op->OperatorNameText();
                request.levelName = op->cLevel() ? op->cLevel()->LevelName() : QString();
            }
            passwordRequests.append(request);
        });
    }

    void cleanup() {
        window.reset();
        session.reset();
        popups.reset();
        watchdog.reset();
        access::setChangePasswordOpener(nullptr);
        access::setManageWindowOpener(nullptr);
    }

    void lowestLevelSeesAnEmptyWindowAndMayOnlyAdd() {
        start(standardLevels(), 4);
        window->cOwnerLevel->cLevelEnable()->setAllowManageLevel(true);
        QCOMPARE(window->windowTitle(), QStringLiteral("Login Management"));
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Lbl_Level"))->text(), QStringLiteral("Guest"));
        QCOMPARE(levels()->headerItem()->text(0), QStringLiteral("Levels"));
        QCOMPARE(operators()->headerItem()->text(0), QStringLiteral("Operators"));
        QCOMPARE(levels()->topLevelItemCount(), 0);
        QCOMPARE(operators()->topLevelItemCount(), 0);
        QVERIFY(!operators()->isEnabled());

        click(levels(), QString(), Qt::RightButton);
        QCOMPARE(popups->menus.size(), 1);
        const test::ShownMenu menu = popups->menus.first();
        QCOMPARE(menu.name, QStringLiteral("LevMnu"));
        QVERIFY(!menu.menuEnabled);
        QVERIFY(menu.itemsEnabled.value(QStringLiteral("LevAdd")));
        QVERIFY(!menu.itemsEnabled.value(QStringLiteral("LevModify")));
        QVERIFY(!menu.itemsEnabled.value(QStringLiteral("LevPassword")));
        QVERIFY(!menu.itemsEnabled.value(QStringLiteral("LevRemove")));
    }

    void topLevelListsEveryOtherLevelWithKeysAndTags() {
        start(standardLevels(), 0);
        QCOMPARE(texts(levels()), (QStringList{"Level one", "Service", "Operators", "Guest"}));
        QTreeWidgetItem* service = itemWithText(levels(), QStringLiteral("Service"));
        QCOMPARE(service->data(0, ItemKeyRole).toString(), QStringLiteral("ID2"));
        QCOMPARE(service->data(0, ItemTagRole).toInt(), 2);
        // The first level is selected once the list is filled, and shows its (empty) operator list.
        QCOMPARE(levels()->selectedItems().value(0), levels()->topLevelItem(0));
        QVERIFY(operators()->isEnabled());
        QCOMPARE(operators()->topLevelItemCount(), 0);

        click(levels(), QStringLiteral("Service"));
        QCOMPARE(texts(operators()), (QStringList{"adam", "bea"}));
        QCOMPARE(operators()->topLevelItem(0)->data(0, ItemKeyRole).toString(), QStringLiteral("adam"));
        QVERIFY(popups->menus.isEmpty()); // a left click never offers a menu
    }

    void menusFollowTheSelectionAndTheOwnersRights() {
        start(standardLevels(), 1);
        click(levels(), QStringLiteral("Service"), Qt::RightButton);
        click(levels(), QStringLiteral("Guest"), Qt::RightButton);
        QCOMPARE(popups->menus.size(), 2);
        QVERIFY(popups->menus[0].menuEnabled);
        QVERIFY(popups->menus[0].itemsEnabled.value(QStringLiteral("LevPassword")));
        // The last level, in force when nobody is logged in, never gets a password.
        QVERIFY(popups->menus[1].menuEnabled);
        QVERIFY(!popups->menus[1].itemsEnabled.value(QStringLiteral("LevPassword")));
        QVERIFY(popups->menus[1].itemsEnabled.value(QStringLiteral("LevModify")));
        QVERIFY(popups->menus[1].itemsEnabled.value(QStringLiteral("LevRemove")));

        click(levels(), QStringLiteral("Operators"));
        operators()->clearSelection();
        click(operators(), QString(), Qt::RightButton);
        click(operators(), QStringLiteral("carl"), Qt::RightButton);
        QCOMPARE(popups->menus.size(), 4);
        const QMap<QString, bool> none = popups->menus[2].itemsEnabled;
        const QMap<QString, bool> all = popups->menus[3].itemsEnabled;
        QCOMPARE(popups->menus[2].name, QStringLiteral("OpMnu"));
        QVERIFY(none.value(QStringLiteral("OpAdd")) && all.value(QStringLiteral("OpAdd")));
        for (const QString& item :
             {QStringLiteral("OpPassword"), QStringLiteral("OpRemove"), QStringLiteral("OpChange")}) {
            QVERIFY2(!none.value(item), qPrintable(item));
            QVERIFY2(all.value(item), qPrintable(item));
        }

        // Without the matching right a right click offers nothing.
        window->cOwnerLevel->cLevelEnable()->setAllowManageLevel(false);
        click(levels(), QStringLiteral("Service"), Qt::RightButton);
        QCOMPARE(popups->menus.size(), 4);
        click(operators(), QString(), Qt::RightButton);
        QCOMPARE(popups->menus.size(), 5);
        window->cOwnerLevel->cLevelEnable()->setAllowManageOperator(false);
        click(operators(), QString(), Qt::RightButton);
        QCOMPARE(popups->menus.size(), 5);
    }

    void escapeLeavesThePickModeWithoutWriting() {
        start(standardLevels(), 1);
        QTest::keyRelease(window.get(), Qt::Key_Escape); // outside the pick mode: nothing
        QVERIFY(window->isVisible());
        window->OpChange_Click(); // no operator selected: nothing
        QVERIFY(!window->IsPickingLevel());

        pickOperatorOfService(QStringLiteral("adam"));
        QVERIFY(window->IsPickingLevel());
        QCOMPARE(window->PickOperator(), QStringLiteral("adam"));
        QCOMPARE(window->cursor().shape(), Qt::ForbiddenCursor);
        QCOMPARE(levels()->cursor().shape(), Qt::CrossCursor);
        QVERIFY(levels()->property("HotTracking").toBool());
        QVERIFY(!operators()->isEnabled());
        QVERIFY(!okButton()->isEnabled());
        QTest::mouseClick(okButton(), Qt::LeftButton);
        QVERIFY(window->isVisible());

        QWidget* focus = QApplication::focusWidget();
        QTest::keyRelease(focus && window->isAncestorOf(focus) ? focus : window.get(), Qt::Key_Escape);
        QVERIFY(!window->IsPickingLevel());
        QCOMPARE(window->PickOperator(), QString());
        QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!levels()->property("HotTracking").toBool());
        QVERIFY(operators()->isEnabled());
        QVERIFY(okButton()->isEnabled());
        QCOMPARE(session->file.operatorLevels().at(QStringLiteral("adam")), 2);
        QVERIFY(popups->messages.isEmpty());
    }

    void aPickMovesTheOperatorToTheClickedLevel() {
        start(standardLevels(), 1);
        pickOperatorOfService(QStringLiteral("adam"));
        click(levels(), QStringLiteral("Operators"));
        QVERIFY(!window->IsPickingLevel());
        QCOMPARE(session->file.operatorLevels().at(QStringLiteral("adam")), 3);
        QCOMPARE(levels()->selectedItems().value(0)->text(0), QStringLiteral("Operators"));
        QCOMPARE(texts(operators()), (QStringList{"adam", "carl"}));
        QVERIFY(operators()->isEnabled());
        QVERIFY(popups->messages.isEmpty());
    }

    void aFailedMoveIsReportedAndStillEndsThePick() {
        start(standardLevels(), 1);
        pickOperatorOfService(QStringLiteral("bea"));
        test::FaultyEngine faults;
        faults.failExecuteContaining = QStringLiteral("Update Operators Set ID = 3 where Name = 'bea'");
        click(levels(), QStringLiteral("Operators"));
        QCOMPARE(popups->messages.size(), 1);
        QCOMPARE(popups->messages[0].title, QStringLiteral("Login"));
        QCOMPARE(popups->messages[0].icon, QMessageBox::Warning);
        QVERIFY(popups->messages[0].text.contains(QStringLiteral("injected fault")));
        QVERIFY(!window->IsPickingLevel());
        QVERIFY(okButton()->isEnabled());
        QCOMPARE(session->file.operatorLevels().at(QStringLiteral("bea")), 2);
    }

    void addingLevelsNumbersThemLastAndRefusesDuplicates() {
        start(standardLevels(), 1);
        answerNameDialog(QStringLiteral("Night shift"));
        window->LevAdd_Click();
        QCOMPARE(session->file.levels().at(QStringLiteral("Night shift")).id, 5);
        QTreeWidgetItem* added = levels()->topLevelItem(levels()->topLevelItemCount() - 1);
        QCOMPARE(added->text(0), QStringLiteral("Night shift"));
        QCOMPARE(added->data(0, ItemKeyRole).toString(), QStringLiteral("ID5"));
        QCOMPARE(added->data(0, ItemTagRole).toInt(), 5);
        QCOMPARE(levels()->selectedItems().value(0), added);
        QCOMPARE(operators()->topLevelItemCount(), 0);
        QVERIFY(operators()->isEnabled());

        answerNameDialog(QStringLiteral("SERVICE"));
        window->LevAdd_Click();
        QCOMPARE(popups->messages.size(), 1);
        QCOMPARE(popups->messages[0].title, QStringLiteral("ZAV_PrjLogin"));
        QCOMPARE(popups->messages[0].icon, QMessageBox::Warning);
        answerNameDialog(QString());
        window->LevAdd_Click();
        QCOMPARE(session->file.levelIds(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
        QCOMPARE(levels()->topLevelItemCount(), 4);
    }

    void removingALevelTakesItsOperatorsAndRenumbers() {
        start(standardLevels(), 1);
        click(levels(), QStringLiteral("Service"));
        // Reached through the menu item, as a user would.
        window->findChild<QMenu*>(QStringLiteral("LevMnu"))
            ->findChild<QAction*>(QStringLiteral("LevRemove"))
            ->trigger();
        QCOMPARE(session->file.levelIds(), (std::vector<int>{0, 1, 2, 3}));
        QCOMPARE(session->file.levels().at(QStringLiteral("Guest")).id, 3);
        QCOMPARE(session->file.operatorLevels(), (std::map<QString, int>{{"carl", 2}}));
        QCOMPARE(texts(levels()), (QStringList{"Operators", "Guest"}));
        QCOMPARE(levels()->topLevelItem(1)->data(0, ItemTagRole).toInt(), 3);
        QVERIFY(popups->messages.isEmpty());
    }

    void theLastLevelGetsNoPassword() {
        start(standardLevels(), 1);
        click(levels(), QStringLiteral("Guest"));
        window->LevPassword_Click();
        QVERIFY(passwordRequests.isEmpty());
        QVERIFY(!window->LoadSelectedLevel()->CanHavePassword());

        click(levels(), QStringLiteral("Service"));
        window->LevPassword_Click();
        QCOMPARE(passwordRequests.size(), 1);
        QCOMPARE(passwordRequests[0].loginMode, LoginModeLevel);
        QVERIFY(passwordRequests[0].lockOldPwd);
        QCOMPARE(passwordRequests[0].levelName, QStringLiteral("Service"));
        QVERIFY(passwordRequests[0].levelCanHavePassword);
    }

    void operatorsAreAddedRemovedAndGivenPasswords() {
        start(standardLevels(), 1);
        click(levels(), QStringLiteral("Service"));
        answerNameDialog(QStringLiteral("aaron"));
        window->OpAdd_Click();
        // Appended last and selected; the next refill sorts it.
        QCOMPARE(texts(operators()), (QStringList{"adam", "bea", "aaron"}));
        QCOMPARE(operators()->selectedItems().value(0)->text(0), QStringLiteral("aaron"));
        QCOMPARE(session->file.operatorLevels().at(QStringLiteral("aaron")), 2);

        answerNameDialog(QStringLiteral("CARL")); // exists in another level
        window->OpAdd_Click();
        QCOMPARE(popups->messages.size(), 1);
        QCOMPARE(popups->messages[0].title, QStringLiteral("ZAV_PrjLogin"));
        QCOMPARE(operators()->topLevelItemCount(), 3);
        QCOMPARE(session->file.operatorLevels().size(), size_t{4});

        click(operators(), QStringLiteral("bea"));
        window->OpRemove_Click();
        QCOMPARE(texts(operators()), (QStringList{"aaron", "adam"}));
        QCOMPARE(session->file.operatorLevels().count(QStringLiteral("bea")), size_t{0});

        click(operators(), QStringLiteral("adam"));
        window->OpPassword_Click();
        QCOMPARE(passwordRequests.size(), 1);
        QCOMPARE(passwordRequests[0].loginMode, LoginModeOperator);
        QVERIFY(passwordRequests[0].lockOldPwd);
        QCOMPARE(passwordRequests[0].operatorName, QStringLiteral("adam"));
        QCOMPARE(passwordRequests[0].levelName, QStringLiteral("Service"));

        // The row disappears behind the window's back: nothing happens.
        RemoveOperator(session->file.path(), QStringLiteral("adam"));
        window->OpPassword_Click();
        QCOMPARE(passwordRequests.size(), 1);
        QCOMPARE(popups->messages.size(), 1);
    }

    void modifyingALevelStoresItsRightsAndRenumbers() {
        auto rows = standardLevels();
        rows.push_back({9, "Spare"});
        start(rows, 0);
        click(levels(), QStringLiteral("Guest"));
        test::whenModal<Frm_LevModify>([](Frm_LevModify* dialog) {
            QVERIFY(dialog->windowTitle().endsWith(QStringLiteral(" - Guest")));
            dialog->findChild<QCheckBox*>(QStringLiteral("Check_Manage(0)"))->setChecked(true);
            dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"))->click();
        });
        window->LevModify_Click();
        // Guest now manages levels: below 0 and 1 (they also manage operators), above Service.
        const auto stored = session->file.levels();
        QCOMPARE(stored.at(QStringLiteral("Guest")).id, 2);
        QCOMPARE(stored.at(QStringLiteral("Service")).id, 3);
        QCOMPARE(stored.at(QStringLiteral("Spare")).id, 5);
        QVERIFY(session->file.levelFlag(2, store::FieldManageLevel));
        QCOMPARE(texts(levels()), (QStringList{"Level one", "Guest", "Service", "Operators", "Spare"}));
        QCOMPARE(session->file.operatorLevels().at(QStringLiteral("adam")), 3);
    }

    void undoOrAMissingRowStillRenumbersAndAFailureChangesNothing() {
        auto rows = standardLevels();
        rows.push_back({9, "Spare"});
        start(rows, 0);
        click(levels(), QStringLiteral("Spare"));
        test::whenModal<Frm_LevModify>([](Frm_LevModify* dialog) {
            dialog->findChild<QCheckBox*>(QStringLiteral("Check_Manage(1)"))->setChecked(true);
            dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Undo"))->click();
        });
        window->LevModify_Click();
        QCOMPARE(session->file.levelIds(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
        QVERIFY(!session->file.levelFlag(5, store::FieldManageOperator));

        // A failing renumbering rolls the stored row back too.
        click(levels(), QStringLiteral("Spare"));
        {
            test::FaultyEngine faults;
            faults.failKeyChanges = true;
            test::whenModal<Frm_LevModify>([](Frm_LevModify* dialog) {
                dialog->findChild<QCheckBox*>(QStringLiteral("Check_Manage(0)"))->setChecked(true);
                dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"))->click();
            });
            window->LevModify_Click();
        }
        QCOMPARE(popups->messages.size(), 1);
        QCOMPARE(popups->messages[0].title, QStringLiteral("Login"));
        QVERIFY(!session->file.levelFlag(5, store::FieldManageLevel));
        QCOMPARE(session->file.levels().at(QStringLiteral("Spare")).id, 5);

        // The selected row has gone: no dialog, the rest is renumbered.
        click(levels(), QStringLiteral("Operators"));
        popups->dialogs.clear();
        {
            test::CredentialFile& file = session->file;
            auto db = store::DefaultEngine().OpenDatabase(file.path(), store::OpenMode::SharedReadWrite,
                                                          store::ConnectString);
            db->Execute(QStringLiteral("Delete * from Levels where ID = 3"));
        }
        window->LevModify_Click();
        QVERIFY(popups->dialogs.isEmpty());
        QCOMPARE(session->file.levelIds(), (std::vector<int>{0, 1, 2, 3, 4}));
        QCOMPARE(texts(levels()), (QStringList{"Level one", "Service", "Guest", "Spare"}));

        // Nothing selected: reported under "Login", nothing shown or renumbered.
        levels()->clearSelection();
        window->LevModify_Click();
        QVERIFY(popups->dialogs.isEmpty());
        QCOMPARE(popups->messages.size(), 2);
        QCOMPARE(popups->messages[1].title, QStringLiteral("Login"));
    }

    void aLevelChangedElsewhereIsNotWrittenAndTheListsAreRefilled() {
        start(standardLevels(), 1);
        const auto idsByName = [this] {
            std::map<QString, int> ids;
            for (const auto& [name, level] : session->file.levels()) {
                ids[name] = level.id;
            }
            return ids;
        };
        auto managesOperators = Class_LevelEnable::create();
        managesOperators->setAllowManageOperator(true);
        const std::vector<std::function<void()>> actions{[this] { window->LevRemove_Click(); },
                                                         [this] { window->LevModify_Click(); },
                                                         [this] { window->LevPassword_Click(); },
                                                         [this] {
                                                             answerNameDialog(QStringLiteral("olga"));
                                                             window->OpAdd_Click();
                                                         }};
        for (const auto& action : actions) {
            open(session->level(1));
            click(levels(), QStringLiteral("Operators"));
            // Elsewhere a level that manages operators is added and ranked above "Operators".
            const QString above = QStringLiteral("Above %1").arg(popups->messages.size());
            const QString path = session->file.path();
            QVERIFY(StoreLevelRights(path, AddLevel(path, above), above, *managesOperators));
            const auto ids = idsByName();
            const auto operatorLevels = session->file.operatorLevels();
            const qsizetype shown = popups->messages.size();
            action();
            QCOMPARE(popups->messages.size(), shown + 1);
            QCOMPARE(popups->messages.last().title, QStringLiteral("Login"));
            QCOMPARE(popups->messages.last().text, QStringLiteral("The level was changed elsewhere."));
            QVERIFY(!popups->dialogs.contains(QStringLiteral("Frm_LevModify")));
            QVERIFY(passwordRequests.isEmpty());
            QCOMPARE(idsByName(), ids);
            QCOMPARE(session->file.operatorLevels(), operatorLevels);
            QCOMPARE(itemWithText(levels(), QStringLiteral("Operators"))->data(0, ItemTagRole).toInt(),
                     ids.at(QStringLiteral("Operators")));
        }
    }

    void afterItsOwnRenumberingTheOwnerAndTheCurrentLevelFollow() {
        start({test::AllRights(0, "|0"),
               {1, "|1", true, true},
               {2, "Chief", true},
               {3, "Deputy", true, true},
               {4, "Guest"},
               {5, "Spare"}},
              2);
        // Logged in at "Chief", whose window this is (an object of its own).
        session->component->setCurrentLevel(session->level(2));
        QCOMPARE(texts(levels()), (QStringList{"Deputy", "Guest", "Spare"}));
        QVERIFY(!session->component->IsLogoutLevel());
        // Each removal renumbers: "Deputy", holding more rights, takes 2 and "Chief" 3.
        click(levels(), QStringLiteral("Spare"));
        window->LevRemove_Click();
        QCOMPARE(window->cOwnerLevel->ID(), 3);
        QCOMPARE(texts(levels()), QStringList{"Guest"});
        QVERIFY(!session->component->IsLogoutLevel());
        click(levels(), QStringLiteral("Guest"));
        window->LevRemove_Click();
        // "Chief" now has the largest number: it is the logout level.
        QCOMPARE(session->file.levels().at(QStringLiteral("Chief")).id, 3);
        QCOMPARE(session->component->CurrentLevel()->ID(), 3);
        QCOMPARE(levels()->topLevelItemCount(), 0);
        QVERIFY(session->component->IsLogoutLevel());
        QVERIFY(popups->messages.isEmpty());
    }

    void whatAMenuItemSelectsStaysSelected() {
        start(standardLevels(), 1);
        const auto choose = [this](QTreeWidget* list, const QString& item, const char* menuItem) {
            click(list, item); // the item the menu is opened on is selected already
            popups->chooseItem = QLatin1String(menuItem);
            click(list, item, Qt::RightButton);
        };
        const auto selected = [](const QTreeWidget* list) {
            return list->selectedItems().isEmpty() ? QString() : list->selectedItems().first()->text(0);
        };
        answerNameDialog(QStringLiteral("aaron"));
        choose(operators(), QStringLiteral("bea"), "OpAdd");
        QCOMPARE(selected(operators()), QStringLiteral("aaron"));
        answerNameDialog(QStringLiteral("Night shift"));
        choose(levels(), QStringLiteral("Service"), "LevAdd");
        QCOMPARE(selected(levels()), QStringLiteral("Night shift"));
        QCOMPARE(operators()->topLevelItemCount(), 0);
        choose(levels(), QStringLiteral("Operators"), "LevRemove");
        QCOMPARE(texts(levels()), (QStringList{"Service", "Guest", "Night shift"}));
        QCOMPARE(selected(levels()), QStringLiteral("Service")); // the first, as after every refill
        QCOMPARE(texts(operators()), (QStringList{"aaron", "adam", "bea"}));
    }

    void anOwnerWithoutItsRightsObjectIsReported() {
        if (!test::InChild()) {
            QVERIFY(test::RanCleanlyInChild(QTest::currentTestFunction()));
            return;
        }
        start(standardLevels(), 1);
        window->cOwnerLevel->setcLevelEnable(nullptr);
        click(levels(), QStringLiteral("Service"), Qt::RightButton);
        click(operators(), QStringLiteral("adam"), Qt::RightButton);
        test::whenModal<Frm_LevModify>([](Frm_LevModify* dialog) {
            dialog->findChild<QCheckBox*>(QStringLiteral("Check_Manage(0)"))->setChecked(true);
            dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"))->click();
        });
        window->LevModify_Click();
        QVERIFY(popups->menus.isEmpty());
        QCOMPARE(popups->messages.size(), 3);
        for (qsizetype i = 0; i < 3; ++i) {
            QCOMPARE(popups->messages[i].text,
                     QStringLiteral("Object variable or With block variable not set"));
            QCOMPARE(popups->messages[i].title,
                     i < 2 ? QStringLiteral("ZAV_PrjLogin") : QStringLiteral("Login"));
        }
        QVERIFY(!session->file.levelFlag(session->file.levels().at(QStringLiteral("Service")).id,
                                         store::FieldManageLevel));
    }

    void aComponentReleasedOnAnotherThreadIsNeitherReachedNorAsked() {
        if (!test::InChild()) {
            QVERIFY(test::RanCleanlyInChild(QTest::currentTestFunction()));
            return;
        }
        session = std::make_unique<ComponentSession>(standardLevels(), standardOperators());
        session->component->setAutoShutDown(true);
        session->component->CurrentLevel()->cLevelEnable()->setAllowDesktop(true); // would ask first
        std::thread([component = std::move(session->component)]() mutable { component.reset(); }).join();
        access::setManageWindowOpener(&ShowManageWindow);
        test::whenModal<Frm_Manage>(
            [](Frm_Manage* opened) { opened->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"))->click(); });
        QVERIFY(!session->level(1)->ShowStructure());
        QCOMPARE(popups->messages.size(), 1);
        QCOMPARE(popups->messages[0].text, QStringLiteral("Object variable or With block variable not set"));
    }

    void showStructureOpensTheWindowModally() {
        session = std::make_unique<ComponentSession>(standardLevels(), standardOperators());
        access::setManageWindowOpener(&ShowManageWindow);
        int listed = -1;
        test::whenModal<Frm_Manage>([&listed](Frm_Manage* opened) {
            listed = opened->findChild<QTreeWidget*>(QStringLiteral("Lv_Level"))->topLevelItemCount();
            opened->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"))->click();
        });
        const std::shared_ptr<Class_Level> owner = session->level(2);
        QVERIFY(!owner->ShowStructure());
        QCOMPARE(listed, 2);

        QCOMPARE(popups->dialogs, QStringList{QStringLiteral("Frm_Manage")});

        // Neither right: no window.
        QVERIFY(!session->level(3)->ShowStructure());
        QCOMPARE(popups->dialogs.size(), 1);
    }
};

QTEST_MAIN(ManageWindowTest)
#include "ManageWindowTest.moc"
