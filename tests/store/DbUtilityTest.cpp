// The default DbUtility with the real engine and the component's own SQL texts: a quoted name
// selects, updates and deletes exactly the row of that name.

#include "StoreTestSupport.h"
#include "outside/DefaultDbUtility.h"
#include "store/Schema.h"

#include <gtest/gtest.h>

namespace {

using namespace zav::store;
using namespace zav::store::test;

TEST(DefaultDbUtility, QuotedNamesReachExactlyTheirRow) {
    const QStringList names = {
        QStringLiteral("O'Brien"), QStringLiteral("x' OR '1'='1"),  QStringLiteral("'"),
        QStringLiteral("''"),      QStringLiteral("Delete * from"), QStringLiteral("true; x")};
    const auto utility = zav::outside::makeDefaultDbUtility();
    EXPECT_EQ(utility->SqlQuote(QStringLiteral("O'Brien")), QStringLiteral("O''Brien"));
    TempFolder folder;
    auto db = createCredentialDb(folder.file(QStringLiteral("login.mdb")));
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
