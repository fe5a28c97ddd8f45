// The level rights dialog: which boxes it shows and enables, where it puts them, and what it hands
// back.

#include "base/Mod_Globali.h"
#include "base/Twips.h"
#include "dialogs/Frm_LevModify.h"
#include "outside/OutsideObjects.h"
#include "support/ComponentSession.h"
#include "support/PopupCatchers.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

using namespace zav;
using namespace zav::manage;

namespace {
std::shared_ptr<Class_LevelEnable> rights(bool manageLevel, bool manageOperator, bool disShutDown,
                                          bool desktop, std::initializer_list<int> customs = {}) {
    auto set = Class_LevelEnable::create();
    set->setAllowManageLevel(manageLevel);
    set->setAllowManageOperator(manageOperator);
    set->setDisShutDown(disShutDown);
    set->setAllowDesktop(desktop);
    for (int n : customs) {
        set->setAllowCustom(n, true);
    }
    return set;
}

QRect pixels(const TwipsRect& twips) {
    return {TwipsToPixelsX(twips.left), TwipsToPixelsY(twips.top), TwipsToPixelsX(twips.width),
            TwipsToPixelsY(twips.height)};
}
} // namespace

class RightsDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::ComponentSession> session;
    std::unique_ptr<test::PopupCatcher> popups;
    std::unique_ptr<Frm_LevModify> dialog;
    std::shared_ptr<Class_Par> par;

    void show(std::shared_ptr<Class_LevelEnable> owner, std::shared_ptr<Class_LevelEnable> edited) {
        par = std::make_shared<Class_Par>();
        par->Result = true; // loading must clear it
        par->Title = QStringLiteral("Service");
        dialog = std::make_unique<Frm_LevModify>();
        dialog->cPar = par;
        dialog->cOwnerEnable = std::move(owner);
        dialog->cEditEnable = std::move(edited);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }

    QCheckBox* box(const QString& name) const { return dialog->findChild<QCheckBox*>(name); }
    QWidget* control(const char* name) const { return dialog->findChild<QWidget*>(QLatin1String(name)); }
    double top(const char* name) const { return dialog->TwipsOf(control(name)).top; }
    void ok() {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Ok")), Qt::LeftButton);
    }

    // Checks that the control sits where its twips say, and that those are the expected ones.
    void expectPlace(QWidget* widget, double left, double top) {
        QVERIFY(widget);
        const TwipsRect twips = dialog->TwipsOf(widget);
        QCOMPARE(twips.left, left);
        QCOMPARE(twips.top, top);
        QCOMPARE(widget->geometry(), pixels(twips));
    }

private slots:
    void init() {
        session = std::make_unique<test::ComponentSession>(
            std::vector<test::LevelSpec>{test::AllRights(0, "|0"), {1, "|1"}},
            std::vector<std::pair<QString, int>>{});
        session->component->setAutoShutDown(true);
        session->component->setEnableCount(0);
        popups = std::make_unique<test::PopupCatcher>();
    }

    void cleanup() {
        dialog.reset();
        popups.reset();
        session.reset();
    }

    void withoutCustomBoxesTheDialogShrinksTo930Twips() {
        show(rights(true, true, true, true), rights(false, false, false, false));
        QVERIFY(!par->Result);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Level Modify - Service"));
        QCOMPARE(box(QStringLiteral("Check_Manage(0)"))->text(),
                 session->component->ManageLevelDescription());
        QCOMPARE(box(QStringLiteral("Check_ShutDown"))->text(), session->component->DisShutDownDescription());
        auto* frame = dialog->findChild<QGroupBox*>(QStringLiteral("Fra_Lev"));
        QCOMPARE(dialog->TwipsOf(frame).height, 930.0);
        QCOMPARE(frame->height(), TwipsToPixelsY(930));
        QCOMPARE(top("Cmd_Ok"), 1035.0);
        QCOMPARE(top("Cmd_Undo"), 1035.0);
        QCOMPARE(top("Image1"), 1095.0);
        QCOMPARE(control("Cmd_Ok")->y(), TwipsToPixelsY(1035));
        QCOMPARE(dialog->WindowHeightTwips(), 2760.0 - 885.0);
        QCOMPARE(dialog->height(), TwipsToPixelsY(1875));
        QVERIFY(!box(QStringLiteral("Check_Custom(0)"))->isVisible());
        QVERIFY(!box(QStringLiteral("Check_Custom(1)")));
    }

    void customBoxesFillRowsOfThree() {
        session->component->setEnableCount(4);
        show(rights(true, true, true, true, {1, 2, 3, 4}), rights(false, false, false, false, {2}));
        expectPlace(box(QStringLiteral("Check_Custom(1)")), 120, 870);
        expectPlace(box(QStringLiteral("Check_Custom(2)")), 5160, 870);
        expectPlace(box(QStringLiteral("Check_Custom(3)")), 10200, 870);
        expectPlace(box(QStringLiteral("Check_Custom(4)")), 120, 1245);
        QCOMPARE(box(QStringLiteral("Check_Custom(3)"))->property("Tag").toString(), QStringLiteral("3"));
        QCOMPARE(box(QStringLiteral("Check_Custom(3)"))->text(), session->component->EnableDescription(3));
        QVERIFY(box(QStringLiteral("Check_Custom(2)"))->isChecked());
        QVERIFY(!box(QStringLiteral("Check_Custom(1)"))->isChecked());
        QCOMPARE(dialog->TwipsOf(control("Fra_Lev")).height, 1680.0);
        QCOMPARE(top("Cmd_Ok"), 1920.0 - 135.0);
        // The fixed boxes never move.
        expectPlace(box(QStringLiteral("Check_ShutDown")), 120, 480);

        // The next dialog reads what another program wrote to the profile meanwhile.
        QFile profile(Mod_Globali().profilePath);
        QVERIFY(profile.open(QIODevice::WriteOnly) && profile.write("[Description]\n3=Changed\n") > 0);
        profile.close();
        show(rights(true, true, true, true, {1, 2, 3, 4}), rights(false, false, false, false, {2}));
        QCOMPARE(box(QStringLiteral("Check_Custom(3)"))->text(), QStringLiteral("Changed"));
    }

    void hiddenFixedRowsLeaveTheTopToTheCustomBoxes() {
        session->component->setEnableCount(5);
        show(rights(false, false, false, false, {2}), rights(false, false, false, false));
        for (const char* fixed : {"Check_Manage(0)", "Check_Manage(1)", "Check_ShutDown", "Check_Desktop"}) {
            QVERIFY2(!box(QLatin1String(fixed))->isVisible(), fixed);
        }
        expectPlace(box(QStringLiteral("Check_Custom(1)")), 120, 120);
        QCOMPARE(box(QStringLiteral("Check_Custom(1)"))->property("Tag").toString(), QStringLiteral("2"));
        QVERIFY(!box(QStringLiteral("Check_Custom(2)")));
        QCOMPARE(dialog->TwipsOf(control("Fra_Lev")).height, 555.0);
    }

    void rightsTheOwnerLacksComeBackUnchanged() {
        session->component->setEnableCount(3);
        auto edited = rights(true, false, true, true, {2});
        show(rights(false, false, false, true, {1}), edited);
        QCheckBox* manageLevels = box(QStringLiteral("Check_Manage(0)"));
        QVERIFY(manageLevels->isVisible() && manageLevels->isChecked() && !manageLevels->isEnabled());
        QVERIFY(!box(QStringLiteral("Check_Manage(1)"))->isVisible());
        QCheckBox* shutDown = box(QStringLiteral("Check_ShutDown"));
        QVERIFY(shutDown->isVisible() && !shutDown->isChecked() && !shutDown->isEnabled());
        QCheckBox* custom1 = box(QStringLiteral("Check_Custom(1)"));
        QCheckBox* custom2 = box(QStringLiteral("Check_Custom(2)"));
        QVERIFY(custom1->isEnabled() && !custom1->isChecked());
        QVERIFY(!custom2->isEnabled() && custom2->isChecked());

        custom1->setChecked(true);
        box(QStringLiteral("Check_Desktop"))->setChecked(false);
        ok();
        QVERIFY(par->Result);
        QVERIFY(edited->AllowManageLevel());
        QVERIFY(!edited->AllowManageOperator());
        QVERIFY(edited->DisShutDown());
        QVERIFY(!edited->AllowDesktop());
        QVERIFY(edited->AllowCustom(1));
        QVERIFY(edited->AllowCustom(2));
        QVERIFY(!edited->AllowCustom(3));
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
        auto edited = rights(false, false, disShutDown, false);
        show(rights(true, true, true, true), edited);
        QCheckBox* shutDown = box(QStringLiteral("Check_ShutDown"));
        QCOMPARE(shutDown->isVisible(), autoShutDown);
        QCOMPARE(shutDown->isEnabled(), autoShutDown);
        QCOMPARE(shutDown->isChecked(), !disShutDown);
        if (!autoShutDown) {
            QCOMPARE(shutDown->text(), QStringLiteral("Automatic Shut Down"));
        }
        if (shutDown->isEnabled()) {
            shutDown->setChecked(true);
        }
        ok();
        QCOMPARE(edited->DisShutDown(), expectedAfterCheckingTheBox);
    }

    void undoHandsNothingBack() {
        auto edited = rights(false, true, false, false);
        show(rights(true, true, true, true), edited);
        box(QStringLiteral("Check_Manage(0)"))->setChecked(true);
        box(QStringLiteral("Check_Manage(1)"))->setChecked(false);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Undo")), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!par->Result);
        QVERIFY(!edited->AllowManageLevel());
        QVERIFY(edited->AllowManageOperator());
    }

    void moreThanAHundredCustomRightsStopTheLayout() {
        session->component->setEnableCount(101);
        auto all = Class_LevelEnable::create();
        for (int n = 1; n <= 100; ++n) {
            all->setAllowCustom(n, true);
        }
        show(all, rights(false, false, false, false));
        QCOMPARE(popups->messages.size(), 1);
        QCOMPARE(popups->messages[0].title, QStringLiteral("Login"));
        QCOMPARE(popups->messages[0].icon, QMessageBox::Warning);
        QVERIFY(box(QStringLiteral("Check_Custom(100)")));
        QCOMPARE(dialog->TwipsOf(control("Fra_Lev")).height, 1815.0);
        QCOMPARE(top("Cmd_Ok"), 1920.0);
        QCOMPARE(dialog->WindowHeightTwips(), 2760.0);
        // OK after a failed layout hands nothing back.
        box(QStringLiteral("Check_Custom(1)"))->setChecked(true);
        ok();
        QVERIFY(!par->Result);
        QVERIFY(!dialog->cEditEnable->AllowCustom(1));
    }

    void okAfterABuildThatFailedHalfWayWritesNothing() {
        struct CaptionFails : outside::ProfileStore {
            QString ReadEntry(const QString&, const QString&, const QString& key,
                              const QString& text) override {
                return key == QStringLiteral("MO") ? throw std::runtime_error("unreadable") : text;
            }
            void WriteEntry(const QString&, const QString&, const QString&, const QString&) override {}
        };
        outside::setProfileStore(std::make_shared<CaptionFails>());
        // The manage-operators box was never set up: it would read unchecked and enabled.
        auto edited = rights(false, true, false, false);
        show(rights(false, false, false, false), edited);
        outside::setProfileStore(nullptr);
        QCOMPARE(popups->messages.size(), 1);
        ok();
        QVERIFY(!par->Result);
        QVERIFY(edited->AllowManageOperator());
    }
};

QTEST_MAIN(RightsDialogTest)
#include "RightsDialogTest.moc"
