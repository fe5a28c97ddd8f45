// zav-admin on a database of the suite's server, reached as the role that must give its password:
// the commands work through the URI, and no output ever shows the password.

#include "AdminTool.h"
#include "store/StoreTestSupport.h"
#include "store/server/PgConnection.h"

#include <QProcess>
#include <QRegularExpression>

using zav::test::AdminRun;

namespace {

const QString Secret = "Pw-Of-The-Plant-77";

class AdminOnServer : public zav::test::AdminTest {
protected:
    void SetUp() override {
        const QString uri = servers.fresh();
        const QString name = QRegularExpression("/([^/?]+)\\?").match(uri).captured(1);
        zav::pg::Connection(uri).exec(QStringLiteral("ALTER DATABASE %1 OWNER TO zavtest_pw").arg(name));
        // libpq takes the query's password ("%70" decodes to "p") over the one before the host.
        db = QString(uri).replace("zavtest@", QStringLiteral("zavtest_pw:%1@").arg(Secret)) +
             "&%70assword=zavtest-pw";
        shown = QString(uri).replace("zavtest@", "zavtest_pw@");
    }

    AdminRun run(const QStringList& args, const QByteArray& input = {}) const {
        const AdminRun result = adminOn(db, args, input);
        const QString output = result.out + result.err;
        EXPECT_FALSE(output.contains(Secret) || output.contains("zavtest-pw"))
            << args.join(QLatin1Char(' ')).toStdString() << ": " << output.toStdString();
        return result;
    }
    QString works(const QStringList& args, const QByteArray& input = {}) const {
        const AdminRun result = run(args, input);
        EXPECT_EQ(result.status, 0) << args.join(QLatin1Char(' ')).toStdString() << ": "
                                    << result.err.toStdString();
        return result.out;
    }

    zav::store::test::Places servers{zav::store::test::Place::Server};
    QString shown; // the URI as messages give it
};

TEST_F(AdminOnServer, CommandsWorkThroughTheUriAndNeverShowItsPassword) {
    works({"init"});
    works({"init"}); // completes what is there: nothing
    EXPECT_EQ(works({"add-level", "Service"}), "2\n");
    works({"init"}); // a database made now is never granted the rights that upgrade older ones
    EXPECT_TRUE(works({"levels"}).contains(QRegularExpression("\n2 +Service +Service +no +- +- +0\n")));
    works({"add-operator", "anna", "--level", "Service"});
    works({"passwd", "operator", "anna", "--stdin"}, "pw-anna\n");
    works({"policy", "set", "lockout-attempts", "3"});
    EXPECT_EQ(works({"unlock", "anna"}), "operator \"anna\": not locked\n");
    EXPECT_TRUE(works({"operators"}).contains(QRegularExpression("anna +2 +Service +yes")));
    const AdminRun listed = zav::test::RunAdmin(folder.path(), {db}, {}, qEnvironmentVariable("ZAV_DBINFO"));
    EXPECT_TRUE(listed.out.startsWith(QStringLiteral("Database: %1\n").arg(shown)))
        << listed.out.toStdString();
    EXPECT_TRUE(listed.out.contains("anna"));

    // What check suggests names the database without the password.
    const AdminRun check = run({"check"});
    EXPECT_TRUE(check.status == 1 &&
                check.out.contains(QStringLiteral("fix: zav-admin --db '%1' passwd level 0").arg(shown)))
        << check.out.toStdString();

    // Failures name the database the same way.
    const AdminRun duplicate = run({"add-level", "SERVICE"});
    EXPECT_TRUE(duplicate.status == 1 && duplicate.err.endsWith("(3022)\n")) << duplicate.err.toStdString();
    const AdminRun refused = run({"import", "-"}, R"({"levels": [], "operators": []})");
    EXPECT_TRUE(refused.err.endsWith(
        QStringLiteral(
            "\nzav-admin: '%1' holds levels or operators already; import into it only with --merge (3204)\n")
            .arg(shown)));

    // The password leaves the program's arguments at once, with a warning (import waits for its input).
    QProcess waiting;
    waiting.start(qEnvironmentVariable("ZAV_ADMIN"), {"--db", db, "import", "-"});
    waiting.setReadChannel(QProcess::StandardError);
    ASSERT_TRUE(waiting.waitForReadyRead(30000));
    const QByteArray arguments =
        zav::test::FileBytes(QStringLiteral("/proc/%1/cmdline").arg(waiting.processId()));
    EXPECT_TRUE(arguments.contains("import") && !arguments.contains(Secret.toUtf8()) &&
                !arguments.contains("zavtest-pw") && waiting.readAll().contains("~/.pgpass"));
    waiting.closeWriteChannel();
    EXPECT_TRUE(waiting.waitForFinished(30000));
    EXPECT_TRUE(zav::test::RunAdmin(folder.path(),
                                    {"ZAV_DB=" + db, qEnvironmentVariable("ZAV_ADMIN"), "levels"}, {},
                                    "/usr/bin/env")
                    .out.contains("Service"));
    db.replace(QRegularExpression("/[^/?]+\\?"), "/nowhere?");
    const AdminRun missing = run({"init"});
    EXPECT_TRUE(missing.status == 1 && missing.err.contains("\"nowhere\" does not exist"))
        << missing.err.toStdString();
}

// On a server the server's clock dates the trail and times the locks: a tool whose clock runs ahead
// neither ends a lock early nor ages the trail.
TEST_F(AdminOnServer, TheServersClockDecidesWhateverTheToolsClockSays) {
    works({"init"});
    for (const auto& [key, value] : {std::pair{"audit", "on"},
                                     {"audit-retention-days", "30"},
                                     {"lockout-attempts", "1"},
                                     {"lockout-minutes", "15"}}) {
        works({"policy", "set", key, value});
    }
    works({"add-operator", "anna", "--level", "Operator"});
    zav::pg::Connection owner(QString(shown).replace("zavtest_pw@", "zavtest@"));
    owner.exec("SELECT * FROM zav_lockout_count('operator', 'anna')"); // a panel's failed login
    const auto ahead = [&](const char* shift, const QStringList& args) {
        const AdminRun result = adminAhead(db, shift, args);
        EXPECT_EQ(result.status, 0) << result.err.toStdString();
        return result.out;
    };
    EXPECT_TRUE(ahead("+20m", {"unlock", "anna"}).startsWith("operator \"anna\": unlocked"));
    ahead("+400d", {"add-level", "Later"});
    const zav::pg::Result trail = owner.exec("SELECT count(*), bool_and(time COLLATE \"C\" < "
                                             "zav_time_text(clock_timestamp() + interval '1 hour')) "
                                             "FROM audit");
    EXPECT_EQ(trail.value(0, 0).toInt(), 7); // every row kept, each dated by the server
    EXPECT_TRUE(trail.value(0, 1).toBool());
    EXPECT_EQ(works({"audit", "--verify"}), "intact: 7 rows\n");
    works({"audit", "--pdf", path("trail.pdf")}); // the printed header names the server without the password
    const QString printed = zav::test::PdfText(path("trail.pdf")).remove('\n');
    EXPECT_TRUE(printed.contains("Database: " + shown) && !printed.contains(Secret) &&
                !printed.contains("zavtest-pw"))
        << printed.toStdString();
}

} // namespace
