// The automatic logout under a shortened idle time: the warning, its countdown and the logout; staying
// logged in; input that delays it; nothing armed while the policy leaves it off.

#include "component/AutoLogout.h"
#include "component/Frm_Login.h"
#include "dialogs/AutoLogoutWarning.h"
#include "operations/AuditTrail.h"
#include "operations/Policy.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

using zav::dialogs::AutoLogoutWarning;
using namespace zav::test;

class AutoLogoutTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ComponentEnvironment> env;
    std::shared_ptr<ZAV_Login> login;
    std::unique_ptr<ModalWatchdog> watchdog;

    void setPolicy(const char* minutes, const char* warningSeconds) {
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("auto-logout-minutes"), minutes);
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("auto-logout-warning-seconds"),
                                    warningSeconds);
    }
    bool logInAsSetter() {
        whenModal<zav::Frm_Login>([](zav::Frm_Login* d) {
            choose(d, "Cbo_Login", QStringLiteral("Setter"));
            type(d, "Text1", QStringLiteral("set"));
            click(d, "Cmd_Ok");
        });
        return login->LoginByLevel();
    }
    static QString countdownText(const AutoLogoutWarning* d) {
        return control<QLabel>(d, "Lbl_Countdown")->text();
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<ComponentEnvironment>(false);
        login = env->createComponent();
        env->addLevel(2, QStringLiteral("Setter"), QStringLiteral("set"));
        env->addLevel(3, QStringLiteral("Guest"), QVariant());
        login->Logout();
        watchdog = std::make_unique<ModalWatchdog>(20000);
    }
    void cleanup() {
        zav::SetAutoLogoutTimingForTests(0, 0);
        watchdog.reset();
        login.reset();
        env.reset();
    }

    void policyOffArmsNothing() {
        QVERIFY(logInAsSetter());
        QVERIFY(!login->IsLogoutLevel());
        QVERIFY(!login->findChild<zav::AutoLogoutWatch*>());
    }

    void warningCountsDownThenLogsOut() {
        setPolicy("1", "3");
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("audit"), QStringLiteral("on"));
        zav::SetAutoLogoutTimingForTests(150, 200);
        QSignalSpy warned(login.get(), &ZAV_Login::autoLogoutWarning);
        QSignalSpy out(login.get(), &ZAV_Login::loggedOut);
        QStringList shown;
        whenModal<AutoLogoutWarning>([&](AutoLogoutWarning* d) {
            shown << countdownText(d);
            QTRY_VERIFY(countdownText(d).contains(QLatin1String(" 1 s")));
            shown << countdownText(d);
        });
        QVERIFY(logInAsSetter());
        QVERIFY(zav::AutoLogoutArmed(*login));
        QTRY_COMPARE(out.count(), 1);
        QCOMPARE(out.at(0).at(0).value<ZAV_Login::LogoutReason>(), ZAV_Login::LogoutReason::AutoLogout);
        QCOMPARE(warned.count(), 1);
        QCOMPARE(warned.at(0).at(0).toInt(), 3);
        QCOMPARE(shown, (QStringList{"You will be logged out in 3 s.", "You will be logged out in 1 s."}));
        QVERIFY(login->IsLogoutLevel());
        QVERIFY(!zav::AutoLogoutArmed(*login));
        const auto trail = zav::manage::ReadAuditRows(env->dbPath());
        QCOMPARE(trail.back().event + QLatin1Char(' ') + trail.back().detail,
                 QStringLiteral("logout auto-logout"));
    }

    // Input keeps the operator in past the idle time; then "Stay logged in" does.
    void inputDelaysAndStayKeepsTheLogin() {
        setPolicy("5", "30");
        zav::SetAutoLogoutTimingForTests(400, 1000);
        QSignalSpy warned(login.get(), &ZAV_Login::autoLogoutWarning);
        QSignalSpy out(login.get(), &ZAV_Login::loggedOut);
        QVERIFY(logInAsSetter());
        QWidget host;
        host.show();
        whenModal<AutoLogoutWarning>([](AutoLogoutWarning* d) { click(d, "Cmd_Stay"); });
        for (int i = 0; i < 8; ++i) { // 800 ms of typing, twice the idle time
            QTest::keyClick(&host, Qt::Key_A);
            QTest::qWait(100);
        }
        QCOMPARE(warned.count(), 0);
        QTRY_COMPARE(warned.count(), 1);
        QVERIFY(!login->IsLogoutLevel());
        QCOMPARE(out.count(), 0);
        QVERIFY(zav::AutoLogoutArmed(*login));
        login->Logout();
        QVERIFY(!zav::AutoLogoutArmed(*login));
    }
};

QTEST_MAIN(AutoLogoutTest)
#include "AutoLogoutTest.moc"
