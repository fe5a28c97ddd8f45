// audit: the listing with its bounds, --verify, the printed report, and the rows of what zav-admin
// itself changes.

#include "AdminTool.h"

#include "operations/AuditTrail.h"
#include "store/Engine.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>

using zav::test::AdminTest;

namespace {

class AdminAudit : public AdminTest {
protected:
    QJsonArray rows(const QStringList& bounds = {}) const {
        return QJsonDocument::fromJson(ok(QStringList{"audit", "--json"} + bounds).toUtf8()).array();
    }
    void execute(const char* sql) const {
        auto file = zav::store::DefaultEngine().OpenDatabase(db, zav::store::OpenMode::SharedReadWrite,
                                                             zav::store::ConnectString);
        file->Execute(QLatin1String(sql));
        file->Close();
    }
};

TEST_F(AdminAudit, ListsEveryRowWithinItsBoundsAndVerifyFindsAChangedAndARemovedRow) {
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

// The report, read back with poppler's tools: enough rows for several pages, one of them a signature.
TEST_F(AdminAudit, PrintsTheCheckedTrailPageByPageWithTheSignaturesApartForItsOwnerOnly) {
    ok({"init"});
    ok({"policy", "set", "audit", "on"});
    const zav::manage::AuditSubject anna{"anna", "Shift"};
    std::vector<zav::manage::AuditEvent> events;
    for (int round = 1; round <= 60; ++round) {
        events.push_back(
            {"login", QString("by operator, a detail that wraps in its column, round %1").arg(round), anna});
    }
    events.insert(events.begin() + 30, {"signature", "Approved: batch 42 released, reason checked", anna});
    zav::manage::RecordAuditEvents(db, zav::manage::ReadPolicy(db), events);
    const QString pdf = path("trail.pdf");
    ok({"audit", "--pdf", pdf});
    EXPECT_EQ(QFile::permissions(pdf).toInt() & 0x0077, 0); // neither group nor others
    const QString text = zav::test::PdfText(pdf);
    const qsizetype pages = text.count('\f');
    ASSERT_GE(pages, 2);
    QProcess::execute("pdftoppm", {"-r", "20", "-png", pdf, path("page")});
    EXPECT_EQ(QDir(folder.path()).entryList({"page*.png"}).size(), pages);
    for (qsizetype page = 1; page <= pages; ++page) {
        const QString own = text.section('\f', page - 1, page - 1).remove('\n');
        EXPECT_TRUE(own.contains(QString("page %1 of %2").arg(page).arg(pages)) &&
                    own.contains("Database: " + db))
            << own.toStdString();
    }
    EXPECT_TRUE(text.section('\f', 0, 0).contains("intact: 62 rows") && text.contains("batch 42 released") &&
                !text.contains(zav::store::ConnectString.mid(5)));

    ok({"audit", "--pdf", pdf, "--signatures"});
    const QString signatures = zav::test::PdfText(pdf);
    EXPECT_TRUE(signatures.contains("batch 42 released") && !signatures.contains("round"))
        << signatures.toStdString();
    const QString listed = ok({"audit", "--signatures"});
    EXPECT_TRUE(listed.count('\n') == 1 && listed.contains(" signature operator=\"anna\" level=\"Shift\""))
        << listed.toStdString();

    execute("Update Audit Set Detail = 'forged' where Seq = 5");
    EXPECT_EQ(adminOn(db, {"audit", "--pdf", pdf}).status, 1);
    EXPECT_TRUE(zav::test::PdfText(pdf).remove('\n').contains(
        "NOT intact: row 5 was changed; the trail cannot be trusted from row 5 on"));
}

// The head, and verifying against heads kept outside: given on the command line or read from the
// journal (a stand-in journalctl here). A run whose clock is 400 days ahead removes nothing.
TEST_F(AdminAudit, HeadsKeptOutsideCatchARewriteAndAClockAheadRemovesNothing) {
    ok({"init"});
    ok({"policy", "set", "audit", "on"});
    ok({"policy", "set", "audit-retention-days", "1"});
    const QString head = ok({"audit", "--head"}).trimmed();
    const QRegularExpression form("^head db=([0-9a-f-]{36}) seq=2 hash=([0-9a-f]{64})$");
    ASSERT_TRUE(form.match(head).hasMatch()) << head.toStdString();
    const QString anchor = "2:" + form.match(head).captured(2);

    for (const QString name : {"Later", "Later2"}) {
        EXPECT_EQ(adminAhead(db, "+400d", {"add-level", name}).status, 0);
    }
    EXPECT_EQ(rows().size(), 5); // the clock row, and every row kept
    EXPECT_EQ(ok({"audit", "--verify", "--anchor", anchor}), "intact: 5 rows\n");
    auto run = adminOn(db, {"audit", "--verify", "--anchor", "2:" + QString(64, '0')});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.contains("row 2 is not the row whose head was kept outside"))
        << run.out.toStdString();

    const QString bin = path("bin");
    QDir().mkpath(bin);
    const auto journalHolds = [&](const QString& lines) {
        zav::test::WriteFile(bin + "/journalctl", ("#!/bin/sh\nprintf '%s\\n' " + lines + "\n").toUtf8());
        QFile::setPermissions(bin + "/journalctl", QFile::ReadOwner | QFile::ExeOwner);
    };
    const QByteArray searchPath = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ':' + searchPath);
    journalHolds("'" + head + "' '" + ok({"audit", "--head"}).trimmed() +
                 "' 'head db=other seq=9 hash=" + QString(64, 'a') + "'");
    EXPECT_EQ(ok({"audit", "--verify", "--anchors-from-journal"}), "intact: 5 rows\n");
    journalHolds("'" + head + "'");
    run = adminOn(db, {"audit", "--verify", "--anchors-from-journal"});
    qputenv("PATH", searchPath);
    EXPECT_TRUE(run.status == 1 && run.out.contains("the trail's head, row 5, is not in the system log"))
        << run.out.toStdString();
}

} // namespace
