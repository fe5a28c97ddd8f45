// The audit trail of the management operations: its rows, their verification and retention, and a
// change whose row cannot be written does not happen.

#include "operations/AuditRows.h"
#include "operations/Clock.h"
#include "operations/LevelOperations.h"
#include "operations/ManageDatabase.h"
#include "operations/OperatorOperations.h"
#include "store/Schema.h"
#include "support/ComponentSession.h"

#include <QFile>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSysInfo>
#include <cstring>
#include <gtest/gtest.h>

using namespace zav;
using namespace zav::manage;

namespace {

class AuditTrail : public ::testing::Test {
protected:
    void SetUp() override {
        file.create();
        file.addLevels({{0, "|0", true, true, true, true}, {1, "Operator"}});
    }
    void TearDown() override { SetClockForTests(nullptr); }

    QStringList events(const QString& path) const {
        QStringList list;
        for (const auto& row : ReadAuditRows(path)) {
            list << row.event;
        }
        return list;
    }
    void execute(const QString& path, const QString& sql) const {
        auto db = OpenForWriting(path);
        db->Execute(sql);
        db->Close();
    }
    // A copy of the file with `sql` run on it, verified.
    AuditVerdict tampered(const QString& name, const QStringList& sql) const {
        const QString copy = file.path() + name;
        EXPECT_TRUE(QFile::copy(file.path(), copy));
        for (const QString& statement : sql) {
            execute(copy, statement);
        }
        return VerifyAuditTrail(copy);
    }
    // What whoever holds the key can do: write `rows`, chained again from the first one's Previous
    // unless kept as they are, and a seal that fits them.
    void forge(std::vector<AuditRow> rows, bool rechain) const {
        auto db = OpenForWriting(file.path());
        db->Execute("Delete * from Audit");
        AuditSeal seal;
        seal.identity = ReadAuditHead(file.path())->identity;
        seal.firstSeq = rows.front().seq;
        seal.firstPrevious = rows.front().previous;
        for (AuditRow& row : rows) {
            if (rechain) {
                row.seq = seal.lastSeq ? seal.lastSeq + 1 : row.seq;
                row.previous = seal.lastSeq ? seal.lastHash : row.previous;
                row.hash = AuditRowHash(row);
            }
            db->Execute(
                "Insert into Audit (Seq, Time, Event, Detail, Previous, Hash, Panel, OsUser, Operator, "
                "Level) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {row.seq, row.time, row.event, row.detail, row.previous, row.hash, row.panel, row.osUser,
                 row.operatorName, row.level});
            seal.lastSeq = row.seq;
            seal.lastHash = row.hash;
        }
        seal.rows = seal.lastSeq - seal.firstSeq + 1;
        seal.hash = AuditSealHash(seal);
        for (const auto& [name, seq, hash] : {std::tuple{"first", seal.firstSeq, seal.firstPrevious},
                                              {"last", seal.lastSeq, seal.lastHash},
                                              {"rows", seal.rows, seal.hash}}) {
            db->Execute("Update AuditSeal set Seq = ?, Hash = ? where Name = ?", {seq, hash, name});
        }
        db->Close();
    }

    test::CredentialFile file;
};

TEST_F(AuditTrail, EveryChangeIsOneChainedRowWhileTheAuditIsOn) {
    AddLevel(file.path(), "Before");
    {
        auto db = OpenForReading(file.path());
        EXPECT_FALSE(db->TableExists(store::AuditTable)) << "a trail was made with the audit off";
        db->Close();
    }
    SetPolicyEntry(file.path(), "audit", "on");
    const int id = AddLevel(file.path(), "Shift");
    AddOperator(file.path(), id, "anna", "Shift");
    MoveOperator(file.path(), "anna", 1);
    ASSERT_TRUE(StoreLevelRights(file.path(), *LevelIdByName(file.path(), "Shift"), "Shift",
                                 *test::Rights(false, false, false, false, {7})));
    RemoveOperator(file.path(), "anna");
    RemoveOperator(file.path(), "nobody"); // removes nothing: no row
    RemoveLevel(file.path(), *LevelIdByName(file.path(), "Before"), "Before");
    RenumberLevels(file.path());
    SetPolicyEntry(file.path(), "audit", "off");
    AddLevel(file.path(), "After");

    EXPECT_EQ(events(file.path()), QStringList({"policy-changed", "level-added", "operator-added",
                                                "operator-moved", "rights-stored", "operator-removed",
                                                "level-removed", "levels-renumbered", "policy-changed"}));
    const auto rows = ReadAuditRows(file.path());
    EXPECT_EQ(rows[0].detail, "audit on (was off)");
    EXPECT_EQ(rows[4].detail, "level 'Shift': custom 7; levels renumbered");
    EXPECT_EQ(rows.back().detail, "audit off (was on)");
    EXPECT_EQ(rows[1].panel, QSysInfo::machineHostName());
    EXPECT_TRUE(!rows[1].osUser.isEmpty() && rows[1].time.endsWith('Z'));
    const AuditVerdict verdict = VerifyAuditTrail(file.path());
    EXPECT_TRUE(verdict.intact && verdict.rows == 9) << verdict.finding.toStdString();
}

// A changed detail and a row removed in the middle: AdminAuditTest.
TEST_F(AuditTrail, VerificationFindsChangedAndRemovedRows) {
    SetPolicyEntry(file.path(), "audit", "on");
    for (const char* name : {"A", "B", "C", "D"}) {
        AddLevel(file.path(), QString::fromLatin1(name));
    }
    ASSERT_TRUE(VerifyAuditTrail(file.path()).intact);

    struct Case {
        const char* sql;
        int fromSeq;
        const char* finding;
    };
    const Case cases[] = {
        // The row's own hash recomputed: the next row still seals the original.
        {"Update Audit Set Hash = 'f00d' where Seq = 3", 3, "row 3 was changed"},
        {"Update Audit Set Previous = 'f00d' where Seq = 4", 4, "row 4 was changed"},
        {"Delete * from Audit where Seq = 1", 1, "rows 1 to 1 were removed"},
        {"Delete * from Audit where Seq >= 4", 4, "rows 4 to 5 were removed"},
        {"Delete * from Audit", 1, "rows 1 to 5 were removed"},
        {"Delete * from AuditSeal", 1, "the trail's seal is missing"},
        {"Update AuditSeal set Seq = 2 where Name = 'rows'", 1, "the trail's seal was changed"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const AuditVerdict verdict = tampered(QStringLiteral(".%1").arg(++n), {QString::fromLatin1(c.sql)});
        EXPECT_TRUE(!verdict.intact && verdict.fromSeq == c.fromSeq) << c.sql;
        EXPECT_EQ(verdict.finding, QString::fromLatin1(c.finding)) << c.sql;
    }
    // A seal removed is made again after the last row, and the trail says so from then on.
    const QString resealed = file.path() + ".resealed";
    ASSERT_TRUE(QFile::copy(file.path(), resealed));
    execute(resealed, "Delete * from AuditSeal");
    AddLevel(resealed, "E");
    EXPECT_EQ(VerifyAuditTrail(resealed).finding, "the trail's seal was gone before row 6");
    // Emptied whole, the trail is still missed while the audit is on.
    EXPECT_EQ(tampered(".empty", {"Delete * from Audit", "Drop Table AuditSeal"}).finding,
              "the trail's seal is missing");
}

// A cut or rebuilt trail with a seal made to fit verifies only on its own: rows cut from the start need
// a retention row, and a head the system log kept is no longer there.
TEST_F(AuditTrail, ACutOrRebuiltTrailIsSeen) {
    const QString socketPath = file.path() + ".log";
    qputenv("ZAV_SYSTEM_LOG_SOCKET", socketPath.toUtf8());
    const int log = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{AF_UNIX, {}};
    std::strcpy(address.sun_path, socketPath.toUtf8().constData());
    ASSERT_EQ(::bind(log, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    const auto logged = [log] {
        std::vector<AuditHead> heads;
        char line[512];
        for (ssize_t n; (n = ::recv(log, line, sizeof(line), MSG_DONTWAIT)) > 0;) {
            heads.push_back(*ParseAuditHead(QString::fromUtf8(line, n)));
        }
        return heads;
    };
    SetPolicyEntry(file.path(), "audit", "on");
    for (const char* name : {"A", "B", "C", "D"}) {
        logged();
        AddLevel(file.path(), QString::fromLatin1(name));
        const auto heads = logged();
        ASSERT_EQ(heads.size(), 1u);
        EXPECT_EQ(AuditHeadText(heads[0]).toStdString(),
                  AuditHeadText(*ReadAuditHead(file.path())).toStdString());
    }
    auto db = OpenForWriting(file.path()); // a row rolled back with its change is never logged
    db->BeginTrans();
    AuditWithin(*db, AuditEvent{"level-added", "rolled back", std::nullopt});
    db->Rollback();
    db->Close();
    EXPECT_TRUE(logged().empty());
    execute(file.path(), "Insert into Audit (Seq, Event) values (6, 'forged')");
    EXPECT_ANY_THROW(AddLevel(file.path(), "E")); // refused: no head tells of it
    EXPECT_TRUE(logged().empty());
    execute(file.path(), "Delete * from Audit where Seq = 6");
    const AuditAnchors kept{{*ReadAuditHead(file.path())}, false};

    const auto rows = ReadAuditRows(file.path());
    forge({rows.begin() + 2, rows.end()}, false);
    EXPECT_EQ(VerifyAuditTrail(file.path()).finding,
              "rows 1 to 2 were removed, and no retention row says so");
    auto rebuilt = rows;
    rebuilt.erase(rebuilt.begin() + 2);
    rebuilt.push_back(rows.back());
    forge(rebuilt, true);
    EXPECT_TRUE(VerifyAuditTrail(file.path()).intact);
    EXPECT_EQ(VerifyAuditTrail(file.path(), kept).finding,
              "row 5 is not the row whose head was kept outside");
    EXPECT_EQ(VerifyAuditTrail(file.path(), {{}, true}).finding,
              "the trail's head, row 5, is not in the system log");
    ::close(log);
    qunsetenv("ZAV_SYSTEM_LOG_SOCKET");
}

TEST_F(AuditTrail, RetentionRemovesWholeOldRowsFromTheStartAndAChangeWithoutItsRowDoesNotHappen) {
    QDateTime now(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC);
    SetClockForTests([&] { return now; });
    SetPolicyEntry(file.path(), "audit", "on");
    SetPolicyEntry(file.path(), "audit-retention-days", "2");
    AddLevel(file.path(), "A");
    for (const char* name : {"B", "C", "D"}) { // a day apart: the clock is believed
        now = now.addSecs(24 * 3600);
        AddLevel(file.path(), QString::fromLatin1(name));
    }
    now = now.addSecs(3600); // counted back from the newest row (D), not from the clock
    AddLevel(file.path(), "E");
    EXPECT_EQ(events(file.path()),
              QStringList({"level-added", "level-added", "level-added", "retention", "level-added"}));
    EXPECT_EQ(ReadAuditRows(file.path())[3].detail,
              "removed rows 1 to 3, older than 2 days (before 2026-01-02T08:00:00.000Z)");

    // A clock set 400 days ahead, twice, ages the trail by none of them; its time then never goes back.
    const QDateTime rightTime = now;
    now = now.addDays(400);
    AddLevel(file.path(), "F");
    AddLevel(file.path(), "G");
    now = rightTime;
    AddLevel(file.path(), "H");
    const auto rows = ReadAuditRows(file.path());
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[4].detail, "the clock reads 2027-02-08T09:00:00.000Z, 34560000 s after the newest row "
                              "(2026-01-04T09:00:00.000Z): retention counts none of it");
    EXPECT_EQ(rows[6].detail, "removed rows 4 to 4, older than 2 days (before 2026-01-02T09:00:00.000Z)");
    EXPECT_EQ(rows[8].time, rows[7].time);
    const AuditVerdict verdict = VerifyAuditTrail(file.path());
    EXPECT_TRUE(verdict.intact) << verdict.finding.toStdString();
    EXPECT_EQ(tampered(".cut", {"Delete * from Audit where Seq = 5"}).finding, "rows 5 to 5 were removed");

    // A row slipped in behind the seal takes the number the next row needs: the change does not happen.
    execute(file.path(), "Insert into Audit (Seq, Event) values (14, 'forged')");
    EXPECT_ANY_THROW(AddLevel(file.path(), "Shift"));
    EXPECT_FALSE(LevelIdByName(file.path(), "Shift"));
    EXPECT_ANY_THROW(SetPolicyEntry(file.path(), "lockout-attempts", "3"));
    EXPECT_EQ(ReadPolicy(file.path()).lockoutAttempts, 0);
}

} // namespace
