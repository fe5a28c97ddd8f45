// Logins from a panel's local copy while its server is down, and what the server takes afterwards. Each test
// has a server of its own, which it stops and starts again.

#include "../store/ServerRelay.h"
#include "../store/StoreTestSupport.h"
#include "access/Class_Par.h"
#include "access/DialogHooks.h"
#include "component/CredentialCheck.h"
#include "component/OfflineMode.h"
#include "operations/Clock.h"
#include "operations/CredentialDatabase.h"
#include "operations/LoginReads.h"
#include "operations/Replica.h"
#include "store/server/PgConnection.h"
#include "support/ComponentFixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>

namespace zav::test {
namespace {

using manage::ReadAuditRows;

class OfflineLogin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "offline_login";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
        OfflineMode::SetProbeIntervalForTests(50);
    }

    void SetUp() override {
        ASSERT_FALSE(server.uri().isEmpty());
        qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    }
    void TearDown() override { manage::SetClockForTests(nullptr); }

    // A panel on the server's database: plain passwords, the top level 0, the built-in 1, Setter (2, may
    // manage) with anna and bob, Night (3) and Guest (4), and the policy given.
    std::shared_ptr<ZAV_Login> panel(const QStringList& policy) {
        auto login = env.createComponent();
        if (!env.count(QStringLiteral("Select * from Levels where ID = 2"))) {
            env.execute(QStringLiteral("Update Policy set Value = 'plain' where Name = 'password-storage'"));
            env.execute(QStringLiteral("Update Levels set PWD = 'top' where ID = 0"));
            env.addLevel(2, QStringLiteral("Setter"), QStringLiteral("set"));
            env.execute(QStringLiteral("Update Levels set ManageLevel = true where ID = 2"));
            env.addLevel(3, QStringLiteral("Night"), QStringLiteral("night"));
            env.addLevel(4, QStringLiteral("Guest"), QVariant());
            env.addOperator(QStringLiteral("anna"), QStringLiteral("old"), 2);
            env.addOperator(QStringLiteral("bob"), QStringLiteral("b1"), 2);
        }
        for (qsizetype i = 0; i + 1 < policy.size(); i += 2) {
            manage::SetPolicyEntry(uri, policy[i], policy[i + 1]);
        }
        login->setDbPath(uri); // reads the policy again
        QObject::connect(login.get(), &ZAV_Login::connectionChanged,
                         [this](bool online) { changes << online; });
        EXPECT_TRUE(OfflineOf(*login).WaitForRefreshesForTests(10000));
        EXPECT_TRUE(env.messages.isEmpty()) << env.messages.value(0).text.toStdString();
        return login;
    }
    static CredentialOutcome logIn(const QString& name, const QString& password) {
        return CheckCredentials(LoginModeOperator, 0, name, password);
    }
    QString stateFolder() const { return state.path() + QStringLiteral("/ZAV_PrjLogin"); }
    bool waitFor(const std::function<bool()>& done) {
        const QDeadlineTimer deadline(15000);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return done();
    }
    std::vector<manage::AuditRow> offlineRowsOnServer() {
        std::vector<manage::AuditRow> rows = ReadAuditRows(uri);
        std::erase_if(rows, [](const auto& row) {
            return !row.detail.contains(QStringLiteral(", offline, recorded "));
        });
        return rows;
    }
    static bool ownerOnly(const QString& path) {
        const auto permissions = QFileInfo(path).permissions();
        return (permissions & QFile::ReadOwner) && !(permissions & 0x0077); // nothing for group or others
    }

    store::test::PrivateServer server;
    QString uri = server.uri();
    QTemporaryDir state;
    ComponentEnvironment env{true, uri};
    QList<bool> changes;
};

TEST_F(OfflineLogin, TheCopyLogsInWhileTheServerIsDownAndTheServerTakesItsQueueExactlyOnce) {
    auto login = panel({"offline-login-days", "7", "audit", "on", "lockout-attempts", "3"});
    // Changed on the server while the panel is online; its next login refreshes the copy.
    ASSERT_TRUE(manage::StoreOperatorPassword(uri, QStringLiteral("anna"), QStringLiteral("new")));
    ASSERT_EQ(manage::RemoveLevel(uri, 3, QStringLiteral("Night")), 0); // and renumbers: Guest is 2 now
    ASSERT_EQ(logIn(QStringLiteral("anna"), QStringLiteral("new")), CredentialOutcome::Accepted);
    ASSERT_TRUE(OfflineOf(*login).WaitForRefreshesForTests(10000));
    const auto copy = manage::FindReplica(uri);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(ownerOnly(copy->path) && ownerOnly(stateFolder()));

    ASSERT_TRUE(server.run(QStringLiteral("pause")));
    QElapsedTimer first;
    first.start();
    EXPECT_EQ(logIn(QStringLiteral("anna"), QStringLiteral("new")), CredentialOutcome::Accepted);
    EXPECT_LT(first.elapsed(), 3500);
    EXPECT_TRUE(login->IsOffline());
    EXPECT_EQ(changes, QList<bool>{false});
    QElapsedTimer next;
    next.start();
    EXPECT_EQ(logIn(QStringLiteral("anna"), QStringLiteral("new")), CredentialOutcome::Accepted);
    EXPECT_LT(next.elapsed(), 50);
    EXPECT_EQ(logIn(QStringLiteral("anna"), QStringLiteral("old")), CredentialOutcome::WrongPassword);
    QStringList levels;
    OfflineOf(*login).Use(OfflineMode::Purpose::Read, [&](const QString& path) {
        return manage::ForEachLoginLevel(path, [&](int, const QString& name) { levels << name; });
    });
    levels.sort();
    EXPECT_EQ(levels, (QStringList{QStringLiteral("Setter"), QStringLiteral("|1")})); // Night is gone
    for (const auto expected : {CredentialOutcome::WrongPassword, CredentialOutcome::WrongPassword,
                                CredentialOutcome::LockedOut, CredentialOutcome::LockedOut}) {
        EXPECT_EQ(logIn(QStringLiteral("bob"), QStringLiteral("x")), expected);
    }
    { // A panel started now starts from the copy, at its logout level.
        auto started = ZAV_Login::create();
        started->setAutoShutDown(false);
        started->setDbPath(uri);
        EXPECT_TRUE(started->IsOffline());
        EXPECT_EQ(started->CurrentLevel()->DBLevelName(), QStringLiteral("Guest"));
    }
    Mod_Globali().component = login;

    // Nothing is changed offline: the windows do not open, a caption is refused, each saying why.
    bool opened = false;
    access::setManageWindowOpener([&](const std::shared_ptr<Class_Level>&) { opened = true; });
    access::setChangePasswordOpener([&](Class_Par&, const auto&, const auto&) { opened = true; });
    env.messages.clear();
    login->CurrentLevel()->ShowStructure();
    login->CurrentOperator()->ChangePassword();
    EXPECT_FALSE(opened);
    ASSERT_EQ(env.messages.size(), 2);
    EXPECT_TRUE(env.messages[1].text.contains(QStringLiteral("nothing can be changed")))
        << env.messages[1].text.toStdString();
    EXPECT_EQ(store::test::errorNumberOf([&] { login->setEnableDescription(1, QStringLiteral("Press")); }),
              3043);
    access::setManageWindowOpener(nullptr);
    access::setChangePasswordOpener(nullptr);
    ASSERT_TRUE(login->Logout());

    // A copy older than the policy's days refuses, saying why.
    manage::SetClockForTests([] { return QDateTime::currentDateTimeUtc().addDays(8); });
    const std::string stale =
        store::test::failureOf([] { logIn(QStringLiteral("anna"), QStringLiteral("new")); }).what();
    EXPECT_NE(stale.find("more than 7 days ago"), std::string::npos) << stale;
    manage::SetClockForTests(nullptr);

    // Back online: the queue goes to the server with the rows' own times, marked offline, and the
    // failures to its lockout.
    const QString sentBefore = copy->path + QStringLiteral(".sent");
    ASSERT_TRUE(QFile::copy(copy->path, sentBefore));
    const std::vector<manage::AuditRow> queued = ReadAuditRows(copy->path);
    ASSERT_GE(queued.size(), 9u);
    ASSERT_TRUE(server.run(QStringLiteral("resume")));
    ASSERT_TRUE(waitFor([&] { return changes.size() == 2; }));
    EXPECT_EQ(changes, (QList<bool>{false, true}));
    EXPECT_FALSE(login->IsOffline());
    ASSERT_EQ(offlineRowsOnServer().size(), queued.size());
    EXPECT_EQ(offlineRowsOnServer().front().time, queued.front().time);
    EXPECT_TRUE(
        env.value(QStringLiteral("Select Locked from Lockout where Name = 'bob'"), QStringLiteral("Locked"))
            .toBool());
    EXPECT_TRUE(manage::VerifyAuditTrail(uri).intact);

    // A panel stopped after the server took its queue, before its copy was replaced, sends it again.
    ASSERT_TRUE(QFile::remove(copy->path) && QFile::rename(sentBefore, copy->path));
    const manage::SentQueue again = manage::SendReplicaQueue(uri, copy->path);
    EXPECT_EQ(again.lastRow, int(queued.size()));
    EXPECT_EQ(again.rows + again.failures, 0);
    EXPECT_EQ(offlineRowsOnServer().size(), queued.size());
}

TEST_F(OfflineLogin, AServerThatStopsAnsweringHoldsTheFirstLoginNoLongerThanItsDeadline) {
    auto login = panel({"offline-login-days", "7"});
    store::test::ServerRelay relay(server.folder());
    auto through = ZAV_Login::create();
    through->setAutoShutDown(false);
    through->setDbPath(relay.through(uri) + QStringLiteral("&connect_timeout=1"));
    ASSERT_TRUE(OfflineOf(*through).WaitForRefreshesForTests(10000));
    relay.setMode(store::test::ServerRelay::Mode::Silent);
    QElapsedTimer first;
    first.start();
    EXPECT_EQ(logIn(QStringLiteral("anna"), QStringLiteral("old")), CredentialOutcome::Accepted);
    EXPECT_LT(first.elapsed(), 1500); // the URI's deadline, 1 s, and a grace
    EXPECT_TRUE(through->IsOffline());
    QElapsedTimer next;
    next.start();
    EXPECT_EQ(logIn(QStringLiteral("anna"), QStringLiteral("old")), CredentialOutcome::Accepted);
    EXPECT_LT(next.elapsed(), 50);
    relay.setMode(store::test::ServerRelay::Mode::Forward);
    EXPECT_TRUE(waitFor([&] { return !through->IsOffline(); }));
}

TEST_F(OfflineLogin, NothingIsKeptWhileThePolicyIsOffAndACopyServesOnlyItsOwnServerDatabase) {
    auto login = panel({});
    ASSERT_EQ(logIn(QStringLiteral("anna"), QStringLiteral("old")), CredentialOutcome::Accepted);
    EXPECT_FALSE(QFileInfo::exists(stateFolder()));

    login = panel({"offline-login-days", "7"});
    const auto copy = manage::FindReplica(uri);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->identity.database, QStringLiteral("zavtest"));
    const auto finding = [&] {
        return std::ranges::any_of(manage::FindUnsafeSettings(uri), [](const auto& found) {
            return found.finding == manage::Finding::OfflineReplicaPlain;
        });
    };
    EXPECT_TRUE(finding());
    // Another address, or a file that names another server, is no copy of this one.
    const QString otherAddress = QString(uri).replace(QStringLiteral("zavtest@"), QStringLiteral("other@"));
    EXPECT_FALSE(manage::FindReplica(otherAddress));
    const QString renamed = manage::ReplicaPathFor({QStringLiteral("1"), QStringLiteral("zavtest")});
    ASSERT_TRUE(QFile::copy(copy->path, renamed));
    EXPECT_FALSE(manage::ReadReplicaAt(renamed, uri));
    ASSERT_TRUE(QFile::remove(copy->path));
    EXPECT_FALSE(manage::FindReplica(uri));
    ASSERT_TRUE(server.run(QStringLiteral("pause")));
    EXPECT_EQ(store::test::errorNumberOf([] { logIn(QStringLiteral("anna"), QStringLiteral("old")); }), 3043);
    EXPECT_TRUE(login->IsOffline()); // the policy keeps a copy: offline, but without one nobody logs in
    ASSERT_TRUE(server.run(QStringLiteral("resume")));
    ASSERT_TRUE(waitFor([&] { return !login->IsOffline() && manage::FindReplica(uri); }));

    // A server that answers, if only to refuse the panel's role, is no reason to work offline.
    const QString role = QStringLiteral("offline_panel");
    pg::Connection(uri).execScript(QStringLiteral("CREATE ROLE %1 LOGIN SUPERUSER").arg(role));
    const QString asRole = QString(uri).replace(QStringLiteral("zavtest@"), role + QLatin1Char('@'));
    env.messages.clear();
    auto refused = ZAV_Login::create();
    refused->setAutoShutDown(false);
    refused->setDbPath(asRole);
    ASSERT_TRUE(OfflineOf(*refused).WaitForRefreshesForTests(10000) && manage::FindReplica(asRole));
    pg::Connection(uri).execScript(
        QStringLiteral("ALTER ROLE %1 NOLOGIN; SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                       "WHERE usename = '%1'")
            .arg(role));
    EXPECT_EQ(store::test::errorNumberOf([] { logIn(QStringLiteral("anna"), QStringLiteral("old")); }), 3031);
    EXPECT_FALSE(refused->IsOffline());
    refused.reset();
    Mod_Globali().component = login;

    manage::SetPolicyEntry(uri, QStringLiteral("offline-login-days"), QStringLiteral("0"));
    EXPECT_FALSE(finding());
    login->setDbPath(uri); // reads the policy again, which removes the copy
    EXPECT_FALSE(manage::FindReplica(uri));
}

} // namespace
} // namespace zav::test
