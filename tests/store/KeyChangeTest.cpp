// Moving key values in bulk: the rows, the foreign rows that follow them through a cascading
// relation, and the all-or-nothing rule.

#include "StoreTestSupport.h"
#include "store/Schema.h"

#include <gtest/gtest.h>

namespace {

using namespace zav::store;
using namespace zav::store::test;

// Levels 0 to 3 and one operator on each of 1, 2 and 3.
class KeyChanges : public ::testing::Test {
protected:
    void SetUp() override {
        db = createCredentialDb(folder.file(QStringLiteral("keys.mdb")));
        for (int id = 0; id <= 3; ++id) {
            addLevel(*db, id, QStringLiteral("L%1").arg(id));
        }
        addOperator(*db, QStringLiteral("one"), 1);
        addOperator(*db, QStringLiteral("two"), 2);
        addOperator(*db, QStringLiteral("three"), 3);
    }

    // Level names by ID, and each operator's level.
    QStringList levels() {
        return column(*db, QStringLiteral("Select * from Levels order by ID"), FieldName);
    }
    QStringList levelIds() {
        return column(*db, QStringLiteral("Select * from Levels order by ID"), FieldID);
    }
    QStringList operatorLevels() {
        return column(*db, QStringLiteral("Select * from Operators order by Name"), FieldID);
    }

    void changeLevelIds(const std::vector<KeyChange>& changes) {
        db->ChangeKeys(LevelsTable, FieldID, changes);
    }

    // The relation is enforced again: an operator without a level is refused, and deleting `level`,
    // which holds one operator, takes that operator with it.
    void expectRelationEnforced(int level) {
        EXPECT_EQ(errorNumberOf([&] { addOperator(*db, QStringLiteral("nowhere"), 99); }),
                  ErrRelatedRecordRequired);
        const int before = column(*db, QStringLiteral("Select * from Operators"), FieldName).size();
        db->Execute(QStringLiteral("Delete * from Levels where ID = ") + QString::number(level));
        EXPECT_EQ(column(*db, QStringLiteral("Select * from Operators"), FieldName).size(), before - 1);
    }

    TempFolder folder;
    std::unique_ptr<Database> db;
};

TEST_F(KeyChanges, SwapsAndChainsMoveTheRowsAndTheirOperators) {
    // 1 and 2 swap; 3 goes to 7 and 0 takes its place.
    changeLevelIds({{1, 2}, {2, 1}, {3, 7}, {0, 3}});
    EXPECT_EQ(levels(), (QStringList{"L2", "L1", "L0", "L3"}));
    EXPECT_EQ(levelIds(), (QStringList{"1", "2", "3", "7"}));
    // one, three, two
    EXPECT_EQ(operatorLevels(), (QStringList{"2", "7", "1"}));
    expectRelationEnforced(7);
}

TEST_F(KeyChanges, ValuesTheTableAlreadyHoldsBelowZeroAreNoTemporaryPlace) {
    db->Execute(QStringLiteral("Update Levels set ID = -1 where ID = 0"));
    changeLevelIds({{1, 0}, {2, 1}, {3, 2}, {-1, 3}});
    EXPECT_EQ(levels(), (QStringList{"L1", "L2", "L3", "L0"}));
    EXPECT_EQ(operatorLevels(), (QStringList{"0", "2", "1"}));
}

TEST_F(KeyChanges, AFailureAfterTheFirstStepChangesNothing) {
    const QStringList levelsBefore = levels();
    const QStringList operatorsBefore = operatorLevels();
    // Both values fit the temporary places, then clash in the unique index...
    EXPECT_EQ(errorNumberOf([&] { changeLevelIds({{1, 5}, {2, 5}}); }), ErrDuplicateKey);
    // ...or overflow the 16-bit field.
    EXPECT_EQ(errorNumberOf([&] { changeLevelIds({{1, 0}, {0, 40000}}); }), ErrFieldOverflow);
    EXPECT_EQ(levels(), levelsBefore);
    EXPECT_EQ(levelIds(), (QStringList{"0", "1", "2", "3"}));
    EXPECT_EQ(operatorLevels(), operatorsBefore);
    expectRelationEnforced(3);
}

TEST_F(KeyChanges, InsideATransactionAFailureTakesBackOnlyItself) {
    db->BeginTrans();
    addLevel(*db, 9, QStringLiteral("Added"));
    EXPECT_NE(errorNumberOf([&] { changeLevelIds({{1, 5}, {2, 5}}); }), 0);
    changeLevelIds({{9, 4}});
    EXPECT_EQ(levelIds(), (QStringList{"0", "1", "2", "3", "4"}));
    db->Rollback();
    EXPECT_EQ(levelIds(), (QStringList{"0", "1", "2", "3"}));

    db->BeginTrans();
    changeLevelIds({{3, 8}});
    db->CommitTrans();
    EXPECT_EQ(operatorLevels(), (QStringList{"1", "8", "2"}));
}

TEST_F(KeyChanges, ARelationWithoutCascadingUpdateRefusesWhileReferredTo) {
    TableDef parents{QStringLiteral("Parents"),
                     {{QStringLiteral("ID"), FieldType::Integer}, {QStringLiteral("Name"), FieldType::Text}},
                     {{QStringLiteral("ParentKey"), {QStringLiteral("ID")}, true, true}}};
    TableDef children{
        QStringLiteral("Children"),
        {{QStringLiteral("Name"), FieldType::Text}, {QStringLiteral("ParentID"), FieldType::Integer}},
        {}};
    db->CreateTable(parents);
    db->CreateTable(children);
    db->CreateRelation({QStringLiteral("ChildParent"),
                        QStringLiteral("Parents"),
                        QStringLiteral("Children"),
                        RelationDeleteCascade,
                        {{QStringLiteral("ID"), QStringLiteral("ParentID")}}});
    db->Execute(QStringLiteral("Insert into Parents (ID, Name) values (1, 'p1')"));
    db->Execute(QStringLiteral("Insert into Parents (ID, Name) values (2, 'p2')"));
    db->Execute(QStringLiteral("Insert into Children (Name, ParentID) values ('c', 1)"));

    const QString parentIds = QStringLiteral("Select * from Parents order by Name");
    EXPECT_EQ(errorNumberOf([&] {
                  db->ChangeKeys(QStringLiteral("parents"), QStringLiteral("ID"), {{1, 3}});
              }),
              ErrRelatedRecordRequired);
    EXPECT_EQ(column(*db, parentIds, QStringLiteral("ID")), (QStringList{"1", "2"}));
    db->ChangeKeys(QStringLiteral("parents"), QStringLiteral("ID"), {{2, 3}});
    EXPECT_EQ(column(*db, parentIds, QStringLiteral("ID")), (QStringList{"1", "3"}));
    // The field that refers is no key to move.
    EXPECT_EQ(errorNumberOf([&] {
                  db->ChangeKeys(QStringLiteral("Children"), QStringLiteral("ParentID"), {{1, 3}});
              }),
              ErrEngine);
}

TEST_F(KeyChanges, RefusedRequests) {
    EXPECT_EQ(errorNumberOf([&] { changeLevelIds({{1, 5}, {1, 6}}); }), ErrEngine); // a value moving twice
    EXPECT_EQ(errorNumberOf([&] {
                  db->ChangeKeys(QStringLiteral("Nothing"), FieldID, {{1, 5}});
              }),
              ErrItemNotFound);
    db.reset();
    auto readOnly = openShared(folder.file(QStringLiteral("keys.mdb")), true);
    EXPECT_EQ(errorNumberOf([&] { readOnly->ChangeKeys(LevelsTable, FieldID, {{1, 5}}); }), ErrReadOnly);
    readOnly->ChangeKeys(LevelsTable, FieldID, {}); // nothing to do writes nothing
}

} // namespace
