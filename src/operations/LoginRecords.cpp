#include "operations/LoginRecords.h"

#include "operations/AuditRows.h"
#include "operations/LockoutRows.h"
#include "operations/ManageDatabase.h"
#include "operations/PolicyRows.h"
#include "store/Schema.h"

namespace zav::manage {

namespace {
// The policy as the file holds it inside the write: another panel may have changed it since the check.
Policy policyWithin(store::Database& db) {
    return WithEntries(Policy{}, ReadPolicyRows(db));
}

// Inside the login's write: the entry's row still holding the old hash gets the new one.
bool replaceHashWithin(store::Database& db, const HashUpgrade& upgrade) {
    const QString table = upgrade.kind == LockoutKind::Level ? store::LevelsTable : store::OperatorsTable;
    auto rs = db.OpenRecordset(QStringLiteral("Select * from %1 where Name = ?").arg(table), {upgrade.name});
    bool replaced = false;
    if (!rs->Eof()) {
        rs->MoveFirst();
        if (rs->Field(store::FieldPWD).toString() == upgrade.old) {
            rs->Edit();
            rs->SetField(store::FieldPWD, upgrade.replacement);
            rs->Update();
            replaced = true;
        }
    }
    rs->Close();
    return replaced;
}

QString refusalDetail(const LoginAttempt& attempt, bool lockedBefore, int topWait) {
    if (attempt.waitedSeconds > 0) {
        return attempt.detail +
               QStringLiteral(", not compared: the top password waits %1 s").arg(attempt.waitedSeconds);
    }
    QString detail = attempt.detail +
                     (lockedBefore ? QStringLiteral(", locked out") : QStringLiteral(", ") + attempt.refusal);
    if (topWait > 0) {
        detail += QStringLiteral("; the top password waits %1 s").arg(topWait);
    }
    return detail;
}
} // namespace

RefusedLogin RecordFailedLogin(const QString& dbPath, const LoginAttempt& attempt, const Policy& policy) {
    const bool counts = (attempt.entry || attempt.topEntry) && policy.lockoutAttempts > 0;
    if (!counts && !policy.audit) {
        return {};
    }
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    const Policy inForce = policyWithin(*db);
    RefusedLogin refused;
    bool lockedBefore = false;
    if (inForce.lockoutAttempts > 0) {
        if (attempt.entry) {
            const LockState before = ReadLockState(*db, *attempt.entry);
            lockedBefore = before.locked;
            refused.entry = CountFailureWithin(*db, *attempt.entry, inForce);
        }
        if (attempt.topEntry) {
            refused.topWaitSeconds =
                TopPasswordWaitSeconds(CountFailureWithin(*db, *attempt.topEntry, inForce), inForce);
        }
    }
    AuditWithin(
        *db, inForce,
        {attempt.failedEvent, refusalDetail(attempt, lockedBefore, refused.topWaitSeconds), attempt.who});
    if (refused.entry.locked && !lockedBefore) {
        AuditWithin(*db, inForce,
                    {QStringLiteral("lockout"),
                     QStringLiteral("%1 wrong passwords in a row; locked %2")
                         .arg(refused.entry.failures)
                         .arg(refused.entry.until.isValid()
                                  ? QStringLiteral("until ") + AuditTimeText(refused.entry.until)
                                  : QStringLiteral("until unlocked")),
                     attempt.who});
    }
    transaction.Commit();
    db->Close();
    return refused;
}

AcceptedLogin RecordLogin(const QString& dbPath, const LoginAttempt& attempt, const Policy& policy) {
    AcceptedLogin accepted;
    if (!attempt.entry && !attempt.topEntry && !attempt.alsoCleared && !attempt.upgrade && !policy.audit) {
        return accepted;
    }
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    const Policy inForce = policyWithin(*db);
    if (attempt.entry) {
        // The check read failures on the entry; others may have locked it since. A lock holds.
        accepted.entry = ReadLockState(*db, *attempt.entry);
        if (accepted.entry.locked && inForce.lockoutAttempts > 0) {
            AuditWithin(*db, inForce, {attempt.failedEvent, refusalDetail(attempt, true, 0), attempt.who});
            transaction.Commit();
            db->Close();
            return accepted;
        }
        ClearWithin(*db, *attempt.entry);
        accepted.entry = {};
    }
    for (const auto& cleared : {attempt.topEntry, attempt.alsoCleared}) {
        if (cleared) {
            ClearWithin(*db, *cleared);
        }
    }
    if (attempt.upgrade) {
        accepted.upgraded = replaceHashWithin(*db, *attempt.upgrade);
    }
    AuditWithin(*db, inForce,
                {QStringLiteral("login"),
                 attempt.detail + (accepted.upgraded ? QStringLiteral(", hash upgraded") : QString()),
                 attempt.who});
    transaction.Commit();
    db->Close();
    return accepted;
}

AcceptedLogin RecordAcceptedLogin(const QString& dbPath, const LoginAttempt& attempt, const Policy& policy,
                                  const QString& name) {
    if (policy.audit) {
        return RecordLogin(dbPath, attempt, policy);
    }
    try {
        return RecordLogin(dbPath, attempt, policy);
    } catch (const std::exception& error) {
        qWarning("Could not record the login of %s: %s", qPrintable(name), error.what());
    }
    return {};
}

} // namespace zav::manage
