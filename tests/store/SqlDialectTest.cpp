#include "store/SqlDialect.h"
#include "StoreTestSupport.h"

#include <gtest/gtest.h>

using zav::store::dialect::singleTableSelect;
using zav::store::dialect::translate;

namespace {

std::string translated(const char* sql) {
    return translate(QString::fromUtf8(sql)).toStdString();
}

TEST(SqlDialect, TextsOfTheComponentBecomeSqliteButQuotedTextIsNeverRewritten) {
    // Texts SQLite runs as they are stay, whatever words, stars and semicolons their quoted names hold.
    for (const char* same :
         {"Select * from Levels order by ID Desc", "Update Operators Set ID = 2 where Name = 'Anna'",
          "Select * from Operators where Name = 'true'",
          "Update Operators Set ID = 2 where Name = 'O''Brien; false'",
          "Select * from Operators where Name = ''';true'';'",
          "Select * from Operators where Name = 'x'' OR ''1''=''1'", "Select \"true\", [false] from Levels",
          "Select * from Levels where trueName = falsey"}) {
        EXPECT_EQ(translated(same), same);
    }
    const std::pair<const char*, const char*> rewritten[] = {
        {"Delete * from Operators where Name = 'Delete * from x; true'",
         "DELETE FROM Operators where Name = 'Delete * from x; true'"},
        {"delete  *\tFROM Levels", "DELETE FROM Levels"},
        {"Update levels set Custom32 = true, Custom33 = true;",
         "Update levels set Custom32 = -1, Custom33 = -1"},
        {"Update levels set Custom34 = true;  \n", "Update levels set Custom34 = -1"},
        {"Update Levels set Desktop = FALSE where ManageLevel = True",
         "Update Levels set Desktop = 0 where ManageLevel = -1"}};
    for (const auto& [text, sqlite] : rewritten) {
        EXPECT_EQ(translated(text), sqlite);
    }
}

// The server keeps names in lower case: quoted names are lowered, quoted text is not.
TEST(SqlDialect, ServerTextsLowerQuotedNamesOnly) {
    EXPECT_EQ(zav::store::dialect::translateForServer(
                  QStringLiteral("Delete * from [Levels] where \"Name\" = 'Ab' and `ID` = true"))
                  .toStdString(),
              "DELETE FROM \"levels\" where \"name\" = 'Ab' and \"id\" = -1");
}

TEST(SqlDialect, OnlyOneStatementIsAccepted) {
    for (const char* twoStatements : {"Delete * from Levels; Delete * from Operators",
                                      "Select * from Levels;x", "Update levels set Custom1 = true;;",
                                      "Select * from Operators where Name = 'a'; Drop table Levels"}) {
        EXPECT_EQ(zav::store::test::errorNumberOf([&] { translate(QString::fromUtf8(twoStatements)); }),
                  zav::store::ErrCharactersAfterEnd)
            << twoStatements;
    }
}

TEST(SqlDialect, SingleTableSelectsCanBeUpdated) {
    const auto levels = singleTableSelect(QStringLiteral("Select * from Levels where ID > 2 order by ID"));
    ASSERT_TRUE(levels.has_value());
    EXPECT_EQ(levels->table.toStdString(), "Levels");
    EXPECT_EQ(levels->sqlWithRowid.toStdString(), "Select *, _rowid_ from Levels where ID > 2 order by ID");

    const auto quotedName = singleTableSelect(QStringLiteral("SELECT * FROM \"Odd \"\"Name\"\"\""));
    ASSERT_TRUE(quotedName.has_value());
    EXPECT_EQ(quotedName->table.toStdString(), "Odd \"Name\"");

    EXPECT_TRUE(singleTableSelect(QStringLiteral("select * from operators")).has_value());
    for (const char* notOneTable :
         {"Select Name from Operators", "Select * from Levels, Operators", "Select count(*) from Levels",
          "Select * from Levels inner join Operators on Levels.ID = Operators.ID",
          "Select * from Levels group by ID", "Update Levels set ID = 1"}) {
        EXPECT_FALSE(singleTableSelect(QString::fromUtf8(notOneTable)).has_value()) << notOneTable;
    }
}

} // namespace
