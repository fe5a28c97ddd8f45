// The level rights dialog: which boxes it shows and enables, and what it hands back.

#include "base/Mod_Globali.h"
#include "base/PanelLook.h"
#include "dialogs/Frm_LevModify.h"
#include "support/ComponentSession.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

using namespace zav;
using namespace zav::manage;
using zav::test::Rights;

class RightsDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::ComponentSession> session;
    std::unique_ptr<Frm_LevModify> dialog;
    std::shared_ptr<Class_Par> par;

    void show(std::shared_ptr<Class_LevelEnable> owner, std::shared_ptr<Class_LevelEnable> edited) {
        par = std::make_shared<Class_Par>();
        par->Result = true; // loading must clear it
        par->Title = "Service";
        dialog = std::make_unique<Frm_LevModify>();
        dialog->cPar = par;
        dialog->cOwnerEnable = std::move(owner);
        dialog->cEditEnable = std::move(edited);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }

    static bool writeProfile(const char* text) {
        QFile profile(Mod_Globali().profilePath);
        return profile.open(QIODevice::WriteOnly) && profile.write(text) > 0;
    }

    QCheckBox* box(const QString& name) const { return dialog->findChild<QCheckBox*>(name); }
    void ok() { QTest::mouseClick(dialog->findChild<QPushButton*>("Cmd_Ok"), Qt::LeftButton); }

private slots:
    void init() {
        session = std::make_unique<test::ComponentSession>(
            std::vector<test::LevelSpec>{test::AllRights(0, "|0"), {1, "|1"}},
            std::vector<std::pair<QString, int>>{});
        session->component->setAutoShutDown(true);
        session->component->setEnableCount(0);
    }

    void cleanup() {
        Mod_Globali().touchScreen = false;
        dialog.reset();
        session.reset();
    }

    // Built-in captions show in the operator's language; a host's own caption, and what the host reads,
    // stay as they are.
    void rightsTheOwnerLacksComeBackUnchangedAndBuiltInCaptionsFollowTheLanguage() {
        session->language->texts = {{210, "Ebenen verwalten erlauben"}, {211, "Bediener verwalten erlauben"}};
        session->component->setManageOperatorDescription("Wartung");
        session->component->setEnableCount(3);
        auto edited = Rights(true, false, true, true, {2});
        show(Rights(false, false, false, true, {1}), edited);
        QCheckBox* manageLevels = box("Check_Manage(0)");
        QVERIFY(manageLevels->isVisible() && manageLevels->isChecked() && !manageLevels->isEnabled());
        QCOMPARE(manageLevels->text(), QStringLiteral("Ebenen verwalten erlauben"));
        QVERIFY(!box("Check_Manage(1)")->isVisible() && box("Check_Manage(1)")->text() == "Wartung");
        QCOMPARE(session->component->ManageLevelDescription(), QStringLiteral("Allow Manage Levels"));
        QCheckBox* shutDown = box("Check_ShutDown");
        QVERIFY(shutDown->isVisible() && !shutDown->isChecked() && !shutDown->isEnabled());
        QCheckBox* custom1 = box("Check_Custom(1)");
        QCheckBox* custom2 = box("Check_Custom(2)");
        QVERIFY(custom1->isEnabled() && !custom1->isChecked());
        QVERIFY(!custom2->isEnabled() && custom2->isChecked());

        custom1->setChecked(true);
        box("Check_Desktop")->setChecked(false);
        ok();
        QVERIFY(par->Result && edited->AllowManageLevel() && !edited->AllowManageOperator());
        QVERIFY(edited->DisShutDown() && !edited->AllowDesktop());
        QVERIFY(edited->AllowCustom(1) && edited->AllowCustom(2) && !edited->AllowCustom(3));

        // The next dialog shows what another program wrote to the profile meanwhile.
        QVERIFY(writeProfile("[Description]\n2=Changed\n"));
        show(Rights(false, false, false, true, {1}), edited);
        QCOMPARE(box(QStringLiteral("Check_Custom(2)"))->text(), QStringLiteral("Changed"));
    }

    void theShutdownBoxIsInvertedAndNeedsAutoShutDown_data() {
        QTest::addColumn<bool>("autoShutDown");
        QTest::addColumn<bool>("disShutDown");
        QTest::addColumn<bool>("expectedAfterCheckingTheBox");
        QTest::newRow("automatic, excluded level") << true << true << false;
        QTest::newRow("no automatic, excluded level") << false << true << true;
        QTest::newRow("no automatic, included level") << false << false << false;
    }
    void theShutdownBoxIsInvertedAndNeedsAutoShutDown() {
        QFETCH(bool, autoShutDown);
        QFETCH(bool, disShutDown);
        QFETCH(bool, expectedAfterCheckingTheBox);
        session->component->setAutoShutDown(autoShutDown);
        auto edited = Rights(false, false, disShutDown, false);
        show(Rights(true, true, true, true), edited);
        QCheckBox* shutDown = box("Check_ShutDown");
        QVERIFY(shutDown->isVisible() == autoShutDown && shutDown->isEnabled() == autoShutDown);
        QCOMPARE(shutDown->isChecked(), !disShutDown);
        if (shutDown->isEnabled()) {
            shutDown->setChecked(true);
        }
        ok();
        QCOMPARE(edited->DisShutDown(), expectedAfterCheckingTheBox);
    }

    // On a small screen every right stays reachable in the scrolling part, and in touch-screen mode a
    // finger can hit each box alone while OK and Undo never scroll away.
    void everyRightIsReachableOnASmallScreen_data() {
        QTest::addColumn<bool>("touch");
        QTest::newRow("mouse") << false;
        QTest::newRow("touch") << true;
    }
    void everyRightIsReachableOnASmallScreen() {
        if (AvailableScreenArea(nullptr).height() > 600) {
            QSKIP("runs on a panel screen (ctest manage_rights_dialog_panel)");
        }
        QFETCH(bool, touch);
        Mod_Globali().touchScreen = touch;
        session->component->setEnableCount(100);
        auto edited = Rights(false, false, false, false);
        QVERIFY(writeProfile("[Description]\n2=Berechtigung zur Verwaltung der Maschinenparameter und der "
                             "Rezepturdaten im Produktionsbetrieb\n"));
        show(session->level(0)->cLevelEnable(), edited);
        QVERIFY(AvailableScreenArea(dialog.get()).contains(dialog->frameGeometry()));
        auto* area = dialog->findChild<QScrollArea*>();
        QVERIFY(area);
        QList<QCheckBox*> boxes = area->widget()->findChildren<QCheckBox*>();
        boxes.removeIf([](const QCheckBox* b) { return b->isHidden(); });
        QCOMPARE(boxes.size(), 104);
        QVERIFY(!touch || area->widget()->width() <= area->viewport()->width()); // scrolls only up and down
        for (const QCheckBox* b : boxes) {
            const QRect place(b->mapTo(area->widget(), QPoint()), b->size());
            QVERIFY2(area->widget()->rect().contains(place), qPrintable(b->objectName()));
            QVERIFY(!touch || (b->height() >= TouchTargetPixels(b) &&
                               b->size() == b->size().expandedTo(b->sizeHint())));
            for (const QCheckBox* other : boxes) { // the designed rows overlap by one pixel
                QVERIFY(!touch || b == other ||
                        !place.intersects({other->mapTo(area->widget(), QPoint()), other->size()}));
            }
        }
        for (const char* name : {"Cmd_Ok", "Cmd_Undo"}) {
            const auto* button = dialog->findChild<QPushButton*>(QLatin1String(name));
            QVERIFY(!touch ||
                    (!area->isAncestorOf(button) &&
                     dialog->rect().contains({button->mapTo(dialog.get(), QPoint()), button->size()})));
        }
        // A tap on the last right, scrolled into view, and OK hand it back.
        QCheckBox* last = box("Check_Custom(100)");
        area->ensureWidgetVisible(last);
        static QPointingDevice* const finger = QTest::createTouchDevice();
        QTest::touchEvent(dialog.get(), finger).press(0, {last->height() / 2, last->height() / 2}, last);
        QTest::touchEvent(dialog.get(), finger).release(0, {last->height() / 2, last->height() / 2}, last);
        ok();
        QVERIFY(edited->AllowCustom(100) && !edited->AllowCustom(99));
    }
};

QTEST_MAIN(RightsDialogTest)
#include "RightsDialogTest.moc"
