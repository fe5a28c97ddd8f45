// export and import: round trips, merging, and documents that must be refused as a whole.

#include "AdminTool.h"
#include "operations/CredentialDatabase.h"
#include "store/StoreTestSupport.h"
#include "store/server/PgConnection.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <functional>
#include <sys/stat.h>

using zav::store::test::Place;
using zav::store::test::Places;
using zav::test::AdminTest;
using zav::test::FileBytes;
using zav::test::RunAdmin;
using zav::test::WriteFile;

namespace {

class AdminExportImport : public AdminTest {
protected:
    // Levels with rights, names and passwords that need care, and operators in several levels.
    void fillDatabase() {
        ok({"init", "--rights", "5,7"});
        ok({"add-level", "Schicht Müller"});
        ok({"add-level", "Service"});
        ok({"set-rights", "3", "ManageOperator", "Desktop", "1-10", "99"});
        ok({"add-operator", "O'Brien", "--level", "2"});
        ok({"add-operator", "Zoë", "--level", "3"});
        ok({"add-operator", "anna", "--level", "1"});
        ok({"passwd", "operator", "zoë", "--stdin"}, "pässwörd \"quoted\"\n");
        ok({"passwd", "level", "2", "--stdin"}, "lvl'2\n");
    }

    // The folder holds these names and nothing else (no temporary file left behind).
    void expectFolderHolds(QStringList names) const {
        QStringList entries =
            QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        entries.sort();
        names.sort();
        EXPECT_EQ(entries, names);
    }
};

TEST_F(AdminExportImport, AnExportRestoredIntoAFreshFileExportsTheSame) {
    fillDatabase();
    WriteFile(path("login.db.INI"), "[Description]\r\nML=Levels\r\n3=Recipes\r\n"); // the rights' captions
    const QString first = path("first.json");
    const QString copy = path("copy.db");
    ok({"export", first});
    // An import without --merge never replaces a file, not even an empty one.
    expectFailure({"import", first}, 3204, "exists already");
    WriteFile(path("other.db"), "");
    expectFailure(path("other.db"), {"import", first}, 3204, "exists already");
    expectFailure(path("new.db"), {"import", path("missing.json")}, 53, "does not exist");
    EXPECT_EQ(QFile::permissions(first) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);
    // Leftovers of killed imports go (their process is gone, or an unnamed one is old); the file of a
    // running import stays. Whatever the umask, the new database is its owner's alone.
    const QString running = QStringLiteral(".copy.db.import-%1-a").arg(QCoreApplication::applicationPid());
    for (const QString& name :
         QStringList{".copy.db.import-2147483647-a", ".copy.db.import-2147483647-a.lock",
                     ".copy.db.import-0123456789ab", running}) {
        WriteFile(path(name), "level 0: KWB_Merlato");
    }
    QFile unnamed(path(".copy.db.import-0123456789ab"));
    ASSERT_TRUE(unnamed.open(QIODevice::ReadWrite));
    ASSERT_TRUE(unnamed.setFileTime(QDateTime::currentDateTime().addDays(-1), QFile::FileModificationTime));
    ::umask(022);
    EXPECT_EQ(adminOn(copy, {"import", first}).status, 0);
    EXPECT_EQ(adminOn(copy, {"export", "-"}).out.toUtf8(), FileBytes(first));

    // What was exported is all there, passwords included.
    const QJsonObject document = QJsonDocument::fromJson(FileBytes(first)).object();
    EXPECT_EQ(document["format"].toString(), "ZAV_PrjLogin credentials");
    EXPECT_EQ(document["captions"].toObject(), (QJsonObject{{"ML", "Levels"}, {"3", "Recipes"}}));
    const QJsonArray levels = document["levels"].toArray();
    ASSERT_EQ(levels.size(), 4);
    // Service's management right put it right below the top level.
    EXPECT_TRUE(levels[1]["name"] == "Service" && levels[1]["nEnable"] == 11);
    EXPECT_TRUE(levels[2]["name"] == "|1" && levels[2]["password"] == "lvl'2");
    EXPECT_TRUE(levels[0]["password"] == "KWB_Merlato" && levels[3]["name"] == "Schicht Müller");
    const QJsonArray operators = document["operators"].toArray();
    ASSERT_EQ(operators.size(), 3);
    EXPECT_EQ(operators[2].toObject(),
              (QJsonObject{{"name", "Zoë"}, {"password", "pässwörd \"quoted\""}, {"level", 3}}));
    expectFolderHolds({"login.db", "login.db.lock", "login.db.INI", "other.db", "first.json", "copy.db",
                       "copy.db.lock", "copy.db.INI", "copy.db.INI.lock", running});
    EXPECT_EQ(QFile::permissions(copy) &
                  ~(QFile::ReadUser | QFile::WriteUser | QFile::ReadOwner | QFile::WriteOwner),
              0);
}

// Badges by name, their numbers read from standard input and never shown; a panel's badge reading
// unlocked; an export carries HMACs only, which open after an import under the same key; a merge gives
// an operator exactly the document's badges and refuses one another operator keeps.
TEST_F(AdminExportImport, BadgesAreGivenByNameAndTravelAsHmacsOnly) {
    makeBadgeKey();
    EXPECT_EQ(QFile::permissions(path("keys/badge.key")) & 0x77, 0) << "no right for the group or others";
    EXPECT_EQ(RunAdmin(folder.path(), {"badge", "init-key"}).status, 1) << "a key is never replaced";
    ok({"init"});
    ok({"add-operator", "anna", "--level", "1"});
    ok({"add-operator", "bert", "--level", "1"});
    ok({"policy", "set", "badge-login", "on"});
    ok({"policy", "set", "lockout-attempts", "1"});
    ok({"policy", "set", "audit", "on"});
    QString shown = ok({"badge", "set", "ANNA", "--stdin"}, "12345678\n") +
                    ok({"badge", "set", "bert", "--stdin", "--pin"}, "0xBEEFCAFE\n2468\n");
    EXPECT_TRUE(operators().at(0)["method"] == "badge" && operators().at(1)["method"] == "badge+pin");
    const zav::manage::BadgeKey key = zav::manage::ReadBadgeKey();
    EXPECT_EQ(zav::manage::CheckBadge(db, "1", key, {}).outcome, zav::manage::BadgeOutcome::PanelLocked);
    EXPECT_TRUE(ok({"unlock", "--panel", zav::manage::AuditPanelName()}).contains(": unlocked"));
    const QString exported = ok({"export", "-"});
    shown += exported + ok({"audit"});
    for (const QString number : {"12345678", "bc614e", "beefcafe", "3203386110"}) {
        EXPECT_FALSE(shown.contains(number, Qt::CaseInsensitive)) << number.toStdString();
    }
    const QString copy = path("copy.db");
    EXPECT_EQ(adminOn(copy, {"import", "-"}, exported.toUtf8()).status, 0);
    EXPECT_EQ(zav::manage::CheckBadge(copy, "12345678", key, {}).operatorName, "anna");
    // The badges swapped: each operator the document names gets exactly its rows.
    QString swapped = exported;
    swapped.replace(R"("operator": "anna")", R"("operator": "-")")
        .replace(R"("operator": "bert")", R"("operator": "anna")")
        .replace(R"("operator": "-")", R"("operator": "bert")");
    EXPECT_EQ(adminOn(copy, {"import", "--merge", "-"}, swapped.toUtf8()).status, 0);
    EXPECT_EQ(zav::manage::CheckBadge(copy, "12345678", key, {}).operatorName, "bert");
    QJsonObject document = QJsonDocument::fromJson(exported.toUtf8()).object();
    document["badges"] = QJsonArray{document["badges"].toArray().first()}; // anna's, which bert keeps
    expectFailure(copy, {"import", "--merge", "-"}, 3022, "is operator 'bert''s",
                  QJsonDocument(document).toJson());
    EXPECT_TRUE(ok({"badge", "remove", "anna"}).contains("badge removed") &&
                operators().at(0)["method"] == "password");
}

// A copy made through the other kind of database and back exports the original's bytes, captions
// included: a file's document through a server database, a server's through a file.
class AdminRoundTrip : public AdminExportImport, public ::testing::WithParamInterface<Place> {
protected:
    QString fresh(Place kind) {
        return kind == Place::File ? path(QStringLiteral("%1.db").arg(++files)) : servers.fresh();
    }
    int files = 0;
    Places servers{Place::Server};
};

TEST_P(AdminRoundTrip, ACopyThroughTheOtherKindAndBackExportsTheSameBytes) {
    db = fresh(GetParam());
    fillDatabase();
    ok({"add-operator", "Émile", "--level", "2"}); // a server's collation sorts it elsewhere
    ok({"policy", "set", "lockout-attempts", "4"});
    ok({"policy", "set", "password-min-length", "8"}); // which the fixed key and most passwords miss
    ok({"policy", "set", "password-change-at-first-login", "on"}); // the ages go along
    ok({"passwd", "operator", "Émile", "--stdin"}, "emile-pass1\n");
    makeBadgeKey(); // the badges go along as HMACs
    ok({"policy", "set", "badge-login", "on"});
    ok({"badge", "set", "anna", "--stdin"}, "4242\n");
    EXPECT_TRUE(adminOn(db, {"check"}).out.contains("never chose a password of their own"));
    WriteFile(path("captions.json"),
              R"({"levels": [], "operators": [], "captions": {"ML": "Levels", "3": "Recipes"}})");
    ok({"import", "--merge", path("captions.json")});
    const QByteArray original = ok({"export", "-"}).toUtf8();
    EXPECT_EQ(QJsonDocument::fromJson(original)["captions"].toObject(),
              (QJsonObject{{"ML", "Levels"}, {"3", "Recipes"}}));
    const QJsonArray ages = QJsonDocument::fromJson(original)["passwordAges"].toArray();
    EXPECT_TRUE(ages.size() == 8 && ages[7]["name"] == "Émile" && ages[7]["mustChange"] == true);
    QByteArray document = original;
    for (const Place kind : {GetParam() == Place::File ? Place::Server : Place::File, GetParam()}) {
        const QString copy = fresh(kind);
        const auto imported = adminOn(copy, {"import", "-"}, document);
        EXPECT_EQ(imported.err.toStdString(), "");
        // A server stores hashes from the start, which the rules cannot judge.
        EXPECT_EQ(imported.out.contains("top level 0 still has the database's fixed key") &&
                      imported.out.contains(" passwd operator anna\n"),
                  GetParam() == Place::File);
        document = adminOn(copy, {"export", "-"}).out.toUtf8();
        EXPECT_EQ(document, original);
    }
}

INSTANTIATE_TEST_SUITE_P(Places, AdminRoundTrip, ::testing::Values(Place::File, Place::Server),
                         zav::store::test::placeName);

// A server database exists before the import: it takes one while it holds no level and no operator,
// and the import is one transaction.
TEST_F(AdminExportImport, AServerDatabaseTakesAnImportOnlyWhileEmptyAndWhole) {
    Places servers{Place::Server};
    fillDatabase();
    ok({"policy", "set", "audit", "on"}); // so the import records where it went
    const QByteArray document = ok({"export", "-"}).toUtf8();
    const QString target = servers.fresh();
    const QByteArray bareSchema = R"({"levels": [], "operators": []})";
    ASSERT_EQ(adminOn(target, {"import", "-"}, bareSchema).status, 0);
    const QByteArray bare = adminOn(target, {"export", "-"}).out.toUtf8();
    // Half-way through, the server refuses the operators: the levels written before go too.
    zav::pg::Connection server(target);
    server.exec(
        "CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RAISE 'refused'; END$$");
    server.exec("CREATE TRIGGER refuse BEFORE INSERT ON operators FOR EACH ROW EXECUTE FUNCTION refuse()");
    EXPECT_EQ(adminOn(target, {"import", "-"}, document).status, 1);
    EXPECT_EQ(adminOn(target, {"export", "-"}).out.toUtf8(), bare);
    server.exec("DROP TRIGGER refuse ON operators");
    EXPECT_EQ(adminOn(target, {"import", "-"}, document).status, 0);
    EXPECT_TRUE(
        adminOn(target, {"audit"}).out.endsWith(" 4 levels, 3 operators into the empty server database\n"));
    expectFailure(target, {"import", "-"}, 3204, "holds levels or operators already", document);
    EXPECT_EQ(adminOn(target, {"export", "-"}).out.toUtf8(), document);
}

TEST_F(AdminExportImport, MergeUpdatesByNameAddsTheRestAndRenumbers) {
    ok({"init"});
    ok({"add-level", "Shift"});
    ok({"add-operator", "anna", "--level", "2"});
    ok({"add-operator", "bert", "--level", "1"});
    const QString merge = path("merge.json");
    WriteFile(merge, R"({"levels": [
        {"id": 7, "name": "SHIFT", "password": "pw", "manageLevel": false, "manageOperator": true,
         "disShutDown": false, "desktop": false, "custom": [1], "nEnable": 1},
        {"id": 9, "name": "Night", "password": "", "manageLevel": false, "manageOperator": false,
         "disShutDown": false, "desktop": false, "custom": [], "nEnable": 0}],
      "operators": [{"name": "ANNA", "password": "apw", "level": 9}, {"name": "carl", "password": "", "level": 7}]})");
    ok({"import", merge, "--merge"});

    const QJsonObject document = exported();
    const QJsonArray levels = document["levels"].toArray();
    ASSERT_EQ(levels.size(), 4);
    EXPECT_TRUE(levels[2]["name"] == "SHIFT" && levels[2]["password"] == "pw" &&
                levels[2]["manageOperator"] == true);
    EXPECT_EQ(levels.at(3)["name"].toString(), "Night");
    const QJsonArray operators = document["operators"].toArray();
    ASSERT_EQ(operators.size(), 3);
    EXPECT_EQ(operators[0].toObject(), (QJsonObject{{"name", "ANNA"}, {"password", "apw"}, {"level", 3}}));
    EXPECT_EQ(operators.at(1)["level"].toInt(), 1); // bert, not named by the document
    EXPECT_EQ(operators.at(2)["level"].toInt(), 2); // carl, added to SHIFT

    // The level in force when nobody is logged in cannot get a password, as with passwd.
    WriteFile(merge, R"({"levels": [{"id": 9, "name": "Night", "password": "x", "manageLevel": false,
        "manageOperator": false, "disShutDown": false, "desktop": false, "custom": [], "nEnable": 0}],
        "operators": []})");
    expectFailure({"import", merge, "--merge"}, 5, "cannot have a password");
}

TEST_F(AdminExportImport, AMergeThatFailsHalfWayChangesNothing) {
    const QString start = path("start.json");
    WriteFile(start, R"({"levels": [
        {"id": 0, "name": "|0", "password": "a", "manageLevel": true, "manageOperator": true, "disShutDown": true,
         "desktop": true, "custom": [], "nEnable": 0},
        {"id": 32767, "name": "Last", "password": "", "manageLevel": false, "manageOperator": false,
         "disShutDown": false, "desktop": false, "custom": [], "nEnable": 0}], "operators": []})");
    ok({"import", start});
    // No level number is left above 32767.
    expectFailure({"add-level", "More"}, 3349, "32767");
    // The first level is stored before the second finds no number: both are undone.
    const QString merge = path("merge.json");
    WriteFile(merge, R"({"levels": [
        {"id": 0, "name": "|0", "password": "changed", "manageLevel": true, "manageOperator": true,
         "disShutDown": true, "desktop": true, "custom": [1], "nEnable": 1},
        {"id": 5, "name": "New", "password": "", "manageLevel": false, "manageOperator": false,
         "disShutDown": false, "desktop": false, "custom": [], "nEnable": 0}], "operators": []})");
    expectFailure({"import", merge, "--merge"}, 3349, "level \"New\" cannot be added");
    EXPECT_EQ(exported()["levels"].toArray().at(0)["password"].toString(), "a");
}

TEST_F(AdminExportImport, BadDocumentsAreRefusedWholeBeforeAnythingIsWritten) {
    fillDatabase();
    const QJsonObject good = exported();
    const QString bad = path("bad.json");
    const QString fresh = path("fresh.db");
    const auto expectRefused = [&](const QByteArray& text, int number, const QString& message) {
        WriteFile(bad, text);
        expectFailure(fresh, {"import", bad}, number, message);
        expectFailure({"import", bad, "--merge"}, number, message);
    };
    const auto expectChangeRefused = [&](const std::function<void(QJsonObject&)>& change, int number,
                                         const QString& message) {
        QJsonObject document = good;
        change(document);
        expectRefused(QJsonDocument(document).toJson(), number, message);
    };
    const auto member = [](const char* table, int index, const char* key, const QJsonValue& value) {
        return [=](QJsonObject& document) { zav::test::SetMember(document, table, index, key, value); };
    };

    expectRefused("{\"levels\": [", 13, "not valid JSON");
    expectChangeRefused([](QJsonObject& d) { d["version"] = 2; }, 13, "version 2 is unknown");
    expectChangeRefused([](QJsonObject& d) { d.remove("operators"); }, 13, "member \"operators\" is missing");
    expectChangeRefused(member("levels", 1, "id", "1"), 13, "levels[1].id: expected a whole number");
    expectChangeRefused(member("levels", 1, "id", 40000), 3349, "levels[1].id: 40000 is out of range");
    expectChangeRefused(member("levels", 1, "id", 0), 3022, "levels[1].id: level ID 0 is given twice");
    expectChangeRefused(member("levels", 3, "name", "SERVICE"), 3022,
                        "levels[3].name: another level is named");
    expectChangeRefused(member("levels", 3, "name", QStringLiteral("Shift%1").arg(QChar(u'\0'))), 5,
                        "levels[3].name: a name cannot hold the character U+0000");
    expectChangeRefused(member("levels", 0, "custom", QJsonArray{5, 101}), 3349, "levels[0].custom[1]");
    expectChangeRefused(member("operators", 1, "name", "ANNA"), 3022, "operators[1].name: another operator");
    expectChangeRefused(member("operators", 1, "level", 9), 3201,
                        "operators[1].level: the document has no level 9");
    expectFolderHolds({"login.db", "login.db.lock", "bad.json"});
}

} // namespace
