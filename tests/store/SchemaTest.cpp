// The credential schema as the engine builds it, and the rules the rest of the component relies on:
// the relation's cascades, names unique without regard to case, field ranges, Booleans.

#include "store/Schema.h"
#include "StoreTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace zav::store;
using namespace zav::store::test;

// A definition as one text, to compare what the engine reads back with what it was given.
QString described(const TableDef& table) {
    QStringList parts{table.name};
    for (const auto& f : table.fields) {
        parts << QStringLiteral("%1:%2:%3").arg(f.name).arg(int(f.type)).arg(int(f.allowZeroLength));
    }
    for (const auto& i : table.indexes) {
        const QString fields = QStringList(i.fields.begin(), i.fields.end()).join(u',');
        parts << QStringLiteral("%1(%2):%3:%4").arg(i.name, fields).arg(int(i.primary)).arg(int(i.unique));
    }
    return parts.join(u' ');
}

QString described(const RelationDef& r) {
    QStringList parts{r.name, r.table, r.foreignTable, QString::number(r.attributes)};
    for (const auto& field : r.fields) {
        parts << field.name + u'=' + field.foreignName;
    }
    return parts.join(u' ');
}

// A protected file with levels 0, 3, 4 and operators a, b (level 3), c (4), d (0).
class CredentialSchema : public CredentialDbTest {
protected:
    void SetUp() override {
        addLevel(*db, 0, QStringLiteral("|0"));
        addLevel(*db, 3, QStringLiteral("Service"));
        addLevel(*db, 4, QStringLiteral("Operator"));
        addOperator(*db, QStringLiteral("a"), 3);
        addOperator(*db, QStringLiteral("b"), 3);
        addOperator(*db, QStringLiteral("c"), 4);
        addOperator(*db, QStringLiteral("d"), 0);
    }

    QStringList operatorsWithLevels() {
        QStringList pairs;
        auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators order by Name"));
        for (; !rs->Eof(); rs->MoveNext()) {
            pairs << rs->Field(FieldName).toString() + QLatin1Char(':') + rs->Field(FieldID).toString();
        }
        return pairs;
    }
};
INSTANTIATE_TEST_SUITE_P(Engines, CredentialSchema, ::testing::Values(Place::File, Place::Server), placeName);

TEST_P(CredentialSchema, TheFileHoldsExactlyTheTablesIndexesAndRelation) {
    db->Close();
    db = openShared(path, true);
    EXPECT_TRUE(db->TableExists(QStringLiteral("OPERATORS")));
    EXPECT_FALSE(db->TableExists(QStringLiteral("Level")));

    const auto tables = db->TableDefs();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(described(tables[0]), described(LevelsTableDef()));
    EXPECT_EQ(described(tables[1]), described(OperatorsTableDef()));
    const auto relations = db->Relations();
    ASSERT_EQ(relations.size(), 1u);
    EXPECT_EQ(described(relations[0]), described(RelIDRefDef()));
}

TEST_P(CredentialSchema, TheRelationCascadesAndIsEnforced) {
    db->Execute(QStringLiteral("Delete * from Levels where ID = 3"));
    EXPECT_EQ(operatorsWithLevels(), (QStringList{"c:4", "d:0"}));

    auto level = db->OpenRecordset(QStringLiteral("Select * from Levels where ID = 4"));
    level->Edit();
    level->SetField(FieldID, 2);
    level->Update();
    EXPECT_EQ(operatorsWithLevels(), (QStringList{"c:2", "d:0"}));

    EXPECT_EQ(errorNumberOf([&] { addOperator(*db, QStringLiteral("e"), 9); }), ErrRelatedRecordRequired);
    EXPECT_EQ(
        errorNumberOf([&] { db->Execute(QStringLiteral("Update Operators Set ID = 7 where Name = 'c'")); }),
        ErrRelatedRecordRequired);
    EXPECT_EQ(operatorsWithLevels(), (QStringList{"c:2", "d:0"}));
}

TEST_P(CredentialSchema, NamesAreUniqueWithoutRegardToCase) {
    addOperator(*db, QStringLiteral("Müller"), 4);
    for (const char* twin : {"MÜLLER", "müller", "A"}) {
        EXPECT_EQ(errorNumberOf([&] { addOperator(*db, QString::fromUtf8(twin), 4); }), ErrDuplicateKey)
            << twin;
    }
    addOperator(*db, QStringLiteral("Mueller"), 4); // a different name
    EXPECT_EQ(column(*db, QStringLiteral("Select * from Operators where Name = 'MÜLLER'"), FieldName),
              QStringList{QStringLiteral("Müller")});
    EXPECT_EQ(column(*db, QStringLiteral("Select * from Operators order by Name"), FieldName),
              (QStringList{"a", "b", "c", "d", "Mueller", "Müller"}));

    EXPECT_EQ(errorNumberOf([&] { addLevel(*db, 5, QStringLiteral("SERVICE")); }), ErrDuplicateKey);
    EXPECT_EQ(errorNumberOf([&] { addLevel(*db, 3, QStringLiteral("Another")); }), ErrDuplicateKey);
}

// Renumbering: values swap, go round in a cycle or follow each other into a free value in one change,
// the relation carries them to the operators, and a change that breaks the unique key takes back every
// move.
TEST_P(CredentialSchema, KeysChangeAsOneAndCarryTheirOperators) {
    db->ChangeKeys(LevelsTable, FieldID, {{3, 4}, {4, 3}});
    EXPECT_EQ(operatorsWithLevels(), (QStringList{"a:4", "b:4", "c:3", "d:0"}));
    db->ChangeKeys(LevelsTable, FieldID, {{0, 3}, {3, 4}, {4, 0}});
    EXPECT_EQ(operatorsWithLevels(), (QStringList{"a:0", "b:0", "c:4", "d:3"}));
    db->ChangeKeys(LevelsTable, FieldID, {{3, 4}, {4, 7}, {0, 0}});
    EXPECT_EQ(operatorsWithLevels(), (QStringList{"a:0", "b:0", "c:7", "d:4"}));
    EXPECT_EQ(column(*db, QStringLiteral("Select * from Levels order by ID"), FieldName),
              (QStringList{"Service", "|0", "Operator"}));
    EXPECT_EQ(errorNumberOf([&] {
                  db->ChangeKeys(LevelsTable, FieldID, {{3, 5}, {4, 0}});
              }),
              ErrDuplicateKey);
    EXPECT_EQ(operatorsWithLevels(), (QStringList{"a:0", "b:0", "c:7", "d:4"}));
}

TEST_P(CredentialSchema, FieldsKeepTheirRanges) {
    EXPECT_EQ(errorNumberOf([&] { addLevel(*db, 32767, QStringLiteral("Highest")); }), 0);
    EXPECT_EQ(errorNumberOf([&] { addLevel(*db, -32768, QStringLiteral("Lowest")); }), 0);
    for (const int outside : {32768, -32769, 70000}) {
        EXPECT_EQ(errorNumberOf([&] { addLevel(*db, outside, QStringLiteral("Outside")); }),
                  ErrFieldOverflow);
    }
    EXPECT_EQ(
        errorNumberOf([&] { db->Execute(QStringLiteral("Update Levels set ID = 40000 where ID = 4")); }),
        ErrFieldOverflow);
    EXPECT_EQ(errorNumberOf([&] { addOperator(*db, QStringLiteral("x"), 40000); }), ErrFieldOverflow);

    auto level = db->OpenRecordset(QStringLiteral("Select * from Levels where ID = 4"));
    level->Edit();
    level->SetField(FieldNEnable, 100000); // 32-bit
    EXPECT_NO_THROW(level->Update());
    EXPECT_EQ(level->Field(FieldNEnable).toInt(), 100000);
    level->Edit();
    level->SetField(FieldNEnable, qint64(1) << 31);
    EXPECT_EQ(errorNumberOf([&] { level->Update(); }), ErrFieldOverflow);
}

TEST_P(CredentialSchema, NamesMustNotBeEmptyButPasswordsMayBe) {
    EXPECT_EQ(errorNumberOf([&] { addOperator(*db, QString(), 4); }), ErrZeroLength);
    EXPECT_EQ(errorNumberOf([&] { addLevel(*db, 7, QString()); }), ErrZeroLength);
    addOperator(*db, QStringLiteral("e"), 4, QString());
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators where Name = 'e'"));
    EXPECT_EQ(rs->Field(FieldPWD), QVariant(QString())); // empty, not Null
}

TEST_P(CredentialSchema, BooleansAreNeverEmptyAndTrueSortsFirst) {
    auto level = db->OpenRecordset(QStringLiteral("Select * from Levels where ID = 3"));
    for (const auto& field : {FieldManageLevel, FieldDesktop, CustomFieldName(1), CustomFieldName(100)}) {
        const QVariant value = level->Field(field);
        EXPECT_EQ(value.typeId(), QMetaType::Bool) << field.toStdString();
        EXPECT_FALSE(value.toBool()) << field.toStdString();
    }
    db->Execute(QStringLiteral("Update Levels set Desktop = true where ID = 4"));
    // Stored as -1, the automation true.
    EXPECT_EQ(column(*db, QStringLiteral("Select * from Levels where Desktop = -1"), FieldID),
              QStringList{"4"});
    EXPECT_EQ(column(*db, QStringLiteral("Select * from Levels order by Desktop,ID"), FieldID),
              (QStringList{"4", "0", "3"}));
}

TEST_P(CredentialSchema, AReadOnlyOpenRefusesWrites) {
    db->Close();
    const bool file = GetParam() == Place::File;
    const QByteArray before = file ? fileBytes(path) : QByteArray();
    auto reader = openShared(path, true);
    EXPECT_EQ(errorNumberOf([&] { reader->Execute(QStringLiteral("Delete * from Levels where ID = 3")); }),
              ErrReadOnly);
    auto rs = reader->OpenRecordset(QStringLiteral("Select * from Levels where ID = 3"));
    EXPECT_EQ(errorNumberOf([&] { rs->Edit(); }), ErrReadOnly);
    EXPECT_EQ(errorNumberOf([&] { rs->AddNew(); }), ErrReadOnly);
    EXPECT_EQ(errorNumberOf([&] {
                  reader->CreateTable(TableDef{QStringLiteral("Extra"), {{"X"}}, {}});
              }),
              ErrReadOnly);
    EXPECT_EQ(column(*reader, QStringLiteral("Select * from Levels order by ID"), FieldID),
              (QStringList{"0", "3", "4"}));
    reader->Close();
    EXPECT_EQ(file ? fileBytes(path) : QByteArray(), before);
}

} // namespace
