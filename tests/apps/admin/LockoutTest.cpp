// Failed logins: counted in the file, locking an entry out, shared with zav-admin's unlock.

#include "AdminTool.h"
#include "support/ComponentFixture.h"

#include "access/Class_Par.h"
#include "component/CredentialCheck.h"
#include "operations/CredentialDatabase.h"
#include "store/Schema.h"

using zav::CredentialOutcome;

namespace {

class Lockout : public ::testing::Test {
protected:
    void SetUp() override {
        zav::Mod_Globali().loginTopPassword.clear();
        login = env.createComponent();
        env.addLevel(2, QStringLiteral("Shift"), QStringLiteral("shift-pw"));
        env.addOperator(QStringLiteral("anna"), QStringLiteral("anna-pw"), 2);
    }
    void policy(const char* key, const char* value) {
        zav::manage::SetPolicyEntry(env.dbPath(), QLatin1String(key), QLatin1String(value));
    }
    CredentialOutcome anna(const char* typed, QDateTime* until = nullptr) {
        return zav::CheckCredentials(zav::LoginModeOperator, 0, QStringLiteral("anna"), QLatin1String(typed),
                                     until);
    }
    CredentialOutcome level(int id, const QString& typed) {
        return zav::CheckCredentials(zav::LoginModeLevel, id, QString(), typed);
    }
    // zav-admin in its own process on the same file.
    QString admin(const QStringList& args) {
        const auto run = zav::test::RunAdmin(env.path(QString()), QStringList{"--db", env.dbPath()} + args);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        return run.out;
    }

    zav::test::ComponentEnvironment env;
    std::shared_ptr<ZAV_Login> login;
};

TEST_F(Lockout, OffCountsNothingAndLeavesTheFileAlone) {
    policy("lockout-minutes", "5");
    const QByteArray before = zav::test::FileBytes(env.dbPath());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    }
    EXPECT_TRUE(zav::test::FileBytes(env.dbPath()) == before) << "a wrong password wrote with lockout off";
    EXPECT_EQ(anna("anna-pw"), CredentialOutcome::Accepted);
}

TEST_F(Lockout, WrongInARowLockEvenTheRightPasswordButNeverTheTopLevel) {
    policy("lockout-attempts", "3");
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(anna("anna-pw"), CredentialOutcome::Accepted) << "a success starts the count again";
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    QDateTime until;
    EXPECT_EQ(anna("wrong", &until), CredentialOutcome::LockedOut);
    const qint64 left = QDateTime::currentDateTimeUtc().secsTo(until);
    EXPECT_TRUE(left > 14 * 60 && left <= 15 * 60) << left;
    until = {};
    EXPECT_EQ(anna("anna-pw", &until), CredentialOutcome::LockedOut);
    EXPECT_TRUE(zav::LockedOutMessage(until).contains(until.toLocalTime().toString("yyyy-MM-dd HH:mm")));

    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(level(0, QStringLiteral("wrong")), CredentialOutcome::WrongPassword);
    }
    EXPECT_EQ(env.value(QStringLiteral("Select * from Lockout where Name = '|0'"), "Failures").toInt(), 5);
    EXPECT_EQ(level(0, zav::store::DatabasePassword), CredentialOutcome::Accepted);
    EXPECT_EQ(env.count(QStringLiteral("Select * from Lockout where Name = '|0'")), 0);
    // A lock a level brought along when it became level 0 does not hold there.
    env.execute("Insert into Lockout (Kind, Name, Failures, Locked) values ('level', '|0', 9, true)");
    EXPECT_EQ(level(0, QStringLiteral("wrong")), CredentialOutcome::WrongPassword);
    EXPECT_EQ(level(0, zav::store::DatabasePassword), CredentialOutcome::Accepted);
}

TEST_F(Lockout, AnotherProcessSeesTheCountAndUnlocks) {
    policy("lockout-attempts", "2");
    policy("lockout-minutes", "0");
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(admin({"unlock", "ANNA"}), "operator \"anna\": not locked; 1 failed logins forgotten\n");
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword) << "unlock did not forget the count";
    QDateTime until = QDateTime::currentDateTimeUtc();
    EXPECT_EQ(anna("wrong", &until), CredentialOutcome::LockedOut);
    EXPECT_FALSE(until.isValid()) << "lockout-minutes 0 lasts until unlocked";
    EXPECT_EQ(admin({"unlock", "anna"}), "operator \"anna\": unlocked (it was locked until unlocked)\n");
    EXPECT_EQ(anna("anna-pw"), CredentialOutcome::Accepted);

    EXPECT_EQ(level(2, QStringLiteral("x")), CredentialOutcome::WrongPassword);
    EXPECT_EQ(level(2, QStringLiteral("x")), CredentialOutcome::LockedOut);
    EXPECT_TRUE(admin({"unlock", "--level", "shift"}).startsWith("level 2 (\"Shift\"): unlocked"));
    EXPECT_EQ(level(2, QStringLiteral("shift-pw")), CredentialOutcome::Accepted);
}

} // namespace
