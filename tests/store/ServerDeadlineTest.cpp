// A server that stops answering, or goes away, never holds a call longer than its deadline, a lost
// connection comes back by itself, and a commit whose answer was lost is reported as the server decided.

#include "ServerRelay.h"
#include "StoreTestSupport.h"
#include "store/server/PgConnection.h"
#include "store/server/PgTransaction.h"
#include "store/server/ServerError.h"

#include <QElapsedTimer>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>

using namespace zav::store;
using namespace zav::store::test;
using zav::pg::Connection;
using PgTransaction = zav::pg::Transaction;

namespace {

constexpr qint64 DeadlineMs = 1000; // connect_timeout=1
constexpr qint64 GraceMs = 500;

QString withDeadline(const QString& uri) {
    return uri + QStringLiteral("&connect_timeout=1");
}

// Every kind of call, each on a connection of its own: a read, a write and a commit of an open
// transaction, and a new connection.
struct Calls {
    explicit Calls(const QString& address)
        : uri(address), reader(address), writer(address), committer(address) {
        writing.emplace(writer);
        writer.exec(QStringLiteral("INSERT INTO t VALUES (1)"));
        committing.emplace(committer);
        committer.exec(QStringLiteral("INSERT INTO t VALUES (2)"));
        committer.rememberTransactionId(
            committer.exec(QStringLiteral("SELECT txid_current()")).value(0, 0).toLongLong());
    }
    // Each call ends with 3043 within the deadline and the grace.
    void expectEachCutInTime(const std::string& when) {
        const std::pair<const char*, std::function<void()>> calls[] = {
            {"read", [&] { reader.exec(QStringLiteral("SELECT count(*) FROM t")); }},
            {"write", [&] { writer.exec(QStringLiteral("INSERT INTO t VALUES (3)")); }},
            {"commit", [&] { committing->commit(); }},
            {"connect", [&] { Connection another(uri); }},
        };
        for (const auto& [kind, call] : calls) {
            QElapsedTimer timer;
            timer.start();
            const DbError failure = failureOf(call);
            EXPECT_EQ(failure.Number(), ErrDiskOrNetwork) << when << ", " << kind << ": " << failure.what();
            if (kind == std::string("commit")) { // the COMMIT went out: only the server knows
                EXPECT_TRUE(failure.Description().contains(QStringLiteral("whether the change was stored")))
                    << failure.what();
            }
            EXPECT_LT(timer.elapsed(), DeadlineMs + GraceMs) << when << ", " << kind;
        }
    }
    QString uri;
    Connection reader, writer, committer;
    std::optional<PgTransaction> writing, committing;
};

class ServerDeadlines : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(server.uri().isEmpty());
        // What was committed survives a crash here (the suite's servers do not wait for their disks).
        Connection(server.uri()).exec(QStringLiteral("ALTER DATABASE zavtest SET synchronous_commit = on"));
        Connection(server.uri()).exec(QStringLiteral("CREATE TABLE t (n int)"));
    }
    QString rows() { // the numbers stored
        return Connection(server.uri())
            .exec(QStringLiteral("SELECT string_agg(n::text, ',' ORDER BY n) FROM t"))
            .value(0, 0)
            .toString();
    }
    PrivateServer server;
    ServerRelay relay{server.folder()};
    QString uri = withDeadline(relay.through(server.uri()));
};

} // namespace

TEST_F(ServerDeadlines, EveryCallEndsInTimeWhenTheServerStopsAnsweringOrGoesAway) {
    EXPECT_EQ(Connection(server.uri()).deadlineMs(), 3000); // without connect_timeout
    EXPECT_EQ(Connection(uri).deadlineMs(), DeadlineMs);
    {
        Calls stopped(uri);
        std::vector<int> processes{server.postmasterPid()}; // no new connection is answered either
        for (Connection* db : {&stopped.reader, &stopped.writer, &stopped.committer}) {
            processes.push_back(db->exec(QStringLiteral("SELECT pg_backend_pid()")).value(0, 0).toInt());
        }
        for (const int pid : processes) {
            ::kill(pid, SIGSTOP);
        }
        stopped.expectEachCutInTime("stopped processes");
        for (const int pid : processes) {
            ::kill(pid, SIGCONT);
        }
    }
    {
        Calls silent(uri);
        relay.setMode(ServerRelay::Mode::Silent);
        silent.expectEachCutInTime("a silent socket");
        relay.setMode(ServerRelay::Mode::Forward);
    }
    {
        Calls crashed(uri);
        ASSERT_TRUE(server.run(QStringLiteral("crash")));
        crashed.expectEachCutInTime("the server stopped in the middle of a transaction");
        ASSERT_TRUE(server.run(QStringLiteral("resume")));
    }
    // The writes of transactions never committed were not stored; the commits' outcome was unknown.
    EXPECT_FALSE(rows().contains(u'1') || rows().contains(u'3')) << rows().toStdString();
}

// A kept connection that the server dropped (as after a crash or a failover) is made anew: a read outside a
// transaction runs again on the new connection, and a lost connection fails at once until then.
TEST_F(ServerDeadlines, AKeptConnectionComesBackAfterTheServerCrashed) {
    Connection kept(uri);
    EXPECT_EQ(kept.exec(QStringLiteral("SELECT 1")).value(0, 0).toInt(), 1);
    ASSERT_TRUE(server.run(QStringLiteral("crash")));
    ASSERT_TRUE(server.run(QStringLiteral("resume")));
    EXPECT_EQ(kept.exec(QStringLiteral("SELECT count(*) FROM t")).value(0, 0).toInt(), 0);

    PgTransaction open(kept);
    kept.exec(QStringLiteral("INSERT INTO t VALUES (4)"));
    ASSERT_TRUE(server.run(QStringLiteral("crash")));
    ASSERT_TRUE(server.run(QStringLiteral("resume")));
    // A write inside the lost transaction never runs on a new connection, where it would stand alone.
    EXPECT_EQ(errorNumberOf([&] { kept.exec(QStringLiteral("INSERT INTO t VALUES (5)")); }),
              ErrDiskOrNetwork);
    EXPECT_TRUE(kept.isBroken());
    EXPECT_EQ(errorNumberOf([&] { kept.exec(QStringLiteral("SELECT 1")); }), ErrDiskOrNetwork);
    kept.reopen();
    EXPECT_EQ(kept.exec(QStringLiteral("SELECT count(*) FROM t")).value(0, 0).toInt(), 0);

    // The same through the store: the first open after the crash connects anew.
    openShared(uri, true)->OpenRecordset(QStringLiteral("SELECT 1"));
    ASSERT_TRUE(server.run(QStringLiteral("crash")));
    ASSERT_TRUE(server.run(QStringLiteral("resume")));
    EXPECT_EQ(errorNumberOf([&] { openShared(uri, true)->OpenRecordset(QStringLiteral("SELECT n FROM t")); }),
              0);
}

// Once a server left an open unanswered until the deadline, the opens of the next deadline fail at once:
// a call that opens the database twice waits once.
TEST_F(ServerDeadlines, AfterADeadlinePassedTheNextOpensDoNotWaitAgain) {
    openShared(uri, true)->OpenRecordset(QStringLiteral("SELECT 1"));
    relay.setMode(ServerRelay::Mode::Silent);
    const auto timedOpen = [&] {
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(errorNumberOf([&] { openShared(uri, true); }), ErrDiskOrNetwork);
        return timer.elapsed();
    };
    EXPECT_GE(timedOpen(), DeadlineMs - 50);
    EXPECT_LT(timedOpen(), 200);
    QThread::msleep(DeadlineMs);
    EXPECT_GE(timedOpen(), DeadlineMs - 50); // and then the server is asked again
    relay.setMode(ServerRelay::Mode::Forward);
    QThread::msleep(DeadlineMs);
    EXPECT_EQ(errorNumberOf([&] { openShared(uri, true)->OpenRecordset(QStringLiteral("SELECT 1")); }), 0);
}

// The COMMIT reached the server and its answer was lost: success. The COMMIT never reached it: failure.
TEST_F(ServerDeadlines, ACommitWhoseAnswerWasLostIsReportedAsTheServerDecided) {
    const auto commitThrough = [&](ServerRelay::Mode mode, int n) {
        Connection db(withDeadline(relay.through(server.uri()))
                          .replace(QStringLiteral("connect_timeout=1"), QStringLiteral("connect_timeout=3")));
        PgTransaction change(db);
        db.exec(QStringLiteral("INSERT INTO t VALUES ($1)"), {n});
        db.rememberTransactionId(db.exec(QStringLiteral("SELECT txid_current()")).value(0, 0).toLongLong());
        relay.setMode(mode);
        return failureOf([&] { change.commit(); });
    };
    EXPECT_EQ(commitThrough(ServerRelay::Mode::SwallowAnswersThenCut, 6).Number(), 0);
    const DbError lost = commitThrough(ServerRelay::Mode::SwallowRequestsThenCut, 7);
    EXPECT_TRUE(lost.Number() == ErrDiskOrNetwork &&
                lost.Description().contains(QStringLiteral("not stored")))
        << lost.what();
    EXPECT_EQ(rows(), QStringLiteral("6"));
}
