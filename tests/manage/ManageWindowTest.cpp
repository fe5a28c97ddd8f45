// The management window driven offscreen: its lists, menus and the level and operator operations
// started from it, checked against the credential file.

#include "access/DialogHooks.h"
#include "dialogs/Frm_Manage.h"
#include "dialogs/Frm_Name.h"
#include "dialogs/ListItems.h"
#include "dialogs/ShowManageWindow.h"
#include "operations/LevelOperations.h"
#include "operations/LoginRecords.h"
#include "operations/OperatorOperations.h"
#include "support/ComponentSession.h"
#include "support/PopupCatchers.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QMenu>
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
    return list->findItems(text, Qt::MatchExactly).value(0);
}

void click(QTreeWidget* list, const QString& text, Qt::MouseButton button = Qt::LeftButton) {
    QTreeWidgetItem* item = itemWithText(list, text);
    const QPoint where =
        item ? list->visualItemRect(item).center() : QPoint(10, list->viewport()->height() - 5);
    QTest::mouseClick(list->viewport(), button, {}, where);
    QCoreApplication::processEvents(); // the window answers once the list has handled the click
}

} // namespace

class ManageWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ComponentSession> session;
    std::unique_ptr<Frm_Manage> window;
    std::unique_ptr<test::PopupCatcher> popups;
    std::unique_ptr<test::ModalWatchdog> watchdog;
    int passwordRequests = 0; // password dialogs asked for

    QTreeWidget* levels() const { return window->findChild<QTreeWidget*>("Lv_Level"); }
    QTreeWidget* operators() const { return window->findChild<QTreeWidget*>("LV_Operator"); }

    void start(std::vector<LevelSpec> levelSpecs, int ownerId) {
        session = std::make_unique<ComponentSession>(levelSpecs, standardOperators());
        session->language->texts.insert(101, "Level one");
        open(session->level(ownerId));
    }

    void open(std::shared_ptr<Class_Level> owner) {
        window = std::make_unique<Frm_Manage>();
        window->cOwnerLevel = std::move(owner);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

private slots:
    void init() {
        popups = std::make_unique<test::PopupCatcher>();
        watchdog = std::make_unique<test::ModalWatchdog>(10000);
        passwordRequests = 0;
        access::setChangePasswordOpener(
            [this](Class_Par&, const std::shared_ptr<Class_Level>&, const std::shared_ptr<Class_Operator>&) {
                ++passwordRequests;
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

    void theListsShowTheLevelsBelowTheOwnerAndTheMenusFollowTheSelectionTheLocksAndTheRights() {
        start(standardLevels(), 0);
        QCOMPARE(texts(levels()), (QStringList{"Level one", "Service", "Operators", "Guest"}));
        // The first level is selected once the list is filled, and shows its (empty) operator list.
        QCOMPARE(levels()->selectedItems().value(0), levels()->topLevelItem(0));
        QVERIFY(operators()->isEnabled() && operators()->topLevelItemCount() == 0);

        click(levels(), "Service");
        QCOMPARE(texts(operators()), (QStringList{"adam", "bea"}));
        QVERIFY(popups->menus.isEmpty()); // a left click never offers a menu

        // The menus follow the selection, the locks and the owner's rights.
        const QString path = session->file.path();
        const LockoutEntry service{LockoutKind::Level, "Service"}, adam{LockoutKind::Operator, "adam"};
        const auto rightClick = [this](const QString& level, const QString& op) {
            click(levels(), level, Qt::RightButton);
            click(operators(), op, Qt::RightButton);
        };
        rightClick("Service", "adam");
        SetPolicyEntry(path, "lockout-attempts", "1");
        for (const LockoutEntry& entry : {service, adam}) {
            QVERIFY(RecordFailedLogin(path, AttemptAgainst(entry), ReadPolicy(path)).entry.locked);
        }
        rightClick("Operators", "carl");
        rightClick("Service", "adam");
        const QList<test::ShownMenu>& menus = popups->menus;
        QCOMPARE(menus.size(), 6);
        // Without the policy the menus are as they always were; with it, Unlock is enabled only for a lock.
        QVERIFY(!menus[0].itemsEnabled.contains("LevUnlock") && !menus[1].itemsEnabled.contains("OpUnlock"));
        QVERIFY(!menus[2].itemsEnabled.value("LevUnlock", true) &&
                !menus[3].itemsEnabled.value("OpUnlock", true));
        QVERIFY(menus[4].itemsEnabled.value("LevUnlock") && menus[5].itemsEnabled.value("OpUnlock"));
        window->findChild<QAction*>("LevUnlock")->trigger();
        window->findChild<QAction*>("OpUnlock")->trigger();
        for (const LockoutEntry& entry : {service, adam}) {
            const LockState left = ClearFailedLogins(path, entry);
            QVERIFY(!left.locked && left.failures == 0);
        }
        // A file that cannot be read offers no Unlock, and still the menu.
        QVERIFY(RecordFailedLogin(path, AttemptAgainst(service), ReadPolicy(path)).entry.locked);
        QVERIFY(QFile::rename(path, path + ".away"));
        click(levels(), "Service", Qt::RightButton);
        QVERIFY(QFile::rename(path + ".away", path));
        QCOMPARE(menus.size(), 7);
        QVERIFY(!menus[6].itemsEnabled.contains("LevUnlock"));
        QVERIFY(popups->messages.isEmpty());

        // The last level, in force when nobody is logged in, never gets a password.
        click(levels(), "Guest"); // no operator to choose
        rightClick("Guest", QString());
        QCOMPARE(menus.size(), 9);
        QVERIFY(menus[0].menuEnabled && menus[0].itemsEnabled.value("LevPassword"));
        QVERIFY(menus[7].menuEnabled && !menus[7].itemsEnabled.value("LevPassword"));
        QVERIFY(menus[7].itemsEnabled.value("LevModify") && menus[7].itemsEnabled.value("LevRemove"));
        QCOMPARE(menus[8].name, "OpMnu");
        for (const char* item : {"OpAdd", "OpPassword", "OpRemove", "OpChange"}) {
            QVERIFY2(menus[8].itemsEnabled.value(item) == (qstrcmp(item, "OpAdd") == 0), item);
            QVERIFY2(menus[3].itemsEnabled.value(item), item);
        }

        // Without the matching right a right click offers nothing.
        window->cOwnerLevel->cLevelEnable()->setAllowManageLevel(false);
        click(levels(), "Service", Qt::RightButton);
        QCOMPARE(menus.size(), 9);
        click(operators(), QString(), Qt::RightButton);
        QCOMPARE(menus.size(), 10);
        window->cOwnerLevel->cLevelEnable()->setAllowManageOperator(false);
        click(operators(), QString(), Qt::RightButton);
        QCOMPARE(menus.size(), 10);
    }

    void aLevelChangedElsewhereIsNotWrittenAndTheListsAreRefilled() {
        start(standardLevels(), 1);
        const auto managesOperators = test::Rights(false, true, false, false);
        const std::vector<std::function<void()>> actions{[this] { window->LevRemove_Click(); },
                                                         [this] { window->LevModify_Click(); },
                                                         [this] { window->LevPassword_Click(); },
                                                         [this] {
                                                             test::whenModal<Frm_Name>([](Frm_Name* dialog) {
                                                                 test::type(dialog, "Text1", "olga");
                                                                 test::click(dialog, "Cmd_Ok");
                                                             });
                                                             window->OpAdd_Click();
                                                         }};
        for (const auto& action : actions) {
            open(session->level(1));
            click(levels(), "Operators");
            // Elsewhere a level that manages operators is added and ranked above "Operators".
            const QString above = QStringLiteral("Above %1").arg(popups->messages.size());
            const QString path = session->file.path();
            QVERIFY(StoreLevelRights(path, AddLevel(path, above), above, *managesOperators));
            const auto ids = session->file.levelIdsByName();
            const auto operatorLevels = session->file.operatorLevels();
            const qsizetype shown = popups->messages.size();
            action();
            QVERIFY(popups->messages.size() == shown + 1 && popups->messages.last().title == "Login");
            QCOMPARE(popups->messages.last().text, "The level was changed elsewhere.");
            QVERIFY(!popups->dialogs.contains("Frm_LevModify") && passwordRequests == 0);
            QVERIFY(session->file.levelIdsByName() == ids &&
                    session->file.operatorLevels() == operatorLevels);
            QCOMPARE(itemWithText(levels(), "Operators")->data(0, ItemTagRole).toInt(), ids.at("Operators"));
        }
    }

    // While password rules are set the password comes first: cancelled, no operator is added.
    void aNewOperatorIsAddedWithThePasswordAskedForAfterItsName() {
        start(standardLevels(), 1);
        SetPolicyEntry(session->file.path(), "password-min-length", "6");
        click(levels(), "Operators");
        for (const QString given : {"", "Olga-77"}) { // "" cancels the password dialog
            access::setChangePasswordOpener([given](Class_Par& par, const auto&, const auto& op) {
                par.Result = par.StoreNothing && op->OperatorNameText() == "olga" && !given.isEmpty();
                par.Text = given;
            });
            test::whenModal<Frm_Name>([](Frm_Name* dialog) {
                test::type(dialog, "Text1", "olga");
                test::click(dialog, "Cmd_Ok");
            });
            window->OpAdd_Click();
        }
        QCOMPARE(FindOperatorRow(session->file.path(), "olga").value_or(OperatorRow{}).password, "Olga-77");
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
        click(levels(), "Spare");
        window->LevRemove_Click();
        QCOMPARE(window->cOwnerLevel->ID(), 3);
        QCOMPARE(texts(levels()), QStringList{"Guest"});
        QVERIFY(!session->component->IsLogoutLevel());
        click(levels(), "Guest");
        window->LevRemove_Click();
        // "Chief" now has the largest number: it is the logout level.
        QVERIFY(session->file.levels().at("Chief").id == 3 && session->component->CurrentLevel()->ID() == 3);
        QVERIFY(levels()->topLevelItemCount() == 0 && popups->messages.isEmpty());
        QVERIFY(session->component->IsLogoutLevel());
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
        test::whenModal<Frm_Manage>([](Frm_Manage* opened) { test::click(opened, "Cmd_Ok"); });
        QVERIFY(!session->level(1)->ShowStructure());
        QVERIFY(popups->messages.size() == 1 &&
                popups->messages[0].text == "Object variable or With block variable not set");
    }

    // Neither right: no window. The level-management right alone opens it; rights set to Nothing by a script
    // host fail with 91.
    void showStructureOpensTheWindowModally() {
        session = std::make_unique<ComponentSession>(standardLevels(), standardOperators());
        access::setManageWindowOpener(&ShowManageWindow);
        int listed = -1;
        const auto closeWhenShown = [&listed] {
            test::whenModal<Frm_Manage>([&listed](Frm_Manage* opened) {
                listed = opened->findChild<QTreeWidget*>("Lv_Level")->topLevelItemCount();
                test::click(opened, "Cmd_Ok");
            });
        };
        closeWhenShown();
        QVERIFY(!session->level(2)->ShowStructure());
        QCOMPARE(listed, 2);
        QCOMPARE(popups->dialogs, QStringList{"Frm_Manage"});
        const std::shared_ptr<Class_Level> guest = session->level(3);
        QVERIFY(!guest->ShowStructure() && popups->dialogs.size() == 1);
        guest->cLevelEnable()->setAllowManageLevel(true);
        closeWhenShown();
        QVERIFY(!guest->ShowStructure() && popups->dialogs.size() == 2);
        guest->setcLevelEnable(nullptr);
        QCOMPARE(test::ErrorNumber([&] { guest->ShowStructure(); }), 91);
        QCOMPARE(popups->dialogs.size(), 2);
    }
};

QTEST_MAIN(ManageWindowTest)
#include "ManageWindowTest.moc"
