// What the component writes to the audit trail: logins by level and by operator, failures, the lockout
// they cause, the top password, logouts by request and by termination; never a typed password; a login
// whose row cannot be written is refused, a logout never is.

#include "operations/AuditTrail.h"
#include "component/Frm_Login.h"
#include "operations/Clock.h"
#include "operations/Policy.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QtTest>

using namespace zav::test;

class AuditTrailTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ComponentEnvironment> env;
    std::shared_ptr<ZAV_Login> login;
    std::unique_ptr<ModalWatchdog> watchdog;

    // An empty `entry` chooses nothing.
    bool logIn(bool byLevel, const QString& entry, const QString& password) {
        return LogInThroughDialog(*login, byLevel, entry, {password});
    }
    QStringList rows(const QString& path = {}) const {
        QStringList list;
        for (const auto& row : zav::manage::ReadAuditRows(path.isEmpty() ? env->dbPath() : path)) {
            list << QStringList{row.event, row.operatorName, row.level, row.detail}.join(QLatin1Char('|'));
        }
        return list;
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<ComponentEnvironment>(true);
        login = env->createComponent();
        env->addLevel(2, QStringLiteral("Setter"), QStringLiteral("set"));
        env->addLevel(3, QStringLiteral("Guest"), QVariant());
        env->addOperator(QStringLiteral("anna"), QStringLiteral("anna-pw"), 2);
        login->Logout();
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("audit"), QStringLiteral("on"));
        watchdog = std::make_unique<ModalWatchdog>(20000);
    }
    void cleanup() {
        watchdog.reset();
        login.reset();
        env.reset();
    }

    void loginsFailuresLockoutAndLogoutsAreRecorded() {
        QDateTime now = QDateTime::currentDateTimeUtc();
        zav::manage::SetClockForTests([&now] { return now; });
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("lockout-attempts"), QStringLiteral("2"));
        QVERIFY(!logIn(false, QString(), QStringLiteral("typed-secret-0")));
        QVERIFY(!logIn(true, QStringLiteral("Setter"), QStringLiteral("typed-secret-1")));
        QVERIFY(!logIn(true, QStringLiteral("Setter"), QStringLiteral("typed-secret-2")));
        QVERIFY(!logIn(true, QString(), QStringLiteral("KWB_Merlato"))); // level 0's password waits
        QVERIFY(logIn(false, QStringLiteral("anna"), QStringLiteral("anna-pw")));
        QVERIFY(login->Logout());
        now = now.addSecs(2);
        QVERIFY(logIn(false, QStringLiteral("anna"), QStringLiteral("KWB_Merlato")));
        login->Terminate();
        zav::manage::SetClockForTests(nullptr);

        const QStringList got = rows().mid(2); // after the two policy changes
        QCOMPARE(got, (QStringList{
                          "login-failed|||by operator, no name chosen, wrong password",
                          "login-failed||Setter|by level, wrong password; the top password waits 1 s",
                          "login-failed||Setter|by level, wrong password",
                          "lockout||Setter|2 wrong passwords in a row; locked until " +
                              got.value(3).section(QStringLiteral("until "), 1),
                          "login-failed|||by level, no name chosen, not compared: the top password waits 1 s",
                          "login|anna|Setter|by operator",
                          "logout|anna|Setter|by request",
                          "login|||0|by operator, top password",
                          "logout|||0|terminated",
                      }));
        for (const auto& row : zav::manage::ReadAuditRows(env->dbPath())) {
            QVERIFY2(!row.detail.contains(QLatin1String("typed-secret")) &&
                         !row.operatorName.contains(QLatin1String("typed-secret")),
                     "a typed password reached the trail");
        }
        QVERIFY(zav::manage::VerifyAuditTrail(env->dbPath()).intact);
    }

    // The audit switched on elsewhere during a session records its logout; a new DbPath ends the session
    // on the database it belonged to, with its row and the host told.
    void theTrailMissesNothingOfASession() {
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("audit"), QStringLiteral("off"));
        QVERIFY(logIn(true, QStringLiteral("Setter"), QStringLiteral("set")));
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("audit"), QStringLiteral("on"));
        QSignalSpy out(login.get(), &ZAV_Login::loggedOut);
        QVERIFY(login->Logout());
        QVERIFY(logIn(false, QStringLiteral("anna"), QStringLiteral("anna-pw")));
        const QString first = env->dbPath();
        login->setDbPath(env->path(QStringLiteral("second.db")));
        QCOMPARE(out.count(), 2);
        QVERIFY(login->IsLogoutLevel());
        const QStringList got = rows(first);
        QCOMPARE(got.mid(got.size() - 3),
                 (QStringList{"logout||Setter|by request", "login|anna|Setter|by operator",
                              "logout|anna|Setter|database changed"}));
    }

    void aLoginThatCannotBeRecordedIsRefused() {
        // A row slipped in behind the trail's seal takes the number the next row needs.
        env->execute(QStringLiteral("Insert into Audit (Seq, Event) values (2, 'forged')"));
        QVERIFY(!logIn(false, QStringLiteral("anna"), QStringLiteral("anna-pw")));
        QVERIFY(login->IsLogoutLevel());
        QVERIFY(!env->messages.isEmpty());
        env->execute(QStringLiteral("Delete * from Audit where Event = 'forged'"));
        QVERIFY(logIn(false, QStringLiteral("anna"), QStringLiteral("anna-pw")));
        env->execute(QStringLiteral("Insert into Audit (Seq, Event) values (3, 'forged')"));
        QVERIFY(login->Logout()); // a logout lowers the rights: it always happens
        QVERIFY(login->IsLogoutLevel());
    }
};

QTEST_MAIN(AuditTrailTest)
#include "AuditTrailTest.moc"
