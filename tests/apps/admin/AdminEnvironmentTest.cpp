// Failures that come from the file itself: another database password, a file in use, no file. Every
// command reports them with status 1 and leaves the file as it was.

#include "AdminTool.h"

#include "store/Engine.h"
#include "store/Schema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using zav::test::AdminTest;

namespace {

class AdminEnvironment : public AdminTest {
protected:
    void SetUp() override {
        // A document a merge could use; it must never get that far.
        zav::test::WriteFile(document,
                             R"({"levels": [{"id": 0, "name": "|0", "password": "", "manageLevel": true,
            "manageOperator": true, "disShutDown": true, "desktop": true, "custom": [], "nEnable": 0}],
            "operators": []})");
    }

    // Every command that opens the database, each expected to fail with `number`.
    void expectEveryCommandFails(int number, const QString& text) const {
        const QList<QStringList> commands{{"levels"},
                                          {"operators", "--json"},
                                          {"add-level", "Shift"},
                                          {"remove-level", "1"},
                                          {"add-operator", "anna", "--level", "1"},
                                          {"remove-operator", "anna"},
                                          {"move-operator", "anna", "--level", "0"},
                                          {"set-rights", "1", "Desktop"},
                                          {"passwd", "level", "0", "--stdin"},
                                          {"export", exportPath},
                                          {"import", document, "--merge"}};
        for (const auto& command : commands) {
            expectFailure(command, number, text, "secret\n");
        }
        EXPECT_FALSE(QFile::exists(exportPath));
    }

    QString document = path("document.json");
    QString exportPath = path("export.json");
};

TEST_F(AdminEnvironment, AFileWithAnotherDatabasePassword) {
    {
        auto other =
            zav::store::DefaultEngine().CreateDatabase(db, zav::store::LocaleArgument + ";pwd=Another");
        other->CreateTable(zav::store::LevelsTableDef());
        other->CreateTable(zav::store::OperatorsTableDef());
        other->Close();
    }
    expectEveryCommandFails(3031, "Not a valid password");
    expectFailure({"init"}, 3031, "Not a valid password");
}

TEST_F(AdminEnvironment, AFileInUse) {
    ok({"init"});
    ok({"add-operator", "anna", "--level", "1"});
    {
        // Another user holds the file exclusively, as an initialisation does.
        auto holder = zav::store::DefaultEngine().OpenDatabase(db, zav::store::OpenMode::Exclusive,
                                                               zav::store::ConnectString);
        expectEveryCommandFails(3045, "already in use");
        expectFailure({"init"}, 3045, "already in use");
    }
    {
        // An initialisation needs the file alone: a shared user is enough to stop it.
        auto reader = zav::store::DefaultEngine().OpenDatabase(db, zav::store::OpenMode::SharedReadOnly,
                                                               zav::store::ConnectString);
        expectFailure({"init"}, 3045, "already in use");
        EXPECT_EQ(operators().size(), 1);
    }
    ok({"add-level", "Shift"});
}

TEST_F(AdminEnvironment, NoFileAtThePath) {
    expectEveryCommandFails(3024, "Could not find file");
    EXPECT_FALSE(QFile::exists(db));

    // The listing tool only reads: a missing file stays missing, an existing one stays as it was.
    const auto dbinfo = [&] {
        return zav::test::RunAdmin(folder.path(), {db}, {}, qEnvironmentVariable("ZAV_DBINFO"));
    };
    const QStringList files = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    const zav::test::AdminRun missing = dbinfo();
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("(3024)")) << missing.err.toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), files);
    ok({"init"});
    const QByteArray bytes = zav::test::FileBytes(db);
    const QDateTime modified = QFileInfo(db).lastModified();
    const zav::test::AdminRun listed = dbinfo();
    EXPECT_EQ(listed.status, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.contains("level 1 (Operator) is in force")) << listed.out.toStdString();
    EXPECT_TRUE(zav::test::FileBytes(db) == bytes);
    EXPECT_EQ(QFileInfo(db).lastModified(), modified);
}

} // namespace
