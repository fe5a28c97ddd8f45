// The RAII layer under the engine, on plain (unkeyed) files.

#include "StoreTestSupport.h"
#include "store/SqliteDatabase.h"
#include "store/SqliteStatement.h"

#include <gtest/gtest.h>

namespace {

using namespace zav::sqlite;
using zav::store::test::TempFolder;

constexpr int SqliteError = 1;
constexpr int SqliteCantOpen = 14;
constexpr int SqliteConstraintUnique = 19 | (8 << 8);

qint64 countOf(Database& db, const QString& sql) {
    Statement count(db, sql);
    EXPECT_TRUE(count.executeStep());
    return count.columnInt64(0);
}

TEST(SqliteLayer, FailuresCarryTheEngineCodeAndMessage) {
    TempFolder folder;
    try {
        Database missing(folder.file(QStringLiteral("none/x.db")), OpenFlags::ReadWrite);
        ADD_FAILURE() << "opened a file in a missing folder";
    } catch (const Exception& error) {
        EXPECT_EQ(error.errorCode(), SqliteCantOpen);
    }

    Database db(QStringLiteral(":memory:"), OpenFlags::ReadWrite);
    db.exec(QStringLiteral("CREATE TABLE t (k TEXT UNIQUE)"));
    try {
        Statement bad(db, QStringLiteral("SELEC 1"));
        ADD_FAILURE() << "prepared a syntax error";
    } catch (const Exception& error) {
        EXPECT_EQ(error.errorCode(), SqliteError);
        EXPECT_NE(std::string(error.what()).find("syntax error"), std::string::npos) << error.what();
    }
    Statement insert(db, QStringLiteral("INSERT INTO t VALUES ('x')"));
    insert.exec();
    insert.reset();
    try {
        insert.exec();
        ADD_FAILURE() << "stored a duplicate";
    } catch (const Exception& error) {
        EXPECT_EQ(error.extendedErrorCode(), SqliteConstraintUnique);
        EXPECT_NE(std::string(error.what()).find("t.k"), std::string::npos) << error.what();
    }
}

TEST(SqliteLayer, StatementsBindAndReadValues) {
    Database db(QStringLiteral(":memory:"), OpenFlags::ReadWrite);
    db.exec(QStringLiteral("CREATE TABLE t (a, b, c, d, e)"));
    Statement insert(db, QStringLiteral("INSERT INTO t VALUES (?, ?, ?, ?, ?)"));
    insert.bind(1, qint64(1) << 40);
    insert.bind(2, 2.5);
    insert.bind(3, QStringLiteral("Müller"));
    insert.bind(4, QString()); // a null QString is the empty text, not NULL
    insert.bindNull(5);
    EXPECT_EQ(insert.exec(), 1);
    EXPECT_EQ(db.lastInsertRowid(), 1);

    Statement select(db, QStringLiteral("SELECT a, b, c, d, e FROM t"));
    ASSERT_TRUE(select.executeStep());
    EXPECT_EQ(select.columnInt64(0), qint64(1) << 40);
    EXPECT_DOUBLE_EQ(select.columnDouble(1), 2.5);
    EXPECT_EQ(select.columnText(2), QStringLiteral("Müller"));
    EXPECT_EQ(select.columnType(3), ColumnType::Text);
    EXPECT_TRUE(select.columnText(3).isEmpty());
    EXPECT_EQ(select.columnType(4), ColumnType::Null);
    EXPECT_EQ(select.columnName(2), QStringLiteral("c"));
    EXPECT_FALSE(select.executeStep());

    // One statement per text: the engine must never run a hidden second one.
    EXPECT_THROW(Statement(db, QStringLiteral("SELECT 1; DELETE FROM t")), Exception);
    EXPECT_EQ(countOf(db, QStringLiteral("SELECT count(*) FROM t; ")), 1);
}

} // namespace
