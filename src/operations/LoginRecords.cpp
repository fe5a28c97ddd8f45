#include "operations/LoginRecords.h"

#include "operations/AuditRows.h"
#include "operations/LockoutRows.h"
#include "operations/ManageDatabase.h"
#include "operations/PolicyRows.h"

namespace zav::manage {

namespace {
// The policy as the file holds it inside the write: another panel may have changed it since the check.
Policy policyWithin(store::Database& db) {
    return WithEntries(Policy{}, ReadPolicyRows(db));
}
} // namespace

LockState RecordFailedLogin(const QString& dbPath, const LoginAttempt& attempt, const Policy& policy) {
    const bool counts = attempt.entry && policy.lockoutAttempts > 0;
    if (!counts && !policy.audit) {
        return {};
    }
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    const Policy now = policyWithin(*db);
    LockState state;
    if (attempt.entry && now.lockoutAttempts > 0) {
        const LockState before = ReadLockState(*db, *attempt.entry);
        state = before.locked ? before : CountFailureWithin(*db, *attempt.entry, now);
        AuditWithin(*db, now,
                    {QStringLiteral("login-failed"),
                     attempt.detail + (before.locked ? QStringLiteral(", locked out")
                                                     : QStringLiteral(", wrong password")),
                     attempt.who});
        if (state.locked && !before.locked) {
            AuditWithin(
                *db, now,
                {QStringLiteral("lockout"),
                 QStringLiteral("%1 wrong passwords in a row; locked %2")
                     .arg(state.failures)
                     .arg(state.until.isValid() ? QStringLiteral("until ") + AuditTimeText(state.until)
                                                : QStringLiteral("until unlocked")),
                 attempt.who});
        }
    } else {
        AuditWithin(*db, now,
                    {QStringLiteral("login-failed"), attempt.detail + QStringLiteral(", wrong password"),
                     attempt.who});
    }
    transaction.Commit();
    db->Close();
    return state;
}

void RecordLogin(const QString& dbPath, const LoginAttempt& attempt, const Policy& policy,
                 bool failuresBefore) {
    const bool resets = attempt.entry && failuresBefore;
    if (!resets && !policy.audit) {
        return;
    }
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    if (resets) {
        ClearWithin(*db, *attempt.entry);
    }
    AuditWithin(*db, {QStringLiteral("login"), attempt.detail, attempt.who});
    transaction.Commit();
    db->Close();
}

} // namespace zav::manage
