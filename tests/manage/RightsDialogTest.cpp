// The level rights dialog: which boxes it shows and enables, and what it hands back.

#include "base/Mod_Globali.h"
#include "dialogs/Frm_LevModify.h"
#include "support/ComponentSession.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTest>

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
} // namespace

class RightsDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::ComponentSession> session;
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
    void ok() {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Ok")), Qt::LeftButton);
    }

private slots:
    void init() {
        session = std::make_unique<test::ComponentSession>(
            std::vector<test::LevelSpec>{test::AllRights(0, "|0"), {1, "|1"}},
            std::vector<std::pair<QString, int>>{});
        session->component->setAutoShutDown(true);
        session->component->setEnableCount(0);
    }

    void cleanup() {
        dialog.reset();
        session.reset();
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

        // The next dialog shows what another program wrote to the profile meanwhile.
        QFile profile(Mod_Globali().profilePath);
        QVERIFY(profile.open(QIODevice::WriteOnly) && profile.write("[Description]\n2=Changed\n") > 0);
        profile.close();
        show(rights(false, false, false, true, {1}), edited);
        QCOMPARE(box(QStringLiteral("Check_Custom(2)"))->text(), QStringLiteral("Changed"));
    }

    // Built-in captions show in the operator's language; a host's own caption, and what the host reads,
    // stay as they are.
    void builtInCaptionsFollowTheLanguage() {
        session->language->texts = {{210, QStringLiteral("Ebenen verwalten erlauben")},
                                    {211, QStringLiteral("Bediener verwalten erlauben")}};
        session->component->setManageOperatorDescription(QStringLiteral("Wartung"));
        show(rights(true, true, true, true), rights(false, false, false, false));
        QCOMPARE(box(QStringLiteral("Check_Manage(0)"))->text(), QStringLiteral("Ebenen verwalten erlauben"));
        QCOMPARE(box(QStringLiteral("Check_Manage(1)"))->text(), QStringLiteral("Wartung"));
        QCOMPARE(session->component->ManageLevelDescription(), QStringLiteral("Allow Manage Levels"));
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
};

QTEST_MAIN(RightsDialogTest)
#include "RightsDialogTest.moc"
