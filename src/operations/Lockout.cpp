#include "operations/Lockout.h"

#include "operations/AuditRows.h"
#include "operations/LockoutRows.h"
#include "operations/ManageDatabase.h"
#include "operations/PolicyRows.h"
#include "operations/ServerSafeguards.h"
#include "store/Schema.h"

#include <algorithm>

namespace zav::manage {

namespace {

QString kindWord(LockoutKind kind) {
    switch (kind) {
    case LockoutKind::Level:
        return QStringLiteral("level");
    case LockoutKind::Panel:
        return QStringLiteral("panel");
    case LockoutKind::Operator:
        break;
    }
    return QStringLiteral("operator");
}

// The entry's row: the condition, and the values it binds.
QString entryWhere() {
    return QStringLiteral(" where Kind = ? and Name = ?");
}
QVariantList entryValues(const LockoutEntry& entry) {
    return {kindWord(entry.kind), entry.name};
}
std::unique_ptr<store::Recordset> openEntry(store::Database& db, const LockoutEntry& entry) {
    return db.OpenRecordset(QStringLiteral("Select * from ") + store::LockoutTable + entryWhere(),
                            entryValues(entry));
}

enum class Presence { Gone, Lockable, TopLevel };

// Within the caller's transaction: the operator or level is still there under that name. The top
// level 0 is the way back in: its failures count, but it is never locked.
Presence presence(store::Database& db, const LockoutEntry& entry) {
    if (entry.kind == LockoutKind::Panel) {
        return Presence::Lockable; // a panel is there while it reads badges
    }
    const bool level = entry.kind == LockoutKind::Level;
    auto rs = db.OpenRecordset(QStringLiteral("Select * from %1 where Name = ?")
                                   .arg(level ? store::LevelsTable : store::OperatorsTable),
                               {entry.name});
    Presence found = Presence::Gone;
    if (!rs->Eof()) {
        rs->MoveFirst();
        found = level && rs->Field(store::FieldID).toInt() == 0 ? Presence::TopLevel : Presence::Lockable;
    }
    rs->Close();
    return found;
}

} // namespace

LockState ReadLockState(store::Database& db, const LockoutEntry& entry, const QDateTime& now) {
    LockState state;
    if (!db.TableExists(store::LockoutTable)) {
        return state;
    }
    auto rs = openEntry(db, entry);
    const bool counted = !rs->Eof();
    if (counted) {
        rs->MoveFirst();
        state.failures = rs->Field(store::FieldFailures).toInt();
        state.locked = rs->Field(store::FieldLocked).toBool();
        state.until = QDateTime::fromString(rs->Field(store::FieldLockedUntil).toString(), Qt::ISODate);
    }
    rs->Close();
    if (counted) {
        // Only an entry that has a count needs the time: a server is asked only then.
        state.clock = now.isValid() ? now : DatabaseNow(db);
        if (state.locked && state.until.isValid() && state.until <= state.clock) {
            state = LockState{0, false, {}, state.clock};
        }
    }
    return state;
}

int TopPasswordWaitSeconds(const LockState& top, const Policy& policy, const QDateTime& given) {
    const QDateTime now = given.isValid() ? given : top.clock.isValid() ? top.clock : NowUtc();
    if (policy.lockoutAttempts <= 0 || top.failures < policy.lockoutAttempts || !top.until.isValid() ||
        top.until <= now) {
        return 0;
    }
    // A wait written by a panel whose clock runs ahead never lasts longer than the longest one.
    const qint64 ms = std::min<qint64>(now.msecsTo(top.until), LongestTopPasswordWaitSeconds * 1000);
    return static_cast<int>((ms + 999) / 1000);
}

namespace {
// The owner's function counts on a server: the roles of panels may not write the lockout table.
bool countedOnServer(store::Database& db) {
    return db.IsServer() && db.RoutineExists(LockoutCountFunction);
}

LockState countOnServer(store::Database& db, const LockoutEntry& entry) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from %1(?, ?)").arg(LockoutCountFunction),
                               entryValues(entry));
    LockState state;
    state.failures = rs->Field(QStringLiteral("r_failures")).toInt();
    state.locked = rs->Field(QStringLiteral("r_locked")).toInt() != 0;
    state.until = ParseDatabaseTime(rs->Field(QStringLiteral("r_until")).toString());
    state.clock = ShiftedByTestClock(ParseDatabaseTime(rs->Field(QStringLiteral("r_clock")).toString()));
    rs->Close();
    return state;
}
} // namespace

LockState CountFailureWithin(store::Database& db, const LockoutEntry& entry, const Policy& policy) {
    if (countedOnServer(db)) {
        return countOnServer(db, entry);
    }
    const Presence found = presence(db, entry);
    if (found == Presence::Gone) {
        return {};
    }
    const QDateTime now = NowUtc();
    if (!db.TableExists(store::LockoutTable)) {
        db.CreateTable(store::LockoutTableDef());
    }
    // Inside the write transaction, whose lock every panel's write takes first: what the entry is now,
    // not what the check read before it compared.
    LockState before = ReadLockState(db, entry, now);
    if (before.locked && found == Presence::TopLevel) {
        ClearWithin(db, entry); // a lock it carries from before a renumbering does not hold for level 0
        before = {};
    }
    if (before.locked) {
        return before; // another panel's failure locked it meanwhile: this one counts no more
    }
    if (before.failures == 0) {
        ClearWithin(db, entry); // what an expired lock left
        auto rs = db.OpenRecordset(QStringLiteral("Select * from %1").arg(store::LockoutTable));
        rs->AddNew();
        rs->SetField(store::FieldKind, kindWord(entry.kind));
        rs->SetField(store::FieldName, entry.name);
        rs->SetField(store::FieldFailures, 1);
        rs->SetField(store::FieldLocked, false);
        rs->Update();
        rs->Close();
    } else {
        db.Execute(QStringLiteral("Update ") + store::LockoutTable +
                       QStringLiteral(" set Failures = Failures + 1") + entryWhere(),
                   entryValues(entry));
    }
    auto rs = openEntry(db, entry);
    rs->MoveFirst();
    LockState state;
    state.failures = rs->Field(store::FieldFailures).toInt();
    const bool beyond = state.failures >= policy.lockoutAttempts;
    if (beyond && found == Presence::Lockable) {
        state.locked = true;
        if (policy.lockoutMinutes > 0) {
            state.until = now.addSecs(qint64(policy.lockoutMinutes) * 60);
        }
    } else if (beyond) {
        // Level 0: the next try waits 1 s after the limit is reached, twice as long after each further
        // failure, never longer than the longest wait.
        const int doublings = std::min(state.failures - policy.lockoutAttempts, 6);
        state.until = now.addMSecs(qint64(std::min(1 << doublings, LongestTopPasswordWaitSeconds)) * 1000);
    }
    if (state.locked || state.until.isValid()) {
        rs->Edit();
        rs->SetField(store::FieldLocked, state.locked);
        rs->SetField(store::FieldLockedUntil,
                     state.until.isValid() ? QVariant(state.until.toString(Qt::ISODateWithMs)) : QVariant());
        rs->Update();
    }
    rs->Close();
    return state;
}

void ClearWithin(store::Database& db, const LockoutEntry& entry) {
    if (countedOnServer(db)) {
        db.Execute(QStringLiteral("Select %1(?, ?)").arg(LockoutClearFunction), entryValues(entry));
    } else if (db.TableExists(store::LockoutTable)) {
        db.Execute(QStringLiteral("Delete * from ") + store::LockoutTable + entryWhere(), entryValues(entry));
    }
}

LockState ClearFailedLogins(const QString& dbPath, const LockoutEntry& entry) {
    LockState before;
    {
        auto db = OpenForReading(dbPath);
        before = ReadLockState(*db, entry);
        db->Close();
    }
    if (before.failures > 0 || before.locked) {
        auto db = OpenForWriting(dbPath);
        store::Transaction transaction(*db);
        before = ReadLockState(*db, entry);
        ClearWithin(*db, entry);
        AuditWithin(*db, AuditEvent{QStringLiteral("unlock"),
                                    QStringLiteral("%1 '%2' (%3 failures%4)")
                                        .arg(kindWord(entry.kind), entry.name)
                                        .arg(before.failures)
                                        .arg(before.locked ? QStringLiteral(", locked") : QString()),
                                    std::nullopt});
        transaction.Commit();
        db->Close();
    }
    return before;
}

std::optional<LockState> ReadLockStateUnderPolicy(const QString& dbPath,
                                                  const std::optional<LockoutEntry>& entry) {
    auto db = OpenForReading(dbPath);
    std::optional<LockState> state;
    if (WithEntries(Policy{}, ReadPolicyRows(*db)).lockoutAttempts > 0) {
        state = entry ? ReadLockState(*db, *entry) : LockState{};
    }
    db->Close();
    return state;
}

} // namespace zav::manage
