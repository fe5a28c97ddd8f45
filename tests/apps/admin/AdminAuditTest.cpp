// audit: the listing with its bounds, --verify, and the rows of what zav-admin itself changes.

#include "AdminTool.h"

#include "store/Engine.h"
#include "store/Schema.h"

#include <QJsonDocument>

using zav::test::AdminTest;

namespace {

using AdminAudit = AdminTest;

TEST_F(AdminAudit, ListsEveryRowWithinItsBoundsAndVerifyFindsAChangedAndARemovedRow) {
    const auto execute = [this](const char* sql) {
        auto file = zav::store::DefaultEngine().OpenDatabase(db, zav::store::OpenMode::SharedReadWrite,
                                                             zav::store::ConnectString);
        file->Execute(QLatin1String(sql));
        file->Close();
    };
    const auto rows = [this](const QStringList& bounds = {}) {
        return QJsonDocument::fromJson(ok(QStringList{"audit", "--json"} + bounds).toUtf8()).array();
    };
    ok({"init"});
    ok({"policy", "set", "audit", "on"});
    ok({"add-level", "Shift"});
    ok({"add-operator", "anna", "--level", "2"});
    ok({"policy", "set", "lockout-attempts", "3"});
    ok({"unlock", "anna"}); // not locked: nothing to record
    ok({"passwd", "operator", "anna", "--stdin"}, "Secret-42\n");
    const QJsonArray all = rows();
    ASSERT_EQ(all.size(), 5);
    EXPECT_EQ(all[4]["event"].toString() + ' ' + all[4]["detail"].toString(),
              "password-changed operator 'anna'");
    EXPECT_EQ(all[1]["event"].toString(), "level-added");
    EXPECT_EQ(all[2]["detail"].toString(), "operator 'anna' to level 2");
    EXPECT_EQ(all[3]["detail"].toString(), "lockout-attempts 3 (was 0)");
    const QString text = ok({"audit"});
    EXPECT_TRUE(text.startsWith("1 " + all[0]["time"].toString() + ' ')) << text.toStdString();
    EXPECT_TRUE(text.contains(" policy-changed operator=\"\" level=\"\" audit on (was off)\n"));

    const QString second = all[1]["time"].toString();
    const QString third = all[2]["time"].toString();
    EXPECT_EQ(rows({"--since", second, "--until", third}).size(), 2);
    EXPECT_EQ(rows({"--since", "2999-01-01"}).size(), 0);
    expectUsageError({"audit", "--since", "yesterday"}, "--since needs a time");
    expectUsageError({"audit", "--verify", "--since", "2020-01-01"}, "--verify checks the whole trail");

    EXPECT_EQ(ok({"audit", "--verify"}), "intact: 5 rows\n");

    execute("Update Audit Set Detail = 'operator ''eve'' to level 2' where Seq = 3");
    auto run = adminOn(db, {"audit", "--verify"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "NOT intact: row 3 was changed; the trail cannot be trusted from row 3 on\n");

    execute("Delete * from Audit where Seq = 2");
    run = adminOn(db, {"audit", "--verify", "--json"});
    const QJsonObject verdict = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_TRUE(run.status == 1 && verdict["intact"] == false && verdict["fromRow"] == 2)
        << run.out.toStdString();
    EXPECT_EQ(verdict["finding"].toString(), "rows 2 to 2 were removed");
}

} // namespace
