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
#include <QSysInfo>
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
    AuditVerdict tampered(const QString& name, const QString& sql) const {
        const QString copy = file.path() + name;
        EXPECT_TRUE(QFile::copy(file.path(), copy));
        execute(copy, sql);
        return VerifyAuditTrail(copy);
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
    };
    int n = 0;
    for (const Case& c : cases) {
        const AuditVerdict verdict = tampered(QStringLiteral(".%1").arg(++n), QString::fromLatin1(c.sql));
        EXPECT_TRUE(!verdict.intact && verdict.fromSeq == c.fromSeq) << c.sql;
        EXPECT_EQ(verdict.finding, QString::fromLatin1(c.finding)) << c.sql;
    }
}

TEST_F(AuditTrail, RetentionRemovesWholeOldRowsFromTheStartAndAChangeWithoutItsRowDoesNotHappen) {
    QDateTime now(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC);
    SetClockForTests([&] { return now; });
    SetPolicyEntry(file.path(), "audit", "on");
    AddLevel(file.path(), "A");
    now = now.addDays(2);
    SetPolicyEntry(file.path(), "audit-retention-days", "3");
    now = now.addDays(2); // the first two rows are 4 days old, the third 2
    AddLevel(file.path(), "B");

    const auto rows = ReadAuditRows(file.path());
    ASSERT_EQ(events(file.path()), QStringList({"policy-changed", "retention", "level-added"}));
    EXPECT_EQ(rows[0].seq, 3);
    EXPECT_EQ(rows[1].detail, QStringLiteral("removed rows 1 to 2, older than 3 days (before "
                                             "2026-01-02T08:00:00.000Z)"));
    const AuditVerdict verdict = VerifyAuditTrail(file.path());
    EXPECT_TRUE(verdict.intact) << verdict.finding.toStdString();
    // Rows removed from the start beyond what the retention did still show.
    EXPECT_EQ(tampered(".cut", "Delete * from Audit where Seq = 3").finding, "rows 3 to 3 were removed");

    // A row slipped in behind the seal takes the number the next row needs: the change does not happen.
    execute(file.path(), "Insert into Audit (Seq, Event) values (6, 'forged')");
    EXPECT_ANY_THROW(AddLevel(file.path(), "Shift"));
    EXPECT_FALSE(LevelIdByName(file.path(), "Shift"));
    EXPECT_ANY_THROW(SetPolicyEntry(file.path(), "lockout-attempts", "3"));
    EXPECT_EQ(ReadPolicy(file.path()).lockoutAttempts, 0);
}

} // namespace
