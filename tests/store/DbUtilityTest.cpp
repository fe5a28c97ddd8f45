// The default DbUtility with the real engine and the component's own SQL texts: a quoted name
// selects, updates and deletes exactly the row of that name.

#include "StoreTestSupport.h"
#include "outside/DefaultDbUtility.h"
#include "store/Schema.h"

#include <gtest/gtest.h>

namespace {

using namespace zav::store;
using namespace zav::store::test;

const QStringList Names = {
    QStringLiteral("O'Brien"), QStringLiteral("x' OR '1'='1"), QStringLiteral("'"),
    QStringLiteral("''"),      QStringLiteral("a'b'c'"),       QStringLiteral("Delete * from"),
    QStringLiteral("true; x"), QStringLiteral("Müller"),       QStringLiteral("x")};

TEST(DefaultDbUtility, QuotedNamesReachExactlyTheirRow) {
    const auto utility = zav::outside::makeDefaultDbUtility();
    ASSERT_TRUE(utility);
    EXPECT_EQ(utility->SqlQuote(QStringLiteral("O'Brien")), QStringLiteral("O''Brien"));
    EXPECT_EQ(utility->SqlQuote(QStringLiteral("plain")), QStringLiteral("plain"));

    TempFolder folder;
    auto db = createCredentialDb(folder.file(QStringLiteral("login.mdb")));
    addLevel(*db, 1, QStringLiteral("One"));
    addLevel(*db, 2, QStringLiteral("Two"));
    for (const auto& name : Names) {
        addOperator(*db, name, 1);
    }

    for (const auto& name : Names) {
        const QString quoted = utility->SqlQuote(name);
        EXPECT_EQ(
            column(*db, QStringLiteral("Select * from Operators where Name = '") + quoted + QLatin1Char('\''),
                   FieldName),
            QStringList{name});

        db->Execute(QStringLiteral("Update Operators Set ID = 2 where Name = '") + quoted +
                    QLatin1Char('\''));
        EXPECT_EQ(
            column(*db, QStringLiteral("Select * from Operators where ID = 2 order by Name"), FieldName),
            QStringList{name});
        db->Execute(QStringLiteral("Update Operators Set ID = 1 where Name = '") + quoted +
                    QLatin1Char('\''));
    }

    QStringList remaining = Names;
    for (const auto& name : Names) {
        db->Execute(QStringLiteral("Delete * from Operators where Name = '") + utility->SqlQuote(name) +
                    QLatin1Char('\''));
        remaining.removeOne(name);
        QStringList stored = column(*db, QStringLiteral("Select * from Operators"), FieldName);
        stored.sort();
        QStringList wanted = remaining;
        wanted.sort();
        EXPECT_EQ(stored, wanted) << name.toStdString();
    }
}

TEST(DefaultDbUtility, TableExistsAsksTheDatabase) {
    const auto utility = zav::outside::makeDefaultDbUtility();
    TempFolder folder;
    auto db = DefaultEngine().CreateDatabase(folder.file(QStringLiteral("new.mdb")),
                                             LocaleArgument + ConnectString);
    EXPECT_FALSE(utility->TableExists(*db, LevelsTable));
    db->CreateTable(LevelsTableDef());
    EXPECT_TRUE(utility->TableExists(*db, LevelsTable));
    EXPECT_TRUE(utility->TableExists(*db, QStringLiteral("LEVELS")));
    EXPECT_FALSE(utility->TableExists(*db, OperatorsTable));
}

} // namespace
