// What a profile file and the registry keep beside a file database lives in a server database itself,
// shared by every panel of the plant.

#include "../store/StoreTestSupport.h"
#include "access/Class_Par.h"
#include "component/CredentialCheck.h"
#include "operations/AuditTrail.h"
#include "operations/Badges.h"
#include "operations/DatabaseSetup.h"
#include "operations/Exchange.h"
#include "operations/LevelOperations.h"
#include "operations/Lockout.h"
#include "operations/OperatorOperations.h"
#include "operations/Policy.h"
#include "support/ComponentFixture.h"

#include "store/Schema.h"
#include "store/server/PgConnection.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

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

// The README's statements for the roles of a plant, as printed, with this test's names put in.
QStringList readmeGrants(const QString& database, const QString& panelRole, const QString& reportRole) {
    QFile file(QStringLiteral(ZAV_README));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QString readme = QString::fromUtf8(file.readAll());
    const qsizetype roles = readme.indexOf(QStringLiteral("### Roles and grants"));
    const QString panelBlock = QStringLiteral("psql -d zav_login <<'SQL'\n");
    const qsizetype from = readme.indexOf(panelBlock, roles) + panelBlock.size();
    QStringList statements{readme.mid(from, readme.indexOf(QStringLiteral("\nSQL\n"), from) - from)};
    const qsizetype report = readme.indexOf(QStringLiteral("createuser --pwprompt zav_report"), roles);
    const QString reportLines = readme.mid(report, readme.indexOf(QStringLiteral("```"), report) - report);
    for (const auto& match : QRegularExpression(QStringLiteral("-c '([^']*)'")).globalMatch(reportLines)) {
        statements << match.captured(1);
    }
    for (QString& statement : statements) {
        statement.replace(QStringLiteral("zav_login"), database)
            .replace(QStringLiteral("zav_panel"), panelRole)
            .replace(QStringLiteral("zav_report"), reportRole)
            .replace(QStringLiteral("zav_admin"), QStringLiteral("zavtest"));
    }
    EXPECT_EQ(statements.size(), 3) << statements.join(QLatin1Char('\n')).toStdString();
    return statements;
}

// The roles the README gives a plant: the owner sets the database up and narrows the roles with init;
// the panels' role does everything a panel does, yet cannot rewrite the trail, the policy or the
// lockout table; the reporting role reads the lists without a password.
TEST_F(ServerSharedSettings, TheReadmeRolesDoEverythingPanelsAndReportsDoAndNothingMore) {
    panel(); // the owner sets the database up
    EXPECT_EQ(stored(QStringLiteral("Select Value from Policy where Name = 'password-storage'"),
                     QStringLiteral("Value")),
              QStringLiteral("hashed"));
    manage::SetPolicyEntry(uri, QStringLiteral("audit"), QStringLiteral("on"));
    manage::SetPolicyEntry(uri, QStringLiteral("lockout-attempts"), QStringLiteral("2"));
    execute(QStringLiteral("Update Levels set Custom32 = false, Custom33 = false, Custom34 = false"));
    execute(QStringLiteral("Delete from OneTimeGrants")); // the panel runs the grants itself
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString panelRole = QStringLiteral("zav_panel_") + pid;
    const QString reportRole = QStringLiteral("zav_report_") + pid;
    const QString database = QRegularExpression(QStringLiteral("/([^/?]+)\\?")).match(uri).captured(1);
    for (const QString& role : {panelRole, reportRole}) {
        execute(QStringLiteral("CREATE ROLE %1 LOGIN").arg(role));
    }
    // What the panels' role held before: init takes the trail, the policy and the lockout table back.
    execute(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO %1")
                .arg(panelRole));
    for (const QString& statement : readmeGrants(database, panelRole, reportRole)) {
        pg::Connection(uri).execScript(statement);
    }
    manage::InitializeDatabase(uri, *Class_LevelEnable::create()); // narrows the reporting role
    const auto as = [&](const QString& role) {
        return QString(uri).replace(QStringLiteral("zavtest@"), role + QLatin1Char('@'));
    };
    const QString asPanel = as(panelRole);

    auto login = ZAV_Login::create();
    login->setAutoShutDown(false);
    login->setDbPath(asPanel);
    EXPECT_TRUE(environment.messages.isEmpty()) << environment.messages.value(0).text.toStdString();
    login->setEnableDescription(7, QStringLiteral("Press"));
    const int level = manage::AddLevel(asPanel, QStringLiteral("Shift"));
    manage::AddOperator(asPanel, level, QStringLiteral("anna"));
    // Failed logins count and lock through the owner's functions, and unlock the same way.
    for (const auto expected : {CredentialOutcome::WrongPassword, CredentialOutcome::LockedOut}) {
        EXPECT_EQ(CheckCredentials(LoginModeOperator, 0, QStringLiteral("anna"), QStringLiteral("x")),
                  expected);
    }
    EXPECT_EQ(CheckCredentials(LoginModeOperator, 0, QStringLiteral("anna"), QString()),
              CredentialOutcome::LockedOut);
    EXPECT_TRUE(
        manage::ClearFailedLogins(asPanel, {manage::LockoutKind::Operator, QStringLiteral("anna")}).locked);
    EXPECT_EQ(CheckCredentials(LoginModeOperator, 0, QStringLiteral("anna"), QString()),
              CredentialOutcome::Accepted);
    EXPECT_EQ(manage::RemoveLevel(asPanel, level, QStringLiteral("Shift")), 1);
    EXPECT_EQ(stored(QStringLiteral("Select count(*) as N from OneTimeGrants"), QStringLiteral("N")).toInt(),
              2);
    EXPECT_EQ(panel()->EnableDescription(7), QStringLiteral("Press"));
    EXPECT_GE(manage::ReadAuditRows(uri).size(), 8u);
    EXPECT_TRUE(manage::VerifyAuditTrail(uri).intact) << manage::VerifyAuditTrail(uri).finding.toStdString();

    // Badges the owner turns on are the panels' to read and write, as operators are.
    QTemporaryDir keyFolder;
    qputenv("ZAV_BADGE_KEY_FILE", keyFolder.filePath(QStringLiteral("badge.key")).toLocal8Bit());
    manage::CreateBadgeKey();
    manage::SetPolicyEntry(uri, QStringLiteral("badge-login"), QStringLiteral("on"));
    manage::AddOperator(asPanel, 0, QStringLiteral("bea"));
    manage::SetBadge(asPanel, QStringLiteral("bea"), QStringLiteral("4242"), manage::LoginMethod::Badge);
    EXPECT_EQ(manage::CheckBadge(asPanel, QStringLiteral("4242"), manage::ReadBadgeKey(), {}).outcome,
              manage::BadgeOutcome::Accepted);
    qunsetenv("ZAV_BADGE_KEY_FILE");

    // What the panel's role must not do is refused with a clear error, by the server and the store.
    pg::Connection panelConnection(asPanel);
    for (const char* tampering :
         {"DELETE FROM audit", "DELETE FROM auditseal", "UPDATE audit SET detail = 'x'",
          "UPDATE policy SET value = 'off'", "DELETE FROM lockout",
          "INSERT INTO lockout (kind, name, failures, locked, lockeduntil) "
          "VALUES ('operator', 'anna', 9, -1, '2099-01-01')"}) {
        EXPECT_EQ(store::test::errorNumberOf([&] { panelConnection.exec(QString::fromLatin1(tampering)); }),
                  store::ErrReadOnly)
            << tampering;
    }
    auto store =
        store::DefaultEngine().OpenDatabase(asPanel, store::OpenMode::SharedReadWrite, store::ConnectString);
    EXPECT_EQ(store::test::errorNumberOf([&] { store->Execute(QStringLiteral("Delete * from Audit")); }),
              store::ErrReadOnly);
    store->Close();

    // The reporting role reads the lists, never a password, and cannot count or clear failures.
    const QString asReport = as(reportRole);
    const manage::Snapshot report = manage::ReadSnapshot(asReport);
    EXPECT_TRUE(report.passwordsHidden);
    EXPECT_EQ(report.levels.size(), 2u);
    pg::Connection reportConnection(asReport);
    for (const char* reading : {"SELECT pwd FROM levels", "SELECT name, pwd FROM operators",
                                "SELECT zav_lockout_clear('operator', 'anna')"}) {
        EXPECT_EQ(store::test::errorNumberOf([&] { reportConnection.exec(QString::fromLatin1(reading)); }),
                  store::ErrReadOnly)
            << reading;
    }
    EXPECT_FALSE(manage::ReadSnapshot(uri).passwordsHidden);

    // The owner still can change the trail, and the verification sees it.
    execute(QStringLiteral("Delete from Audit where Seq = 2"));
    EXPECT_FALSE(manage::VerifyAuditTrail(uri).intact);
    for (const QString& role : {panelRole, reportRole}) {
        execute(QStringLiteral("DROP OWNED BY %1").arg(role));
        execute(QStringLiteral("DROP ROLE %1").arg(role));
    }
}

} // namespace
} // namespace zav::test
