// The automatic logout under shortened minutes: the warning, its countdown and the logout at the minute
// the policy names; the dialogs it closes; staying logged in; input that delays it; nothing armed while
// the policy leaves it off.

#include "component/AutoLogout.h"
#include "component/Frm_Login.h"
#include "dialogs/AutoLogoutWarning.h"
#include "dialogs/Frm_Manage.h"
#include "dialogs/Frm_Name.h"
#include "operations/AuditTrail.h"
#include "operations/Policy.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
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
    bool logInAsSetter() { return logInAs(QStringLiteral("Setter"), QStringLiteral("set")); }
    bool logInAs(const QString& level, const QString& password) {
        return LogInThroughDialog(*login, true, level, {password});
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
        zav::SetAutoLogoutTimingForTests(750, 200); // 150 ms idle, then 3 countdown seconds
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

    // The logout comes the policy's minutes after the last input, its warning inside them; a warning as
    // long as the minutes is shortened to half of them.
    void theLogoutComesAtTheMinuteItNames() {
        setPolicy("1", "20");
        zav::SetAutoLogoutTimingForTests(3000, 50); // a minute of 3 s: 20 warning seconds are 1 s
        QSignalSpy warned(login.get(), &ZAV_Login::autoLogoutWarning);
        QSignalSpy out(login.get(), &ZAV_Login::loggedOut);
        QElapsedTimer sinceInput; // started before the login, whose last input arms the watch
        sinceInput.start();
        QVERIFY(logInAsSetter());
        QTRY_COMPARE_WITH_TIMEOUT(out.count(), 1, 10000);
        const qint64 took = sinceInput.elapsed();
        QVERIFY2(took >= 2995 && took < 3900, qPrintable(QString::number(took)));
        setPolicy("1", "60");
        QVERIFY(logInAsSetter());
        QTRY_COMPARE_WITH_TIMEOUT(out.count(), 2, 10000);
        QCOMPARE(warned.count(), 2);
        QCOMPARE(warned.at(1).at(0).toInt(), 30);
    }

    // Every logout, the automatic one first, closes the component's dialogs and stores nothing: here the
    // management window with its name dialog open. A write that comes after the logout anyway, in a
    // window opened for the login that ended, is refused.
    void aLogoutClosesTheSessionsWindowsAndStopsTheirWrites() {
        setPolicy("1", "0");
        zav::SetAutoLogoutTimingForTests(400, 10);
        QVERIFY(logInAs(QStringLiteral("Operator"), QString())); // level 1 may manage levels
        QPointer<zav::manage::Frm_Manage> window;
        QPointer<zav::manage::Frm_Name> nameDialog;
        QStringList seen;
        bool openAtLogout = true;
        const auto lateWrite = connect(login.get(), &ZAV_Login::loggedOut, this, [&] {
            openAtLogout = QApplication::activeModalWidget() != nullptr;
            answerNextMessage(seen);
            window->AddLevel(QStringLiteral("Sneaked in"));
        });
        whenModal<zav::manage::Frm_Manage>([&](zav::manage::Frm_Manage* w) {
            window = w;
            whenModal<zav::manage::Frm_Name>([&](zav::manage::Frm_Name* d) {
                nameDialog = d;
                type(d, "Text1", QStringLiteral("Half typed"));
            });
            w->LevAdd_Click(); // returns once the logout closed the name dialog
        });
        QVERIFY(!login->CurrentLevel()->ShowStructure());
        disconnect(lateWrite);
        QVERIFY(login->IsLogoutLevel());
        QVERIFY(!openAtLogout);          // closed before the host heard of the logout
        QVERIFY(!window && !nameDialog); // and gone
        QCOMPARE(seen.size(), 1);
        QVERIFY2(seen[0].contains(QLatin1String("has ended; nothing was stored")), qPrintable(seen.value(0)));
        QCOMPARE(env->count(QStringLiteral("Select * from Levels where Name = 'Sneaked in' or Name = "
                                           "'Half typed'")),
                 0);
        // A login dialog open when the host logs out is closed as cancelled.
        bool wasOpen = false;
        whenModal<zav::Frm_Login>([&](zav::Frm_Login*) {
            wasOpen = true;
            login->Logout();
        });
        QVERIFY(!login->LoginByOperator());
        QVERIFY(wasOpen);
    }

    // Input keeps the operator in past the idle time; then "Stay logged in" does.
    void inputDelaysAndStayKeepsTheLogin() {
        setPolicy("5", "30");
        zav::SetAutoLogoutTimingForTests(6080, 1000); // 400 ms idle, then the 30 s warning
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
