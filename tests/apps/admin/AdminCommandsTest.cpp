// zav-admin end to end: usage, init, the level and operator commands, and the listing tool.

#include "AdminTool.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <memory>
#include <vector>

using zav::test::AdminTest;
using zav::test::RunAdmin;

namespace {

QJsonArray range(int first, int last) {
    QJsonArray list;
    for (int n = first; n <= last; ++n) {
        list << n;
    }
    return list;
}

class AdminCommands : public AdminTest {};

TEST_F(AdminCommands, WrongUsageEndsWithStatusTwoBeforeAnythingIsTouched) {
    ok({"init"});
    ok({"add-operator", "anna", "--level", "1"});
    for (const auto& [args, text] :
         {std::pair{QStringList{}, "no command given"}, {{"levels"}, "levels needs --db PATH"}}) {
        const auto run = RunAdmin(folder.path(), args);
        EXPECT_TRUE(run.status == 2 && run.err.startsWith(QStringLiteral("zav-admin: ") + text))
            << run.err.toStdString();
    }
    EXPECT_EQ(RunAdmin(folder.path(), {"--db", db, "--db", db, "levels"}).status, 2);

    expectUsageError({"frobnicate"}, "unknown command 'frobnicate'");
    expectUsageError({"levels", "--bogus"}, "unknown option --bogus");
    expectUsageError({"add-level", "A", "--json"}, "--json does not apply to add-level");
    expectUsageError({"remove-level", "1", "2"}, "remove-level: too many arguments");
    expectUsageError({"add-operator", "bert"}, "add-operator needs --level ID");
    expectUsageError({"set-rights", "1", "0"}, "'0' is no right: custom rights are numbered 1 to 100");
    expectUsageError({"passwd", "group", "x"}, "passwd needs 'level LEVEL' or 'operator NAME'");
    // Without --stdin the password comes from a terminal only.
    expectUsageError({"passwd", "operator", "anna"}, "standard input is not a terminal");
    // A synopsis too long for its column has its summary in the column on the next line.
    EXPECT_TRUE(RunAdmin(folder.path(), {"--help"})
                    .out.contains("  audit [--json] [--since TIME] [--until TIME] [--signatures]\n" +
                                  QString(36, ' ') + "list"));

    // Words that are not UTF-8 are refused before anything is written: two such names would become one.
    const QByteArray before = zav::test::FileBytes(db);
    const auto bad = RunAdmin(folder.path(),
                              {"-c", R"sh(for w in 'op\377' 'caf\351' '\300\257'; do
                                  "$0" --db "$1" add-level "$(printf "$w")" || echo $?; done)sh",
                               qEnvironmentVariable("ZAV_ADMIN"), db},
                              {}, "/bin/sh");
    EXPECT_TRUE(bad.out == "1\n1\n1\n" &&
                bad.err.count("is not valid UTF-8 text; nothing was done (5)\n") == 3);
    EXPECT_TRUE(zav::test::FileBytes(db) == before);
}

TEST_F(AdminCommands, InitCreatesTheBuiltInLevelsAndChangesNothingTheSecondTime) {
    ok({"init"});
    const QJsonArray built = levels();
    ASSERT_EQ(built.size(), 2);
    for (const QJsonValue level : built) { // level 1 gets every right unless told otherwise
        EXPECT_TRUE(level["manageLevel"].toBool() && level["manageOperator"].toBool() &&
                    level["disShutDown"].toBool() && level["desktop"].toBool());
        EXPECT_EQ(level["custom"].toArray(), range(1, 100));
        EXPECT_EQ(level["nEnable"].toInt(), 100);
    }
    EXPECT_TRUE(built[0]["name"] == "|0" && built[0]["id"] == 0 && built[0]["hasPassword"].toBool());
    EXPECT_TRUE(built[1]["name"] == "|1" && built[1]["id"] == 1 && !built[1]["hasPassword"].toBool(true));
    EXPECT_TRUE(operators().isEmpty());

    const QByteArray before = zav::test::FileBytes(db);
    ok({"init"});
    EXPECT_TRUE(zav::test::FileBytes(db) == before);
    // A database made now is never granted the rights that upgrade older ones, whichever level is in force.
    ok({"add-level", "Worker"});
    const QJsonArray added = levels();
    ok({"init"});
    EXPECT_EQ(levels(), added);
}

TEST_F(AdminCommands, LevelsAndOperatorsAreAddedRenumberedMovedAndRemovedWhateverTheLetterCase) {
    ok({"init"});
    EXPECT_EQ(ok({"add-level", "Shift"}), "2\n");
    EXPECT_EQ(ok({"add-level", "Service"}), "3\n");
    ok({"add-operator", "anna", "--level", "service"}); // a level by its name, letter case aside
    ok({"add-operator", "bert", "--level", "2"});
    ok({"add-operator", "O'Brien", "--level=1"});

    // Service gains a management right and so moves above Shift; the operators go with their levels.
    EXPECT_EQ(ok({"set-rights", "Service", "manageoperator", "1-3"}), "2\n");
    const auto service = level("Service");
    EXPECT_TRUE(service["id"] == 2 && service["manageOperator"] == true && service["manageLevel"] == false);
    EXPECT_TRUE(service["custom"].toArray() == range(1, 3) && service["nEnable"] == 3);
    EXPECT_EQ(level("Shift")["id"].toInt(), 3);
    auto list = operators();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(
        list[0].toObject(),
        (QJsonObject{{"name", "anna"}, {"level", 2}, {"levelName", "Service"}, {"hasPassword", false}}));
    EXPECT_EQ(list.at(1)["level"].toInt(), 3);
    EXPECT_EQ(list.at(2)["name"].toString(), "O'Brien");
    ok({"move-operator", "O'BRIEN", "--level", "3"});
    ok({"remove-operator", "BERT"});

    // "none" takes every right away.
    EXPECT_EQ(ok({"set-rights", "2", "none"}), "2\n");
    EXPECT_TRUE(level("Service")["custom"].toArray().isEmpty());

    EXPECT_EQ(ok({"remove-level", "SERVICE"}), "removed level 2 (Service) and 1 operator of it\n");
    EXPECT_TRUE(level("Service").isEmpty());
    EXPECT_EQ(level("Shift")["id"].toInt(), 2);
    list = operators();
    ASSERT_EQ(list.size(), 1);
    EXPECT_TRUE(ok({"operators"}).contains(QRegularExpression("\nO'Brien +2 +Shift +no\n")));

    const QString table = ok({"levels"});
    EXPECT_TRUE(table.contains(QRegularExpression("\n2 +Shift +Shift +no +- +- +0\n")))
        << table.toStdString();
    EXPECT_FALSE(table.contains("KWB_Merlato"));

    // The top level goes only when asked twice: the next level would take its place and password.
    expectFailure({"remove-level", "0"}, 5, "add --force");
    EXPECT_EQ(ok({"remove-level", "0", "--force"}), "removed level 0 (|0) and 0 operators of it\n");
    EXPECT_EQ(level("|1")["id"].toInt(-1), 0);
}

TEST_F(AdminCommands, LevelFailuresLeaveTheDatabaseUnchanged) {
    ok({"init"});
    ok({"add-level", "Shift"});
    expectFailure({"add-level", "Shift"}, 3022, "a level named \"Shift\" exists already");
    expectFailure({"add-level", "SHIFT"}, 3022, "exists already (letter case aside)");
    expectFailure({"add-level", "12"}, 5, "must not be empty or a number");
    expectFailure({"remove-level", "9"}, 3021, "no level has ID 9");
    expectFailure({"add-operator", "anna", "--level", "Nine"}, 3021, "no level is named \"Nine\"");
    expectFailure({"remove-level", "40000"}, 3349, "16-bit");
    expectFailure({"set-rights", "9", "Desktop"}, 3021, "no level has ID 9");
}

TEST_F(AdminCommands, ConcurrentAdditionsEachTakeTheirOwnNumber) {
    ok({"init"});
    ok({"policy", "set", "audit", "on"}); // the trail's rows are numbered under the same lock
    constexpr int Writers = 4;
    constexpr int Rounds = 3;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ZAV_REGISTRY_FILE", path("registry.ini"));
    QSet<int> ids;
    for (int round = 0; round < Rounds; ++round) {
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int writer = 0; writer < Writers; ++writer) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setProcessEnvironment(environment);
            runs.back()->start(qEnvironmentVariable("ZAV_ADMIN"),
                               {"--db", db, "add-level", QString("L%1-%2").arg(round).arg(writer)});
        }
        for (const auto& run : runs) {
            ASSERT_TRUE(run->waitForFinished(60000));
            EXPECT_EQ(run->exitCode(), 0) << run->readAllStandardError().toStdString();
            ids.insert(run->readAllStandardOutput().trimmed().toInt());
        }
    }
    EXPECT_EQ(ids.size(), Writers * Rounds);
    EXPECT_EQ(levels().size(), 2 + Writers * Rounds);
    EXPECT_EQ(ok({"audit", "--verify"}), QString("intact: %1 rows\n").arg(1 + Writers * Rounds));
}

TEST_F(AdminCommands, NoFileAtThePathIsReportedAndTheListingToolNeverChangesAFile) {
    expectFailure({"levels"}, 3024, "Could not find file");
    const auto dbinfo = [&] { return RunAdmin(folder.path(), {db}, {}, qEnvironmentVariable("ZAV_DBINFO")); };
    const QStringList files = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    const auto missing = dbinfo();
    EXPECT_TRUE(missing.status == 1 && missing.err.contains("(3024)")) << missing.err.toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), files);
    ok({"init"});
    const QByteArray bytes = zav::test::FileBytes(db);
    const QDateTime modified = QFileInfo(db).lastModified();
    const auto listed = dbinfo();
    EXPECT_TRUE(listed.status == 0 && listed.out.contains("level 1 (Operator) is in force"))
        << listed.err.toStdString();
    EXPECT_TRUE(zav::test::FileBytes(db) == bytes && QFileInfo(db).lastModified() == modified);
}

} // namespace
