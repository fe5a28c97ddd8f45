// policy and check, the password rules in passwd and import, and hashed password storage.

#include "AdminTool.h"

#include "operations/CredentialDatabase.h"

#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>

using zav::manage::IsPasswordHash;
using zav::test::AdminTest;
using zav::test::FileBytes;
using zav::test::WriteFile;

namespace {

class AdminPolicy : public AdminTest {
protected:
    void SetUp() override { ok({"init"}); }

    QJsonObject policyJson() const {
        return QJsonDocument::fromJson(ok({"policy", "--json"}).toUtf8()).object();
    }
    QStringList findings(int expectedStatus) const {
        const auto run = adminOn(db, {"check", "--json"});
        EXPECT_EQ(run.status, expectedStatus) << run.err.toStdString();
        QStringList codes;
        for (const QJsonValue found : QJsonDocument::fromJson(run.out.toUtf8()).array()) {
            codes << found["finding"].toString();
        }
        return codes;
    }
};

TEST_F(AdminPolicy, DefaultsWithoutChangingTheFileAndARoundTrip) {
    const QByteArray before = FileBytes(db);
    EXPECT_EQ(
        ok({"policy"}),
        "audit off\naudit-retention-days 0\nlockout-attempts 0\nlockout-minutes 15\n"
        "auto-logout-minutes 0\nauto-logout-warning-seconds 30\npassword-min-length 0\n"
        "password-require-digit off\npassword-require-letter off\npassword-storage plain\n"
        "password-max-age-days 0\npassword-history 0\npassword-change-at-first-login off\n"
        "offline-login-days 0\noffline-sync-minutes 5\nsignature-reasons\nsignature-reason-required off\n"
        "badge-login off\nbadge-max-key-gap-ms 30\nbadge-strip\npin-min-length 4\n");
    EXPECT_TRUE(policyJson()["lockout-minutes"] == 15 && !exported().contains("policy"));
    EXPECT_TRUE(FileBytes(db) == before) << "reading the policy changed the file";

    ok({"policy", "set", "password-require-digit", "YES"});
    ok({"policy", "set", "lockout-minutes", "0"});
    EXPECT_TRUE(ok({"policy"}).contains("lockout-minutes 0\n") && ok({"policy"}).contains("digit on\n"));
    ok({"policy", "set", "signature-reasons", " Checked |  | 5 "}); // one list of texts, even "5"
    EXPECT_TRUE(ok({"policy"}).contains("signature-reasons Checked|5\n") &&
                policyJson()["signature-reasons"] == "Checked|5");
    EXPECT_TRUE(policyJson()["password-require-digit"] == true &&
                exported()["policy"].toObject()["password-require-digit"] == "on");

    expectFailure({"policy", "set", "colour", "on"}, 5, "'colour' is no policy key");
    expectFailure({"policy", "set", "audit", "maybe"}, 5, "on or off");
    for (const char* bad : {"-1", "1001", "1.5", "", "0x10"}) {
        expectFailure({"policy", "set", "lockout-attempts", bad}, 5, "from 0 to 1000");
    }
    ok({"policy", "set", "audit", "off"});
    ok({"policy", "set", "lockout-attempts", "1000"});
    expectUsageError({"policy", "set", "audit"}, "policy takes no argument");
}

TEST_F(AdminPolicy, PasswdKeepsEveryRule) {
    ok({"add-level", "Shift"});
    ok({"add-level", "Night"}); // the logout level
    ok({"add-operator", "anna2024", "--level", "1"});
    ok({"passwd", "level", "0", "--stdin"}, "KWB_Merlato\n"); // no rule on yet
    ok({"policy", "set", "password-min-length", "6"});
    ok({"policy", "set", "password-require-digit", "on"});
    ok({"policy", "set", "password-require-letter", "true"});
    const auto refused = [&](const QStringList& who, const QString& password, const QString& text) {
        expectFailure(QStringList{"passwd"} + who + QStringList{"--stdin"}, 5, text,
                      (password + "\n").toUtf8());
    };
    refused({"operator", "anna2024"}, "1234567", "a letter is needed");
    refused({"operator", "anna2024"}, "ANNA2024",
            "the password of operator \"anna2024\" is refused by the "
            "policy: it must not be the name");
    refused({"level", "Shift"}, "shift",
            "level 2 (\"Shift\") is refused by the policy: at least 6 characters are "
            "needed; a digit is needed; it must not be the name");
    refused({"level", "Operator"}, "OPERATOR", "must not be the name"); // "|1" by the name shown for it
    refused({"level", "0"}, "kwb_merlato", "must not be the database's fixed key");
    refused({"level", "1"}, "", "at least 6");
    ok({"passwd", "level", "3", "--stdin"}, "\n"); // the logout level keeps no password
    ok({"passwd", "operator", "anna2024", "--stdin"}, "Secret77\n");
    // A new operator needs a password that passes the rules, or nothing is added.
    expectFailure({"add-operator", "bert", "--level", "Shift"}, 5,
                  "give it on standard input with --password-stdin");
    expectFailure({"add-operator", "bert", "--level", "Shift", "--password-stdin"}, 5,
                  "the password of operator \"bert\" is refused", "bert1\n");
    ok({"add-operator", "bert", "--level", "Shift", "--password-stdin"}, "Bert-2024\n");
    EXPECT_TRUE(ok({"operators"}).contains(QRegularExpression("\nbert +2 +Shift +yes\n")));
}

TEST_F(AdminPolicy, ImportAndMergeKeepTheRules) {
    ok({"add-operator", "anna", "--level", "1"});
    ok({"policy", "set", "password-min-length", "6"});
    ok({"passwd", "operator", "anna", "--stdin"}, "Secret77\n");
    ok({"passwd", "level", "0", "--stdin"}, "TopSecret\n");
    QJsonObject document = exported();
    const QString file = path("doc.json");
    WriteFile(file, QJsonDocument(document).toJson());
    ok({"import", file, "--merge"});

    zav::test::SetMember(document, "operators", 0, "password", "short");
    WriteFile(file, QJsonDocument(document).toJson());
    expectFailure({"import", file, "--merge"}, 5, "the password of operator \"anna\" is refused");
    // A new database takes the document whole and names what its rules refuse, as check does.
    const auto imported = [&](const QString& copy) { return adminOn(path(copy), {"import", file}).out; };
    EXPECT_EQ(imported("new.db"), "the password of operator \"anna\" is refused by the policy: at least 6 "
                                  "characters are needed\n  fix: zav-admin --db " +
                                      path("new.db") + " passwd operator anna\n");
    // A rule only the document sets holds for the merge too.
    ok({"policy", "set", "password-min-length", "0"});
    expectFailure({"import", file, "--merge"}, 5, "operator \"anna\"");

    zav::test::SetMember(document, "levels", 0, "password", "|0");
    document["operators"] = QJsonArray();
    WriteFile(file, QJsonDocument(document).toJson());
    EXPECT_TRUE(imported("other.db")
                    .startsWith("the password of level 0 (\"|0\") is refused by the policy: "
                                "at least 6 characters are needed; it must not be the name\n"));
}

TEST_F(AdminPolicy, CheckOnAFreshAndOnAHardenedDatabase) {
    const QStringList policyOff{"auto-logout-off", "no-password-rule", "lockout-off", "audit-off",
                                "password-storage-plain"};
    EXPECT_EQ(findings(1), QStringList{"top-password-fixed-key"} + policyOff);
    ok({"add-level", "Shift"});
    ok({"add-operator", "anna", "--level", "administrator"}); // the name shown for "|0"
    ok({"passwd", "level", "0", "--stdin"}, "\n");
    QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QFile::setPermissions(db + ".lock", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    EXPECT_EQ(findings(1), QStringList({"top-password-empty", "level-without-password",
                                        "operator-without-password", "file-readable", "lock-file-readable"}) +
                               policyOff);
    const auto text = adminOn(db, {"check"});
    EXPECT_TRUE(text.out.contains("level 1 (\"|1\") can be chosen at login without a password\n  fix: "
                                  "zav-admin --db " +
                                  db + " passwd level 1\n"))
        << text.out.toStdString();

    QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(db + ".lock", QFile::ReadOwner | QFile::WriteOwner);
    ok({"passwd", "level", "0", "--stdin"}, "Top-Secret-9\n");
    ok({"passwd", "level", "1", "--stdin"}, "Shift-Secret-9\n");
    ok({"passwd", "operator", "anna", "--stdin"}, "no-digit\n");
    ok({"policy", "set", "password-require-digit", "1"});
    EXPECT_EQ(findings(1), (QStringList{"password-against-rules", "auto-logout-off", "lockout-off",
                                        "audit-off", "password-storage-plain"}));
    ok({"passwd", "operator", "anna", "--stdin"}, "digit-9\n");
    EXPECT_TRUE(adminOn(db, {"check"}).out.contains("policy set auto-logout-minutes 15\n"));
    EXPECT_TRUE(adminOn(db, {"check"}).out.contains(" policy set lockout-attempts 5\n"));
    ok({"policy", "set", "auto-logout-minutes", "15"});
    ok({"policy", "set", "lockout-attempts", "5"});
    ok({"policy", "set", "audit", "on"});
    EXPECT_EQ(findings(1), QStringList{"password-storage-plain"});
    EXPECT_TRUE(adminOn(db, {"check"}).out.contains(" policy set password-storage hashed\n"));
    ok({"policy", "set", "password-storage", "hashed"});
    EXPECT_EQ(findings(0), QStringList{});
}

// Export writes what is stored; a new file keeps the hashes, a hashed database hashes what a merge
// brings, and a database that stores text refuses hashes.
TEST_F(AdminPolicy, HashesTravelWithExportImportAndMerge) {
    ok({"add-operator", "anna", "--level", "1"});
    ok({"passwd", "operator", "anna", "--stdin"}, "Secret77\n");
    const auto annaIn = [](const QJsonObject& document) {
        return document["operators"].toArray()[0].toObject()["password"].toString();
    };
    QJsonObject plainDocument = exported();
    EXPECT_EQ(annaIn(plainDocument), "Secret77") << "hashed with the policy untouched";
    ok({"policy", "set", "password-storage", "hashed"});
    ok({"passwd", "operator", "anna", "--stdin"}, "Other88\n");
    QJsonObject hashedDocument = exported();
    const QString hash = annaIn(hashedDocument);
    EXPECT_TRUE(IsPasswordHash(hash) &&
                zav::manage::PasswordMatches("Other88", hash, zav::manage::PasswordStorage::Hashed));

    // A rule no hash could pass does not judge the hashes; one an older version made travels too, and
    // the check names it alone.
    QJsonObject policy = hashedDocument["policy"].toObject();
    policy["password-min-length"] = "100";
    hashedDocument["policy"] = policy;
    QJsonArray operators = hashedDocument["operators"].toArray();
    operators.append(QJsonObject{
        {"name", "bert"}, {"password", zav::manage::HashPasswordPbkdf2("Old55", 3)}, {"level", 1}});
    hashedDocument["operators"] = operators;
    const QString file = path("doc.json");
    WriteFile(file, QJsonDocument(hashedDocument).toJson());
    const QString copy = path("copy.db");
    ASSERT_EQ(adminOn(copy, {"import", file}).status, 0);
    const QJsonValue copied =
        QJsonDocument::fromJson(adminOn(copy, {"export", "-"}).out.toUtf8())["operators"];
    EXPECT_EQ(copied, operators) << QJsonDocument(copied.toArray()).toJson().toStdString();
    EXPECT_TRUE(
        adminOn(copy, {"check"})
            .out.contains(
                "1 password hash in an older, weaker form: operators \"bert\"\n  fix: each is replaced"));

    const QString plain = path("plain.db");
    EXPECT_EQ(adminOn(plain, {"init"}).status, 0);
    expectFailure(plain, {"import", file, "--merge"}, 5, "the document's passwords are stored hashed");

    policy = QJsonObject{{"password-storage", "plain"}};
    plainDocument["policy"] = policy;
    WriteFile(file, QJsonDocument(plainDocument).toJson());
    ok({"import", file, "--merge"});
    const QString merged = annaIn(exported());
    EXPECT_TRUE(IsPasswordHash(merged) &&
                zav::manage::PasswordMatches("Secret77", merged, zav::manage::PasswordStorage::Hashed));
    EXPECT_TRUE(ok({"policy"}).contains("password-storage hashed\n"));
}

} // namespace
