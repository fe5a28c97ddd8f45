#include "operations/Lockout.h"

#include "operations/AuditRows.h"
#include "operations/LockoutRows.h"
#include "operations/ManageDatabase.h"
#include "operations/PolicyRows.h"
#include "outside/OutsideObjects.h"
#include "store/Schema.h"

namespace zav::manage {

namespace {

QString quoted(const QString& text) {
    return QStringLiteral("'") + outside::dbUtility().SqlQuote(text) + QStringLiteral("'");
}

QString kindWord(LockoutKind kind) {
    return kind == LockoutKind::Level ? QStringLiteral("level") : QStringLiteral("operator");
}

QString entrySql(const LockoutEntry& entry) {
    return QStringLiteral("Select * from %1 where Kind = %2 and Name = %3")
        .arg(store::LockoutTable, quoted(kindWord(entry.kind)), quoted(entry.name));
}

enum class Presence { Gone, Lockable, TopLevel };

// Within the caller's transaction: the operator or level is still there under that name. The top
// level 0 is the way back in: its failures count, but it is never locked.
Presence presence(store::Database& db, const LockoutEntry& entry) {
    const bool level = entry.kind == LockoutKind::Level;
    auto rs =
        db.OpenRecordset(QStringLiteral("Select * from %1 where Name = %2")
                             .arg(level ? store::LevelsTable : store::OperatorsTable, quoted(entry.name)));
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
    auto rs = db.OpenRecordset(entrySql(entry));
    if (!rs->Eof()) {
        rs->MoveFirst();
        state.failures = rs->Field(store::FieldFailures).toInt();
        state.locked = rs->Field(store::FieldLocked).toBool();
        state.until = QDateTime::fromString(rs->Field(store::FieldLockedUntil).toString(), Qt::ISODate);
        if (state.locked && state.until.isValid() && state.until <= now) {
            state = LockState{};
        }
    }
    rs->Close();
    return state;
}

LockState CountFailureWithin(store::Database& db, const LockoutEntry& entry, const Policy& policy) {
    LockState state;
    const Presence found = presence(db, entry);
    if (found == Presence::Gone) {
        return state;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!db.TableExists(store::LockoutTable)) {
        db.CreateTable(store::LockoutTableDef());
    }
    state = ReadLockState(db, entry, now);
    if (!state.locked) {
        ++state.failures;
        state.locked = found == Presence::Lockable && state.failures >= policy.lockoutAttempts;
        if (state.locked && policy.lockoutMinutes > 0) {
            state.until = now.addSecs(qint64(policy.lockoutMinutes) * 60);
        }
    }
    ClearWithin(db, entry);
    auto rs = db.OpenRecordset(QStringLiteral("Select * from %1").arg(store::LockoutTable));
    rs->AddNew();
    rs->SetField(store::FieldKind, kindWord(entry.kind));
    rs->SetField(store::FieldName, entry.name);
    rs->SetField(store::FieldFailures, state.failures);
    rs->SetField(store::FieldLocked, state.locked);
    rs->SetField(store::FieldLockedUntil, state.locked && state.until.isValid()
                                              ? QVariant(state.until.toString(Qt::ISODate))
                                              : QVariant());
    rs->Update();
    rs->Close();
    return state;
}

void ClearWithin(store::Database& db, const LockoutEntry& entry) {
    if (db.TableExists(store::LockoutTable)) {
        db.Execute(QStringLiteral("Delete * from %1 where Kind = %2 and Name = %3")
                       .arg(store::LockoutTable, quoted(kindWord(entry.kind)), quoted(entry.name)));
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
