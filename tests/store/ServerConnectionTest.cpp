// The connection layer of the server engine on the suite's throwaway server (scripts/pg-test-server,
// which ctest starts): values as parameters, the transaction guard, and the classic error numbers of
// what the server refuses, none of which repeats a password.

#include "StoreTestSupport.h"
#include "store/server/PgTransaction.h"
#include "store/server/ServerAddress.h"
#include "store/server/ServerError.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace zav::pg;
using namespace zav::store;
using zav::pg::Transaction;
using zav::store::test::failureOf;
using zav::store::test::testServerUri;

TEST(ServerConnection, ValuesTravelAsParametersUnchanged) {
    Connection db(testServerUri());
    const QString text = QStringLiteral("O'Brien \"x\"; DROP TABLE t; -- \\ äß€ 日本 😀");
    const Result row = db.exec(QStringLiteral("SELECT $1::text, $2, $3, $4::text, $5::int, $6::text = ''"),
                               {text, qint64(1) << 40, true, QVariant(), 32767, QString()});
    EXPECT_EQ(row.value(0, 0), QVariant(text));
    EXPECT_EQ(row.value(0, 1), QVariant(qint64(1) << 40));
    EXPECT_EQ(row.value(0, 2), QVariant(true));
    EXPECT_FALSE(row.value(0, 3).isValid());
    EXPECT_EQ(row.value(0, 4), QVariant(32767));
    EXPECT_EQ(row.value(0, 5), QVariant(true)); // the empty text is no NULL

    const QString withNul = QStringLiteral("ab") + QChar(0) + QStringLiteral("cd");
    EXPECT_EQ(failureOf([&] { db.exec(QStringLiteral("SELECT $1::text"), {withNul}); }).Number(),
              ErrTextWithNul);
    EXPECT_EQ(failureOf([&] { db.exec(QStringLiteral("SELECT 1;") + withNul); }).Number(), ErrTextWithNul);
}

// A database set to read backslashes in literals as escapes changes nothing for our connections.
TEST(ServerConnection, LiteralsAreReadByTheStandardWhateverTheDatabaseSays) {
    zav::store::test::Places places(zav::store::test::Place::Server);
    const QString uri = places.fresh();
    Connection(uri).exec(QStringLiteral("DO $$BEGIN EXECUTE format('ALTER DATABASE %I SET "
                                        "standard_conforming_strings = off', current_database()); END$$"));
    EXPECT_EQ(Connection(uri).exec(QStringLiteral("SELECT 'a\\b'")).value(0, 0),
              QVariant(QStringLiteral("a\\b")));
}

TEST(ServerConnection, GuardKeepsOnlyCommittedWork) {
    Connection db(testServerUri());
    db.exec(QStringLiteral("CREATE TEMP TABLE t (id int PRIMARY KEY)"));
    {
        Transaction outer(db);
        db.exec(QStringLiteral("INSERT INTO t VALUES (1)"));
        {
            Transaction inner(db);
            db.exec(QStringLiteral("INSERT INTO t VALUES (2)"));
        } // not committed: only the inner work goes
        outer.commit();
    }
    {
        Transaction left(db);
        db.exec(QStringLiteral("INSERT INTO t VALUES (3)"));
    }
    {
        Transaction failed(db);
        db.exec(QStringLiteral("INSERT INTO t VALUES (4)"));
        const DbError duplicate = failureOf([&] { db.exec(QStringLiteral("INSERT INTO t VALUES (1)")); });
        EXPECT_EQ(duplicate.Number(), ErrDuplicateKey);
        EXPECT_TRUE(duplicate.Description().contains(QLatin1String("t_pkey"))) << duplicate.what();
        EXPECT_NE(failureOf([&] { failed.commit(); }).Number(), 0); // a caught failure is no success
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(db.exec(QStringLiteral("SELECT string_agg(id::text, ',') FROM t")).value(0, 0),
              QVariant(QStringLiteral("1")));
}

TEST(ServerConnection, RefusedConnectionsNameTheServerButNoPassword) {
    const QString uri = testServerUri();
    const QString secret = QStringLiteral("Pw-Nobody-Guesses-42");
    auto refusal = [&](const QString& address) {
        const DbError error = failureOf([&] { Connection db(address); });
        EXPECT_FALSE(error.Description().contains(secret)) << error.what();
        EXPECT_TRUE(error.Description().contains(QLatin1String("postgresql://zavtest"))) << error.what();
        return error.Number();
    };
    const QString withPassword = QString(uri).replace(QLatin1String("zavtest@"), "zavtest:" + secret + '@');
    EXPECT_EQ(refusal(QString(withPassword).replace(QLatin1String("@/zavtest?"), QLatin1String("@/no_db?"))),
              ErrFileNotFound);
    EXPECT_EQ(refusal(QString(withPassword).replace(QLatin1String("zavtest:"), QLatin1String("zavtest_pw:"))),
              ErrNotValidPassword);

    QTemporaryDir nobodyListens;
    EXPECT_EQ(refusal("postgresql://zavtest:" + secret + "@/zavtest?host=" + nobodyListens.path()),
              ErrDiskOrNetwork);
    EXPECT_TRUE(isServerPath(uri));
    EXPECT_TRUE(isServerPath(QStringLiteral("postgres://db.plant/login")));
    EXPECT_FALSE(isServerPath(QStringLiteral("/var/lib/panel/postgresql://login.mdb")));
    EXPECT_EQ(describeServer("postgresql://anna:" + secret +
                             "@db.plant:5433/login?sslmode=require&password=" + secret),
              QStringLiteral("postgresql://anna@db.plant:5433/login"));
    EXPECT_EQ(withoutPassword("postgres://anna:" + secret + "@h1:5432,h2/login?password=" + secret +
                              "&sslmode=require&sslpassword=" + secret),
              QStringLiteral("postgres://anna@h1:5432,h2/login?sslmode=require"));
    EXPECT_EQ(withoutPassword(QStringLiteral("postgresql://:x@/login?host=/run/pg")),
              QStringLiteral("postgresql://@/login?host=/run/pg"));
    EXPECT_EQ(describeServer(QStringLiteral("postgresql://anna@db1:5432,db2:5433/login")),
              QStringLiteral("postgresql://anna@db1:5432,db2:5433/login"));
    const QString unreadable = "postgresql://anna:" + secret + "@db.plant/login?colour=blue";
    EXPECT_FALSE(describeServer(unreadable).contains(secret));
    EXPECT_EQ(failureOf([&] { Connection db(unreadable); }).Number(), ErrNotValidFileName);
}

} // namespace
