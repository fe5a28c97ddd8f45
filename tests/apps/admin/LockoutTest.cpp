// Failed logins: counted in the file, locking an entry out, shared with zav-admin's unlock; and the same
// logins once zav-admin has switched the file to hashed passwords.

#include "AdminTool.h"
#include "support/ComponentFixture.h"

#include "access/Class_Par.h"
#include "component/CredentialCheck.h"
#include "operations/CredentialDatabase.h"
#include "operations/PasswordHashing.h"
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

using HashedStorage = Lockout;

// Logins by operator, by level and with the top password go on with the same passwords; the objects
// hold the hashes.
TEST_F(HashedStorage, TheSwitchKeepsEveryLoginAndCannotBeUndone) {
    using zav::manage::IsPasswordHash;
    env.addOperator(QStringLiteral("bert"), QString(), 2);
    const auto stored = [&](const QString& sql) { return env.value(sql, QStringLiteral("PWD")).toString(); };
    admin({"policy", "set", "password-storage", "hashed"});
    const QString annaHash = stored("Select * from Operators where Name = 'anna'");
    const QString shift = stored("Select * from Levels where ID = 2");
    const QString top = stored("Select * from Levels where ID = 0");
    for (const QString& hash : {annaHash, shift, top}) {
        EXPECT_TRUE(IsPasswordHash(hash)) << hash.toStdString();
    }
    EXPECT_EQ(stored("Select * from Operators where Name = 'bert'"), QString());
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(anna("anna-pw"), CredentialOutcome::Accepted);
    EXPECT_EQ(login->CurrentOperator()->Password(), annaHash);
    EXPECT_EQ(login->CurrentLevel()->Password(), shift);
    EXPECT_EQ(level(2, QStringLiteral("shift-pw")), CredentialOutcome::Accepted);
    zav::Mod_Globali().loginTopPassword = top;
    EXPECT_EQ(anna("KWB_Merlato"), CredentialOutcome::Accepted);
    EXPECT_EQ(login->CurrentLevel()->ID(), 0);

    const QByteArray before = zav::test::FileBytes(env.dbPath());
    const auto back = zav::test::RunAdmin(
        env.path(QString()), {"--db", env.dbPath(), "policy", "set", "password-storage", "plain"});
    EXPECT_TRUE(back.status == 1 && back.err.contains("no longer known")) << back.err.toStdString();
    EXPECT_TRUE(zav::test::FileBytes(env.dbPath()) == before);

    // Text an older writer left is reported and goes at the next switch.
    env.execute(QStringLiteral("Update Operators set PWD = 'left' where Name = 'bert'"));
    const auto check = zav::test::RunAdmin(env.path(QString()), {"--db", env.dbPath(), "check"});
    EXPECT_TRUE(check.out.contains("the top level 0 still has the database's fixed key"));
    EXPECT_TRUE(
        check.out.contains("1 passwords stored as text in a hashed database\n  fix: zav-admin --db "));
    admin({"policy", "set", "password-storage", "hashed"});
    EXPECT_TRUE(IsPasswordHash(stored("Select * from Operators where Name = 'bert'")));
    EXPECT_EQ(stored("Select * from Operators where Name = 'anna'"), annaHash) << "a hash was hashed again";
    // A top level added anew gets the fixed key hashed.
    env.execute(QStringLiteral("Delete from Levels where ID = 0"));
    login->setDbPath(env.dbPath());
    EXPECT_TRUE(IsPasswordHash(stored("Select * from Levels where ID = 0")));
}

} // namespace
