// What a profile file and the registry keep beside a file database lives in a server database itself,
// shared by every panel of the plant.

#include "../store/StoreTestSupport.h"
#include "operations/AuditTrail.h"
#include "operations/LevelOperations.h"
#include "operations/OperatorOperations.h"
#include "operations/Policy.h"
#include "support/ComponentFixture.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace zav::test {
namespace {

using store::test::Place;
using store::test::Places;

class ServerSharedSettings : public ::testing::Test {
protected:
    Places places{Place::Server};
    const QString uri = places.fresh();
    ComponentEnvironment environment{true, uri};

    std::shared_ptr<ZAV_Login> panel() {
        auto login = ZAV_Login::create();
        login->setAutoShutDown(false);
        login->setDbPath(uri);
        EXPECT_TRUE(environment.messages.isEmpty()) << environment.messages.value(0).text.toStdString();
        environment.messages.clear();
        return login;
    }
    void execute(const QString& sql) { environment.execute(sql); }
    QVariant stored(const QString& sql, const QString& field) { return environment.value(sql, field); }
};

TEST_F(ServerSharedSettings, CaptionsWrittenByOnePanelAreReadByAnother) {
    auto first = panel();
    EXPECT_EQ(first->ManageLevelDescription(), QStringLiteral("Allow Manage Levels")); // nothing stored yet
    first->setManageLevelDescription(QStringLiteral("Rezepte verwalten"));
    first->setEnableDescription(7, QStringLiteral("Press"));
    first->setEnableDescription(7, QStringLiteral("Press 2")); // the entry changes, no second one
    first->setAllowDesktopDescription(QString());

    auto second = panel();
    EXPECT_EQ(second->ManageLevelDescription(), QStringLiteral("Rezepte verwalten"));
    EXPECT_EQ(second->EnableDescription(7), QStringLiteral("Press 2"));
    EXPECT_EQ(second->AllowDesktopDescription(), QString()); // stored empty, not the default
    EXPECT_EQ(second->EnableDescription(8), QStringLiteral("Custom 8"));
    EXPECT_EQ(
        stored(QStringLiteral("Select Value from Profile where Section = 'Description' and Name = 'ML'"),
               QStringLiteral("Value")),
        QStringLiteral("Rezepte verwalten"));
    EXPECT_EQ(
        stored(QStringLiteral("Select count(*) as N from Profile where Name = '7'"), QStringLiteral("N"))
            .toInt(),
        1);
}

TEST_F(ServerSharedSettings, GrantsRunOnceForThePlantWhateverThePanelsRegistrySays) {
    panel(); // makes the schema
    execute(QStringLiteral("Update Levels set Custom32 = false, Custom33 = false, Custom34 = false"));
    execute(QStringLiteral("Delete from OneTimeGrants"));
    // This panel's registry says both grants ran (on some file it used before).
    environment.markGrantsDone();
    const auto registryBefore = environment.registry->values;
    panel();
    const QString granted = QStringLiteral("Select Custom32, Custom33, Custom34 from Levels where ID = 1");
    for (const char* field : {"Custom32", "Custom33", "Custom34"}) {
        EXPECT_TRUE(stored(granted, QString::fromLatin1(field)).toBool()) << field;
    }
    EXPECT_EQ(environment.registry->values, registryBefore); // the server's own record says it ran

    // Taken back by a manager, the right stays taken back: the server recorded the grant.
    execute(QStringLiteral("Update Levels set Custom34 = false"));
    environment.registry->values.clear(); // another panel, whose registry knows nothing
    panel();
    EXPECT_FALSE(stored(granted, QStringLiteral("Custom34")).toBool());
}

// The roles the README gives a plant: the owner sets the database up, the panels' role may only read and
// write rows. Everything a panel does must work with that alone.
TEST_F(ServerSharedSettings, APanelRoleThatMayOnlyReadAndWriteRowsDoesEverythingAPanelDoes) {
    panel(); // the owner sets the database up
    manage::SetPolicyEntry(uri, QStringLiteral("audit"), QStringLiteral("on"));
    execute(QStringLiteral("Update Levels set Custom32 = false, Custom33 = false, Custom34 = false"));
    execute(QStringLiteral("Delete from OneTimeGrants")); // the panel runs the grants itself
    const QString role = QStringLiteral("zav_panel_%1").arg(QCoreApplication::applicationPid());
    execute(QStringLiteral("CREATE ROLE %1 LOGIN").arg(role));
    execute(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO %1")
                .arg(role));
    QString asPanel = uri;
    asPanel.replace(QStringLiteral("zavtest@"), role + QLatin1Char('@'));

    auto login = ZAV_Login::create();
    login->setAutoShutDown(false);
    login->setDbPath(asPanel);
    EXPECT_TRUE(environment.messages.isEmpty()) << environment.messages.value(0).text.toStdString();
    login->setEnableDescription(7, QStringLiteral("Press"));
    const int level = manage::AddLevel(asPanel, QStringLiteral("Shift"));
    manage::AddOperator(asPanel, level, QStringLiteral("anna"));
    EXPECT_EQ(manage::RemoveLevel(asPanel, level, QStringLiteral("Shift")), 1);

    EXPECT_EQ(stored(QStringLiteral("Select count(*) as N from OneTimeGrants"), QStringLiteral("N")).toInt(),
              2);
    EXPECT_EQ(panel()->EnableDescription(7), QStringLiteral("Press"));
    EXPECT_GE(manage::ReadAuditRows(uri).size(), 3u);
    EXPECT_TRUE(manage::VerifyAuditTrail(uri).intact);
    execute(QStringLiteral("DROP OWNED BY %1").arg(role));
    execute(QStringLiteral("DROP ROLE %1").arg(role));
}

} // namespace
} // namespace zav::test
