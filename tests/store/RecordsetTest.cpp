// Recordsets and action statements as the component uses them.

#include "StoreTestSupport.h"
#include "outside/DefaultDbUtility.h"
#include "store/Schema.h"
#include "store/server/PgConnection.h"

#include <gtest/gtest.h>

namespace {

using namespace zav::store;
using namespace zav::store::test;

// Levels 0, 1, 2 and operators Anna (1), Ben (2), Cleo (2).
class Recordsets : public CredentialDbTest {
protected:
    void SetUp() override {
        addLevel(*db, 0, QStringLiteral("|0"));
        addLevel(*db, 1, QStringLiteral("|1"));
        addLevel(*db, 2, QStringLiteral("Users"));
        addOperator(*db, QStringLiteral("Anna"), 1, QStringLiteral("a"));
        addOperator(*db, QStringLiteral("Ben"), 2, QStringLiteral("b"));
        addOperator(*db, QStringLiteral("Cleo"), 2, QStringLiteral("c"));
    }

    int count(const QString& sql) { return db->OpenRecordset(sql)->RecordCount(); }
};
INSTANTIATE_TEST_SUITE_P(Engines, Recordsets, ::testing::Values(Place::File, Place::Server), placeName);

TEST_P(Recordsets, WalkTheSelectedRows) {
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID Desc"));
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(rs->Field(FieldID).toInt(), 2); // on the first row at once
    rs->MoveNext();
    rs->MoveNext();
    EXPECT_EQ(rs->Field(FieldID).toInt(), 0);
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(errorNumberOf([&] { rs->MoveNext(); }), ErrNoCurrentRecord);
    EXPECT_EQ(errorNumberOf([&] { rs->Field(FieldID); }), ErrNoCurrentRecord);
    rs->MoveFirst();
    EXPECT_EQ(rs->Field(FieldID).toInt(), 2);
    rs->MoveLast();
    EXPECT_EQ(rs->Field(FieldID).toInt(), 0);
    EXPECT_FALSE(rs->Eof());

    auto none = db->OpenRecordset(QStringLiteral("Select * from Operators where ID = 0 order by Name"));
    EXPECT_EQ(none->RecordCount(), 0);
    EXPECT_TRUE(none->Eof());
    EXPECT_EQ(errorNumberOf([&] { none->MoveFirst(); }), ErrNoCurrentRecord);
    EXPECT_EQ(errorNumberOf([&] { none->MoveLast(); }), ErrNoCurrentRecord);

    // Asked only for its first row, a recordset still gives every row as it was when it started, and
    // the exact count, after a write through the database or once the database is closed.
    auto started = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID"));
    EXPECT_FALSE(started->Eof());
    db->Execute(QStringLiteral("Delete * from Levels where ID = 2"));
    EXPECT_EQ(started->RecordCount(), 3);
    auto unfinished = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID"));
    EXPECT_FALSE(unfinished->Eof());
    db->Close(); // and holds the file no longer: another user can write
    openShared(path)->Execute(QStringLiteral("Delete * from Operators"));
    EXPECT_EQ(unfinished->RecordCount(), 2);
}

TEST_P(Recordsets, AddNewEditAndUpdateStoreRows) {
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID"));
    EXPECT_EQ(errorNumberOf([&] { rs->SetField(FieldName, QStringLiteral("x")); }), ErrUpdateWithoutEdit);
    EXPECT_EQ(errorNumberOf([&] { rs->Update(); }), ErrUpdateWithoutEdit);

    rs->AddNew();
    rs->SetField(FieldID, 3);
    rs->SetField(FieldName, QStringLiteral("New"));
    rs->SetField(FieldDesktop, 1);                                     // any non-zero number is true
    EXPECT_EQ(rs->Field(FieldName).toString(), QStringLiteral("New")); // the row being added
    rs->Update();
    EXPECT_EQ(rs->Field(FieldID).toInt(), 0); // the current row stays current
    EXPECT_EQ(rs->RecordCount(), 4);
    rs->MoveLast();
    EXPECT_EQ(rs->Field(FieldName).toString(), QStringLiteral("New"));
    EXPECT_EQ(rs->Field(FieldDesktop), QVariant(true));
    EXPECT_EQ(count(QStringLiteral("Select * from Levels where Desktop = -1 and ID = 3")), 1);

    // Edit changes the current row only.
    rs->MoveFirst();
    rs->MoveNext();
    rs->Edit();
    rs->SetField(FieldName, QStringLiteral("Renamed"));
    rs->Update();
    EXPECT_EQ(column(*db, QStringLiteral("Select * from Levels order by ID"), FieldName),
              (QStringList{"|0", "Renamed", "Users", "New"}));

    // A refused update keeps the edit open: the caller can put it right.
    rs->Edit();
    rs->SetField(FieldName, QStringLiteral("users"));
    EXPECT_EQ(errorNumberOf([&] { rs->Update(); }), ErrDuplicateKey);
    rs->SetField(FieldName, QStringLiteral("Level one"));
    rs->Update();
    EXPECT_EQ(rs->Field(FieldName).toString(), QStringLiteral("Level one"));

    while (!rs->Eof()) {
        rs->MoveNext();
    }
    EXPECT_EQ(errorNumberOf([&] { rs->Edit(); }), ErrNoCurrentRecord);
}

// Bound values stay values: an apostrophe, a "?" in a text or a quote cannot change the statement.
TEST_P(Recordsets, BoundValuesNeverBecomeStatementText) {
    const QString odd = QStringLiteral("O'Neil? -- '' or 1=1");
    db->Execute(QStringLiteral("Update Operators set Name = ? where Name = ? and ID = ?"),
                {odd, QStringLiteral("Ben"), 2});
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators where Name = ? and PWD = ?"),
                                {odd, QStringLiteral("b")});
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Field(FieldName).toString(), odd);
    rs->Edit(); // an updatable recordset of bound values reads its rows with them too
    rs->SetField(FieldPWD, QStringLiteral("?"));
    rs->Update();
    EXPECT_EQ(count(QStringLiteral("Select * from Operators where PWD = '?'")), 1);
    EXPECT_EQ(count(QStringLiteral("Select * from Operators where Name = 'Ben'")), 0);
}

TEST_P(Recordsets, AnEditOfARowGoneElsewhereFails) {
    db->Close();
    db = openShared(path);
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators where Name = 'Ben'"));
    ASSERT_EQ(rs->RecordCount(), 1);
    openShared(path)->Execute(QStringLiteral("Delete * from Operators where Name = 'Ben'"));
    if (GetParam() == Place::Server) { // the row's address is free for the next row added
        zav::pg::Connection(path).exec(QStringLiteral("VACUUM operators"));
    }
    openShared(path)->Execute(QStringLiteral("Insert into Operators values ('Dora', 'd', 2)"));
    rs->Edit();
    rs->SetField(FieldPWD, QStringLiteral("new"));
    EXPECT_EQ(errorNumberOf([&] { rs->Update(); }), ErrChangedElsewhere);
    EXPECT_EQ(count(QStringLiteral("Select * from Operators where PWD = 'new'")), 0);
}

// SQLite would cut an SQL text at U+0000 and store a value holding it that no name can be typed as.
TEST_P(Recordsets, TextsHoldingNulAreRefusedBeforeTheEngine) {
    const QString nul = QStringLiteral("Dora") + QChar(u'\0') + QStringLiteral("x");
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators"));
    rs->AddNew();
    rs->SetField(FieldName, nul);
    rs->SetField(FieldID, 1);
    EXPECT_EQ(errorNumberOf([&] { rs->Update(); }), ErrTextWithNul);
    EXPECT_EQ(errorNumberOf([&] {
                  db->Execute(QStringLiteral("Delete * from Operators where Name = '") + nul + u'\'');
              }),
              ErrTextWithNul);
    EXPECT_EQ(count(QStringLiteral("Select * from Operators")), 3);
}

TEST_P(Recordsets, TransactionsRollBackUnlessCommitted) {
    db->BeginTrans();
    db->Execute(QStringLiteral("Delete * from Operators where Name = 'Anna'"));
    EXPECT_EQ(errorNumberOf([&] { addOperator(*db, QStringLiteral("ben"), 1); }),
              ErrDuplicateKey); // only itself
    db->BeginTrans();
    db->Execute(QStringLiteral("Delete * from Operators where Name = 'Ben'"));
    db->Rollback(); // the inner one only
    db->CommitTrans();
    EXPECT_EQ(column(*db, QStringLiteral("Select * from Operators order by Name"), FieldName),
              (QStringList{"Ben", "Cleo"}));
    {
        Transaction abandoned(*db);
        db->Execute(QStringLiteral("Delete * from Operators"));
    }
    EXPECT_EQ(count(QStringLiteral("Select * from Operators")), 2);
    EXPECT_NE(errorNumberOf([&] { db->CommitTrans(); }), 0);
}

// The default DbUtility, part of the component's outside objects, with the component's own SQL texts:
// a quoted name selects, updates and deletes exactly the row of that name, on a server also in a
// session that reads backslashes in literals as escapes.
using DefaultDbUtility = CredentialDbTest;
INSTANTIATE_TEST_SUITE_P(Engines, DefaultDbUtility, ::testing::Values(Place::File, Place::Server), placeName);
TEST_P(DefaultDbUtility, QuotedNamesReachExactlyTheirRow) {
    const QStringList names = {QStringLiteral("O'Brien"),
                               QStringLiteral("x' OR '1'='1"),
                               QStringLiteral("'"),
                               QStringLiteral("''"),
                               QStringLiteral("\\' OR TRUE --"),
                               QStringLiteral("\\"),
                               QStringLiteral("Delete * from"),
                               QStringLiteral("true; x")};
    const auto utility = zav::outside::makeDefaultDbUtility();
    if (GetParam() == Place::Server) {
        db->Execute(QStringLiteral("SET standard_conforming_strings = off"));
    }
    addLevel(*db, 1, QStringLiteral("One"));
    addLevel(*db, 2, QStringLiteral("Two"));
    for (const auto& name : names) {
        addOperator(*db, name, 1);
    }
    QStringList remaining = names;
    for (const auto& name : names) {
        const QString where = QStringLiteral(" where Name = '") + utility->SqlQuote(name) + QLatin1Char('\'');
        EXPECT_EQ(column(*db, QStringLiteral("Select * from Operators") + where, FieldName),
                  QStringList{name});
        db->Execute(QStringLiteral("Update Operators Set ID = 2") + where);
        EXPECT_EQ(column(*db, QStringLiteral("Select * from Operators where ID = 2"), FieldName),
                  QStringList{name});
        db->Execute(QStringLiteral("Delete * from Operators") + where);
        remaining.removeOne(name);
        EXPECT_EQ(column(*db, QStringLiteral("Select * from Operators"), FieldName).size(), remaining.size());
    }
}

} // namespace
