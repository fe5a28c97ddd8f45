// Failed logins: counted in the file, locking an entry out, shared with zav-admin's unlock; and the same
// logins once zav-admin has switched the file to hashed passwords.

#include "AdminTool.h"
#include "support/ComponentFixture.h"

#include "access/Class_Par.h"
#include "component/CredentialCheck.h"
#include "operations/Clock.h"
#include "operations/CredentialDatabase.h"
#include "operations/PasswordHashing.h"
#include "store/Schema.h"

using zav::CredentialOutcome;

namespace {

class Lockout : public ::testing::Test {
protected:
    void SetUp() override {
        zav::manage::SetClockForTests([this] { return now; });
        login = env.createComponent();
        env.addLevel(2, "Shift", "shift-pw");
        env.addOperator("anna", "anna-pw", 2);
    }
    void policy(const char* key, const char* value) {
        zav::manage::SetPolicyEntry(env.dbPath(), QLatin1String(key), QLatin1String(value));
    }
    CredentialOutcome anna(const char* typed, QDateTime* until = nullptr) {
        return zav::CheckCredentials(zav::LoginModeOperator, 0, "anna", QLatin1String(typed), until);
    }
    void TearDown() override { zav::manage::SetClockForTests(nullptr); }
    CredentialOutcome level(int id, const QString& typed) {
        return zav::CheckCredentials(zav::LoginModeLevel, id, QString(), typed);
    }
    // Level 0's password typed with no name chosen.
    zav::CredentialVerdict top(const QString& typed) {
        return zav::CheckCredentials({zav::LoginModeOperator, false, 0, QString(), typed});
    }
    // The stored password of the row `where` names: "Levels where ID = 2".
    QString stored(const QString& where) { return env.value("Select * from " + where, "PWD").toString(); }
    // zav-admin in its own process on the same file.
    QString admin(const QStringList& args) {
        const auto run = zav::test::RunAdmin(env.path(QString()), QStringList{"--db", env.dbPath()} + args);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        return run.out;
    }

    QDateTime now = QDateTime::currentDateTimeUtc(); // the operations' clock, moved by the tests
    zav::test::ComponentEnvironment env;
    std::shared_ptr<ZAV_Login> login;
};

TEST_F(Lockout, WrongInARowLockEvenTheRightPasswordButNeverTheTopLevel) {
    policy("lockout-minutes", "5");
    const QByteArray before = zav::test::FileBytes(env.dbPath());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    }
    EXPECT_TRUE(zav::test::FileBytes(env.dbPath()) == before) << "a wrong password wrote with lockout off";
    policy("lockout-attempts", "3");
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(anna("anna-pw"), CredentialOutcome::Accepted) << "a success starts the count again";
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    QDateTime until;
    EXPECT_EQ(anna("wrong", &until), CredentialOutcome::LockedOut);
    const qint64 left = QDateTime::currentDateTimeUtc().secsTo(until);
    EXPECT_TRUE(left > 4 * 60 && left <= 5 * 60) << left;
    until = {};
    EXPECT_EQ(anna("anna-pw", &until), CredentialOutcome::LockedOut);
    EXPECT_TRUE(zav::LockedOutMessage(until).contains(until.toLocalTime().toString("yyyy-MM-dd HH:mm")));

    // Level 0 never locks. Each of anna's wrong passwords was tried against its password too, until the
    // limit made that wait; from then on every try of it waits, twice as long after each failure.
    const QString failures = "Select * from Lockout where Name = '|0'";
    EXPECT_EQ(env.value(failures, "Failures").toInt(), 3);
    zav::CredentialVerdict verdict = top(zav::store::DatabasePassword);
    EXPECT_EQ(verdict.outcome, CredentialOutcome::TopPasswordWaits) << "the right one, yet not compared";
    EXPECT_EQ(verdict.waitSeconds, 1);
    for (const int wait : {2, 4, 8, 16, 32, 60, 60}) {
        now = now.addSecs(60);
        EXPECT_EQ(top("wrong").outcome, CredentialOutcome::WrongPassword);
        verdict = top("wrong");
        EXPECT_TRUE(verdict.outcome == CredentialOutcome::TopPasswordWaits && verdict.waitSeconds == wait)
            << verdict.waitSeconds << " instead of " << wait;
    }
    EXPECT_EQ(env.value(failures, "Failures").toInt(), 10);
    EXPECT_EQ(level(0, zav::store::DatabasePassword), CredentialOutcome::TopPasswordWaits);
    now = now.addSecs(60);
    EXPECT_EQ(level(0, zav::store::DatabasePassword), CredentialOutcome::Accepted);
    EXPECT_EQ(env.count(failures), 0);
    // A lock a level brought along when it became level 0 does not hold there.
    env.execute("Insert into Lockout (Kind, Name, Failures, Locked) values ('level', '|0', 9, true)");
    EXPECT_EQ(level(0, "wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(level(0, zav::store::DatabasePassword), CredentialOutcome::Accepted);
}

TEST_F(Lockout, AnotherProcessSeesTheCountAndUnlocks) {
    policy("lockout-attempts", "2");
    policy("lockout-minutes", "0");
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(admin({"unlock", "ANNA"}), "operator \"anna\": not locked; 1 failed logins forgotten\n");
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword) << "unlock did not forget the count";
    EXPECT_EQ(anna("wrong"), CredentialOutcome::LockedOut);
    EXPECT_EQ(admin({"unlock", "anna"}), "operator \"anna\": unlocked (it was locked until unlocked)\n");
    EXPECT_EQ(anna("anna-pw"), CredentialOutcome::Accepted);

    EXPECT_EQ(level(2, "x"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(level(2, "x"), CredentialOutcome::LockedOut);
    EXPECT_TRUE(admin({"unlock", "--level", "shift"}).startsWith("level 2 (\"Shift\"): unlocked"));
    EXPECT_EQ(level(2, "shift-pw"), CredentialOutcome::Accepted);
    // Level 0's wait is kept in the file too, and ended the same way.
    EXPECT_EQ(top(zav::store::DatabasePassword).outcome, CredentialOutcome::TopPasswordWaits);
    EXPECT_EQ(admin({"unlock", "--level", "0"}), "level 0 (\"|0\"): not locked; 2 failed logins forgotten\n");
    EXPECT_EQ(top(zav::store::DatabasePassword).outcome, CredentialOutcome::Accepted);
    EXPECT_EQ(login->CurrentLevel()->ID(), 0);
}

using HashedStorage = Lockout;

// Logins by operator, by level and with the top password go on with the same passwords; the objects
// hold the hashes.
TEST_F(HashedStorage, TheSwitchKeepsEveryLoginAndCannotBeUndone) {
    using zav::manage::IsPasswordHash;
    env.addOperator("bert", QString(), 2);
    admin({"policy", "set", "password-storage", "hashed"});
    const QString annaHash = stored("Operators where Name = 'anna'");
    const QString shift = stored("Levels where ID = 2");
    const QString topHash = stored("Levels where ID = 0");
    for (const QString& hash : {annaHash, shift, topHash}) {
        EXPECT_TRUE(IsPasswordHash(hash)) << hash.toStdString();
    }
    EXPECT_EQ(stored("Operators where Name = 'bert'"), QString());
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(anna("anna-pw"), CredentialOutcome::Accepted);
    EXPECT_EQ(login->CurrentOperator()->Password(), annaHash);
    EXPECT_EQ(login->CurrentLevel()->Password(), shift);
    EXPECT_EQ(level(2, "shift-pw"), CredentialOutcome::Accepted);
    EXPECT_EQ(anna("KWB_Merlato"), CredentialOutcome::Accepted);
    EXPECT_EQ(login->CurrentLevel()->ID(), 0);

    const QByteArray before = zav::test::FileBytes(env.dbPath());
    const auto back = zav::test::RunAdmin(
        env.path(QString()), {"--db", env.dbPath(), "policy", "set", "password-storage", "plain"});
    EXPECT_TRUE(back.status == 1 && back.err.contains("no longer known")) << back.err.toStdString();
    EXPECT_TRUE(zav::test::FileBytes(env.dbPath()) == before);

    // Text an older writer left is reported and goes at the next switch.
    env.execute("Update Operators set PWD = 'left' where Name = 'bert'");
    const auto check = zav::test::RunAdmin(env.path(QString()), {"--db", env.dbPath(), "check"});
    EXPECT_TRUE(check.out.contains("the top level 0 still has the database's fixed key"));
    EXPECT_TRUE(check.out.contains("1 password stored as text in a hashed database\n  fix: zav-admin --db "));
    admin({"policy", "set", "password-storage", "hashed"});
    EXPECT_TRUE(IsPasswordHash(stored("Operators where Name = 'bert'")));
    EXPECT_EQ(stored("Operators where Name = 'anna'"), annaHash) << "a hash was hashed again";
    // A top level added anew gets the fixed key hashed.
    env.execute("Delete from Levels where ID = 0");
    login->setDbPath(env.dbPath());
    EXPECT_TRUE(IsPasswordHash(stored("Levels where ID = 0")));
}

// A hash of an older form keeps working and is replaced by today's at the first login that knows the
// password; a wrong one replaces nothing.
TEST_F(HashedStorage, AnOlderHashIsReplacedAtTheNextLogin) {
    admin({"policy", "set", "password-storage", "hashed"});
    const QString old = zav::manage::HashPasswordPbkdf2("anna-pw", 1000);
    env.execute(QStringLiteral("Update Operators set PWD = '%1' where Name = 'anna'").arg(old));
    const auto annaStored = [this] { return stored("Operators where Name = 'anna'"); };
    EXPECT_EQ(anna("wrong"), CredentialOutcome::WrongPassword);
    EXPECT_EQ(annaStored(), old);
    EXPECT_EQ(anna("anna-pw"), CredentialOutcome::Accepted);
    EXPECT_TRUE(annaStored().startsWith("$argon2id$") && !zav::manage::NeedsRehash(annaStored()))
        << annaStored().toStdString();
    EXPECT_EQ(login->CurrentOperator()->Password(), annaStored());
    EXPECT_EQ(anna("anna-pw"), CredentialOutcome::Accepted);
}

} // namespace
