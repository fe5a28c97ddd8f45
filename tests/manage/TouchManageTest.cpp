// The management window in touch-screen mode on each panel screen: it fits, and a finger alone adds, moves
// and removes through press-and-hold, the menu buttons, the on-screen keyboard and the pick mode.

#include "base/Mod_Globali.h"
#include "base/PanelLook.h"
#include "base/PressAndHold.h"
#include "dialogs/Frm_Manage.h"
#include "operations/CredentialDatabase.h"
#include "support/ComponentSession.h"
#include "support/PopupCatchers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace zav;

namespace {
struct Step {
    QByteArray what;
    std::function<bool()> ready;
    std::function<void()> act;
};

// The open modal dialog or pop-up menu named `name`.
QWidget* shown(const char* name) {
    for (QWidget* w : {QApplication::activePopupWidget(), QApplication::activeModalWidget()}) {
        if (w && w->objectName() == QLatin1String(name)) {
            return w;
        }
    }
    return nullptr;
}
} // namespace

class TouchManageTest : public QObject {
    Q_OBJECT
    // The simulated touch screen; the test owns it.
    const std::unique_ptr<QPointingDevice> finger{QTest::createTouchDevice()};
    std::unique_ptr<test::ComponentSession> session;
    std::unique_ptr<manage::Frm_Manage> window;

    QWidget* part(const char* name) const { return window->findChild<QWidget*>(QLatin1String(name)); }
    QTreeWidget* tree(const char* name) const { return static_cast<QTreeWidget*>(part(name)); }
    QWidget* view(const char* list) const { return tree(list)->viewport(); }
    QPoint item(const char* list, const QString& text) const {
        return tree(list)->visualItemRect(tree(list)->findItems(text, Qt::MatchExactly).value(0)).center();
    }
    // One touch point pressed or released (a commit delivers it and runs what it opens).
    void touch(QWidget* w, QPoint at, bool press) {
        auto sequence = QTest::touchEvent(w, finger.get());
        press ? sequence.press(0, at, w) : sequence.release(0, at, w);
    }
    void tap(QWidget* w, QPoint at) { touch(w, at, true), touch(w, at, false); }
    void tap(QWidget* w) { tap(w, w->rect().center()); }
    // Taps `entry` of the open menu or dialog `in` (a menu item, else a child widget).
    Step tapIn(const char* in, const QString& entry, const char* what) {
        return {what, [in] { return shown(in); },
                [=, this] {
                    auto* menu = qobject_cast<QMenu*>(shown(in));
                    menu ? tap(menu, menu->actionGeometry(menu->findChild<QAction*>(entry)).center())
                         : tap(shown(in)->findChild<QWidget*>(entry));
                }};
    }
    // The name dialog: the box tapped, the name typed on the on-screen keyboard, OK tapped.
    QList<Step> typeName(const QString& name) {
        QList<Step> steps{tapIn("Frm_Name", "Text1", "name dialog")};
        for (QChar c : name) {
            steps << tapIn("ScreenKeyboard", QStringLiteral("Key_") + c, "keyboard");
        }
        return steps << tapIn("ScreenKeyboard", "Key_Ok", "keyboard") << tapIn("Frm_Name", "Cmd_Ok", "typed");
    }
    // Runs each step once its condition holds, from a timer that no step's dialog or menu holds up. A menu
    // or dialog that still stands in the way after 20 s is closed, and fails the run.
    void run(const QList<Step>& steps) {
        qsizetype next = 0;
        QStringList stalled;
        QElapsedTimer clock;
        QTimer driver;
        connect(&driver, &QTimer::timeout, [&] {
            QWidget* open = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                              : QApplication::activeModalWidget();
            if (next < steps.size() && steps[next].ready()) {
                QTimer::singleShot(0, steps[next++].act);
            } else if (open && clock.hasExpired(20000)) {
                stalled << QLatin1String(open->metaObject()->className()) + u' ' + open->objectName();
                open->close();
            }
        });
        clock.start();
        driver.start(10);
        const bool done = QTest::qWaitFor([&] { return next == steps.size(); }, 25000);
        QVERIFY2(done && stalled.isEmpty(),
                 qPrintable(QLatin1String(steps.value(next).what) + stalled.join(u' ')));
    }
    int levelOf(const QString& name) const {
        const auto row = manage::FindOperatorRow(session->file.path(), name);
        return row ? row->levelId : -1;
    }
    void open(int owner) {
        session = std::make_unique<test::ComponentSession>(
            std::vector<test::LevelSpec>{
                test::AllRights(0, "|0"), {1, "|1"}, {2, "Service", false, true}, {3, "Guest"}},
            std::vector<std::pair<QString, int>>{{"bo", 3}});
        Mod_Globali().touchScreen = true;
        window = std::make_unique<manage::Frm_Manage>();
        window->cOwnerLevel = session->level(owner);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

private slots:
    void cleanup() {
        window.reset();
        session.reset();
    }

    void fitsTheScreenAndAMouseHeldStillOpensTheMenu() {
        open(2); // manages operators, not levels
        const QRect area = AvailableScreenArea(window.get());
        const QSize designed(800, 631), room = area.size() - WindowFrameExtra(window.get());
        QCOMPARE(window->size().boundedTo(designed).boundedTo(room), window->size());
        QVERIFY(room.height() < designed.height() || window->size() == designed);
        QVERIFY(area.contains(window->geometry()) && !window->findChild<QScrollArea*>());
        const int target = TouchTargetPixels(window.get());
        QVERIFY(tree("LV_Operator")->visualItemRect(tree("LV_Operator")->topLevelItem(0)).height() >= target);
        QList<QRect> placed;
        for (const char* name :
             {"Fra_Current", "Lv_Level", "Cmd_LevMenu", "LV_Operator", "Cmd_OpMenu", "Cmd_Ok"}) {
            const QRect r(part(name)->mapTo(window.get(), QPoint()), part(name)->size());
            QVERIFY2(part(name)->isVisible() && window->rect().contains(r) && r.height() >= target, name);
            for (const QRect& other : placed) {
                QVERIFY2(!r.intersects(other), name);
            }
            placed << r;
        }
        QVERIFY(!part("Cmd_LevMenu")->isEnabled() && part("Cmd_OpMenu")->isEnabled());

        // Press-and-hold with the mouse opens the operator's menu (Unlock in it: ManageWindowTest).
        test::PopupCatcher popups; // closes each menu as it opens
        QSignalSpy clicks(part("LV_Operator"), SIGNAL(itemClicked(QTreeWidgetItem*, int)));
        const QPoint at = item("LV_Operator", "bo"),
                     moved = at + QPoint(QApplication::startDragDistance() + 2, 0);
        for (const QPoint& to : {moved, at}) {
            QTest::mousePress(view("LV_Operator"), Qt::LeftButton, {}, at);
            QTest::mouseMove(view("LV_Operator"), to);
            QTest::qWait(PressAndHoldMilliseconds + 200);
            QTest::mouseRelease(view("LV_Operator"), Qt::LeftButton, {}, to);
        }
        QVERIFY(popups.menus.size() == 1 &&
                popups.menus[0].itemsEnabled.value("OpRemove")); // held still only
        QCOMPARE(clicks.size(), 1); // the moved one; the release after the hold is no click
    }

    // Hold after hold, on the same list and on the other, by a finger and by the mouse: each opens its
    // menu. The finger or the button is lifted while the menu shows, and the menu is then dismissed.
    void everyHoldOpensItsMenu() {
        open(0);

        QList<Step> steps;
        int n = 0;
        const auto press = [this](QWidget* w, QPoint at, bool mouse, bool down) {
            if (!mouse) {
                touch(w, at, down);
            } else if (down) {
                QTest::mousePress(w, Qt::LeftButton, {}, at);
            } else {
                QTest::mouseRelease(w, Qt::LeftButton, {}, at);
            }
        };
        for (const auto& [levels, mouse] : {std::pair{true, false},
                                            {true, false},
                                            {false, false},
                                            {false, true},
                                            {false, false},
                                            {true, true},
                                            {true, false},
                                            {false, false}}) {
            const char* list = levels ? "Lv_Level" : "LV_Operator";
            const char* menu = levels ? "LevMnu" : "OpMnu";
            const QString row = levels ? QStringLiteral("Guest") : QStringLiteral("bo");
            steps << Step{"hold", [] { return !QApplication::activePopupWidget(); },
                          [=, this] { press(view(list), item(list, row), mouse, true); }}
                  << Step{"menu of hold " + QByteArray::number(++n), [menu] { return shown(menu); },
                          [=, this] {
                              press(view(list), item(list, row), mouse, false);
                              QTest::keyClick(shown(menu), Qt::Key_Escape);
                          }};
        }
        steps << Step{"last menu closed", [] { return !QApplication::activePopupWidget(); }, [] {}};
        run(steps);
        // Taps after them, each a row of its own or the same again: every one is a click, none a double
        // click.
        QSignalSpy clicks(tree("Lv_Level"), SIGNAL(itemClicked(QTreeWidgetItem*, int)));
        QSignalSpy doubles(tree("Lv_Level"), SIGNAL(itemDoubleClicked(QTreeWidgetItem*, int)));
        for (const char* row : {"Guest", "Service", "Service", "Guest", "Guest"}) {
            tap(view("Lv_Level"), item("Lv_Level", row));
            QCOMPARE(tree("Lv_Level")->currentItem()->text(0), QString::fromLatin1(row));
        }
        QCOMPARE(clicks.size(), 5);
        QCOMPARE(doubles.size(), 0);
    }

    void aFingerAloneAddsMovesAndRemoves() {
        open(0);
        const QString path = session->file.path();
        QPoint menuAt;
        int menuItemHeight = 0;
        QList<Step> steps{
            {"hold", [] { return true; }, [&] { touch(view("Lv_Level"), item("Lv_Level", "Guest"), true); }},
            {"level menu", [] { return shown("LevMnu"); },
             [&] {
                 auto* menu = static_cast<QMenu*>(shown("LevMnu"));
                 menuAt = menu->pos(),
                 menuItemHeight = menu->actionGeometry(menu->actions().value(0)).height();
                 touch(view("Lv_Level"), item("Lv_Level", "Guest"), false);
                 tapIn("LevMnu", "LevAdd", "").act();
             }}};
        steps << typeName("shift")
              << Step{"level stored",
                      [&] { return manage::LevelIdByName(path, "shift") && !shown("Frm_Name"); },
                      [&] { tap(part("Cmd_OpMenu")); }}
              << tapIn("OpMnu", "OpAdd", "operator menu") << typeName("kim")
              << Step{"operator stored",
                      [&] { return levelOf("kim") == manage::LevelIdByName(path, "shift"); },
                      [&] { tap(view("LV_Operator"), item("LV_Operator", "kim")), tap(part("Cmd_OpMenu")); }}
              << tapIn("OpMnu", "OpChange", "change level")
              << Step{"picking", [&] { return window->IsPickingLevel() && !part("Cmd_OpMenu")->isEnabled(); },
                      [&] { tap(view("Lv_Level"), item("Lv_Level", "Guest")); }}
              << Step{"moved", [&] { return levelOf("kim") == 3 && !window->IsPickingLevel(); },
                      [&] { tap(view("LV_Operator"), item("LV_Operator", "kim")), tap(part("Cmd_OpMenu")); }}
              << tapIn("OpMnu", "OpRemove", "remove operator")
              << Step{"operator removed", [&] { return levelOf("kim") < 0; },
                      [&] { tap(view("Lv_Level"), item("Lv_Level", "shift")), tap(part("Cmd_LevMenu")); }}
              << tapIn("LevMnu", "LevRemove", "remove level")
              << Step{"level removed", [&] { return !manage::LevelIdByName(path, "shift"); }, [] {}};
        run(steps);
        // The menu opened at the finger, not at the pointer a finger does not move, with items a finger hits.
        QVERIFY((menuAt - view("Lv_Level")->mapToGlobal(item("Lv_Level", "Guest"))).manhattanLength() <= 2);
        QVERIFY(menuItemHeight >= TouchTargetPixels(window.get()));
    }
};

QTEST_MAIN(TouchManageTest)
#include "TouchManageTest.moc"
