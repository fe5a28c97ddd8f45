// Logins by badge through the component, as a host with its own reader calls them: what a badge opens,
// the PIN pad of badge and PIN, and what keeps a panel from being fooled (the policy, the key, unknown
// badges, wrong PINs).

#include "dialogs/Frm_Pin.h"
#include "operations/AuditTrail.h"
#include "operations/Badges.h"
#include "operations/Lockout.h"
#include "operations/Policy.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QtTest>

using namespace zav::test;
namespace manage = zav::manage;

class BadgeLoginTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ComponentEnvironment> env;
    std::shared_ptr<ZAV_Login> login;
    std::unique_ptr<ModalWatchdog> watchdog;

    QString lastMessage() const { return env->messages.isEmpty() ? QString() : env->messages.last().text; }
    void policy(const char* key, const char* value) {
        manage::SetPolicyEntry(env->dbPath(), QString::fromLatin1(key), QString::fromLatin1(value));
    }
    // Answers the next PIN pad with `pin` typed on its keys.
    void answerPin(const QString& pin) {
        whenModal<zav::Frm_Pin>([pin](zav::Frm_Pin* pad) {
            for (const QChar digit : pin) {
                click(pad, qPrintable(
                               QStringLiteral("Cmd_Key%1").arg(digit == u'0' ? 10 : digit.digitValue() - 1)));
            }
            click(pad, "Cmd_Ok");
        });
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<ComponentEnvironment>(true);
        qputenv("ZAV_BADGE_KEY_FILE", env->path(QStringLiteral("badge.key")).toLocal8Bit());
        login = env->createComponent();
        env->addLevel(2, QStringLiteral("Setter"), QStringLiteral("set"));
        env->addOperator(QStringLiteral("anna"), QStringLiteral("anna-pw"), 2);
        env->addOperator(QStringLiteral("bob"), QStringLiteral("bob-pw"), 2);
        login->Logout(); // the logout level is the new largest one
        watchdog = std::make_unique<ModalWatchdog>(20000);
    }
    void cleanup() {
        watchdog.reset();
        login.reset();
        env.reset();
        qunsetenv("ZAV_BADGE_KEY_FILE");
    }

    void aBadgeOpensOnlyWithThePolicyAndThePanelsKey() {
        // With the policy untouched a badge is no login, and the database is not written.
        QVERIFY(!login->LoginByBadge(QStringLiteral("12345678")));
        QVERIFY2(lastMessage().contains(QStringLiteral("badge-login")), qPrintable(lastMessage()));
        QVERIFY(!env->open()->TableExists(QStringLiteral("Badges")));
        policy("badge-login", "on");
        policy("audit", "on");
        QVERIFY(!login->LoginByBadge(QStringLiteral("12345678")));
        QVERIFY2(lastMessage().contains(env->path(QStringLiteral("badge.key"))), qPrintable(lastMessage()));

        manage::CreateBadgeKey();
        manage::SetBadge(env->dbPath(), QStringLiteral("anna"), QStringLiteral("0012345678"),
                         manage::LoginMethod::Badge);
        QSignalSpy loggedIn(login.get(), &ZAV_Login::loggedIn);
        QVERIFY(login->LoginByBadge(QStringLiteral("12345678")));
        QCOMPARE(login->CurrentOperator()->OperatorNameText(), QStringLiteral("anna"));
        QCOMPARE(login->CurrentLevel()->ID(), 2);
        QCOMPARE(loggedIn.size(), 1);
        QCOMPARE(loggedIn.first().first().toString(), QStringLiteral("anna"));
        const auto rows = manage::ReadAuditRows(env->dbPath());
        QCOMPARE(rows.back().event, QStringLiteral("login"));
        QCOMPARE(rows.back().detail, QStringLiteral("by badge"));
        QVERIFY(login->Logout());

        // Another panel's key makes other HMACs: the badge opens nothing there.
        QFile::remove(manage::BadgeKeyPath());
        manage::CreateBadgeKey();
        QVERIFY(!login->LoginByBadge(QStringLiteral("12345678")));
        QCOMPARE(lastMessage(), QStringLiteral("This badge is not known."));
    }

    void aPinFollowsTheBadgeAndWrongOnesCountAgainstTheOperator() {
        policy("badge-login", "on");
        policy("lockout-attempts", "2");
        manage::CreateBadgeKey();
        manage::SetBadge(env->dbPath(), QStringLiteral("bob"), QStringLiteral("A1B2C3"),
                         manage::LoginMethod::BadgeAndPin, QStringLiteral("4711"));
        QSignalSpy refused(login.get(), &ZAV_Login::loginFailed);
        answerPin(QStringLiteral("4712"));
        QVERIFY(!login->LoginByBadge(QStringLiteral("0xa1b2c3")));
        QCOMPARE(lastMessage(), QStringLiteral("Wrong PIN"));
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused.first().first().toString(), QStringLiteral("bob"));
        answerPin(QStringLiteral("4711"));
        QVERIFY(login->LoginByBadge(QStringLiteral("a1b2c3")));
        QCOMPARE(login->CurrentOperator()->OperatorNameText(), QStringLiteral("bob"));
        QVERIFY(login->Logout());

        // Two wrong PINs in a row lock bob out; his badge with the right PIN is refused then.
        answerPin(QStringLiteral("0000"));
        QVERIFY(!login->LoginByBadge(QStringLiteral("A1B2C3")));
        answerPin(QStringLiteral("1111"));
        QVERIFY(!login->LoginByBadge(QStringLiteral("A1B2C3")));
        QVERIFY2(lastMessage().startsWith(QStringLiteral("Too many wrong passwords")),
                 qPrintable(lastMessage()));
        QVERIFY(!login->LoginByBadge(QStringLiteral("A1B2C3")));
        QVERIFY(lastMessage().startsWith(QStringLiteral("Too many wrong passwords")));
    }

    void unknownBadgesLockThePanelsReaderButNotItsPasswords() {
        policy("badge-login", "on");
        policy("lockout-attempts", "3");
        manage::CreateBadgeKey();
        manage::SetBadge(env->dbPath(), QStringLiteral("anna"), QStringLiteral("777777"),
                         manage::LoginMethod::Badge);
        // A success between unknown badges starts the count again.
        QVERIFY(!login->LoginByBadge(QStringLiteral("1")));
        QVERIFY(!login->LoginByBadge(QStringLiteral("2")));
        QVERIFY(login->LoginByBadge(QStringLiteral("777777")));
        QVERIFY(login->Logout());
        for (const char* guess : {"3", "4"}) {
            QVERIFY(!login->LoginByBadge(QString::fromLatin1(guess)));
            QCOMPARE(lastMessage(), QStringLiteral("This badge is not known."));
        }
        QVERIFY(!login->LoginByBadge(QStringLiteral("5")));
        QVERIFY2(lastMessage().startsWith(QStringLiteral("Too many unknown badges")),
                 qPrintable(lastMessage()));
        QVERIFY(!login->LoginByBadge(QStringLiteral("777777")));
        QVERIFY(lastMessage().startsWith(QStringLiteral("Too many unknown badges")));
        // The operator is not locked: the panel is, and its passwords still open.
        QVERIFY(
            !manage::ReadLockStateUnderPolicy(
                 env->dbPath(), manage::LockoutEntry{manage::LockoutKind::Operator, QStringLiteral("anna")})
                 ->locked);
        QVERIFY(LogInThroughDialog(*login, false, QStringLiteral("anna"), {QStringLiteral("anna-pw")}));
    }
};

QTEST_MAIN(BadgeLoginTest)
#include "BadgeLoginTest.moc"
