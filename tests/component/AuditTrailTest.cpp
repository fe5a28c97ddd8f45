// What the component writes to the audit trail: logins by level and by operator, failures, the lockout
// they cause, the top password, logouts by request and by termination; never a typed password; a login
// whose row cannot be written is refused, a logout never is.

#include "operations/AuditTrail.h"
#include "component/Frm_Login.h"
#include "operations/Policy.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace zav::test;

class AuditTrailTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ComponentEnvironment> env;
    std::shared_ptr<ZAV_Login> login;
    std::unique_ptr<ModalWatchdog> watchdog;

    bool logIn(bool byLevel, const QString& entry, const QString& password) {
        whenModal<zav::Frm_Login>([&](zav::Frm_Login* d) {
            choose(d, "Cbo_Login", entry);
            type(d, "Text1", password);
            click(d, "Cmd_Ok");
            if (d->isVisible()) { // refused: the dialog stays until it is cancelled
                click(d, "Cmd_Undo");
            }
        });
        return byLevel ? login->LoginByLevel() : login->LoginByOperator();
    }
    QStringList rows() const {
        QStringList list;
        for (const auto& row : zav::manage::ReadAuditRows(env->dbPath())) {
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
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("lockout-attempts"), QStringLiteral("2"));
        QVERIFY(!logIn(true, QStringLiteral("Setter"), QStringLiteral("typed-secret-1")));
        QVERIFY(!logIn(true, QStringLiteral("Setter"), QStringLiteral("typed-secret-2")));
        QVERIFY(logIn(false, QStringLiteral("anna"), QStringLiteral("anna-pw")));
        QVERIFY(login->Logout());
        QVERIFY(logIn(false, QStringLiteral("anna"), QStringLiteral("KWB_Merlato")));
        login->Terminate();

        const QStringList got = rows().mid(2); // after the two policy changes
        QCOMPARE(got, (QStringList{
                          "login-failed||Setter|by level, wrong password",
                          "login-failed||Setter|by level, wrong password",
                          "lockout||Setter|2 wrong passwords in a row; locked until " +
                              got.value(2).section(QStringLiteral("until "), 1),
                          "login|anna|Setter|by operator",
                          "logout|anna|Setter|by request",
                          "login|anna||0|by operator, top password",
                          "logout|anna||0|terminated",
                      }));
        for (const auto& row : zav::manage::ReadAuditRows(env->dbPath())) {
            QVERIFY2(!row.detail.contains(QLatin1String("typed-secret")) &&
                         !row.operatorName.contains(QLatin1String("typed-secret")),
                     "a typed password reached the trail");
        }
        QVERIFY(zav::manage::VerifyAuditTrail(env->dbPath()).intact);
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
