#pragma once

// What a login attempt leaves in the credential database: the failure counts of the entry it was meant
// for and of level 0 when its password was tried (while the policy locks out), and the audit row (while
// the policy audits), in one write transaction, which also replaces an older password hash the login
// proved. With none of these nothing is opened, so a file with the policy untouched is never written.

#include "operations/AuditTrail.h"
#include "operations/Lockout.h"

#include <optional>

namespace zav::manage {

// An accepted login's password, stored as a hash of an older form, hashed again as today: written only
// where the old hash is still stored (another panel may have changed the password meanwhile).
struct HashUpgrade {
    LockoutKind kind = LockoutKind::Operator; // an operator's or a level's, by stored name
    QString name;
    QString old;
    QString replacement;
};

struct LoginAttempt {
    // A refused login: what it counts against. An accepted one: the entry whose count starts again
    // (set only when the check read failures on it).
    std::optional<LockoutEntry> entry;
    // Level 0's entry, the same way: a refused login tried its password; an accepted one opened it.
    std::optional<LockoutEntry> topEntry;
    // An accepted login: one more entry whose count starts again (the panel's unknown badges).
    std::optional<LockoutEntry> alsoCleared;
    AuditSubject who; // the operator and level the audit row names
    QString detail;   // how: "by operator", "by level", "top password"; never the password
    QString refusal = QStringLiteral("wrong password"); // why a refusal that compared was refused
    int waitedSeconds = 0; // a refusal that compared nothing: level 0's password had this long to wait
    std::optional<HashUpgrade> upgrade;                   // an accepted login's stronger hash
    QString failedEvent = QStringLiteral("login-failed"); // the audit event of a refusal
};

// An attempt counted against `entry` alone, naming nobody (tools and pictures that set up a lock).
inline LoginAttempt AttemptAgainst(const LockoutEntry& entry) {
    LoginAttempt attempt;
    attempt.entry = entry;
    return attempt;
}

struct RefusedLogin {
    LockState entry;        // the entry's state afterwards (locked: by this failure or by another's)
    int topWaitSeconds = 0; // how long level 0's password may not be tried now
};

// A refused login: counts it, answered from what the file holds inside the write (another panel may
// have locked the entry since the check read it), and records it; a lock it causes is recorded too.
RefusedLogin RecordFailedLogin(const QString& dbPath, const LoginAttempt& attempt, const Policy& policy);

struct AcceptedLogin {
    LockState entry;       // locked: refused after all
    bool upgraded = false; // the stronger hash replaced the old one
};

// An accepted login, in one write transaction: refused after all when the entry is locked at that
// moment (the returned state says so, and a refusal is recorded instead), otherwise the counts start
// again, an older hash is replaced and the row is written. A row that cannot be written throws (the
// login must fail).
AcceptedLogin RecordLogin(const QString& dbPath, const LoginAttempt& attempt, const Policy& policy);
// RecordLogin as the policy wants it: while it audits, a login that cannot be recorded fails (throws).
// Without the audit the check's own read decided: a count that cannot be reset now errs on the strict
// side and a hash not replaced is replaced at a later login, so the failure is only logged under `name`.
AcceptedLogin RecordAcceptedLogin(const QString& dbPath, const LoginAttempt& attempt, const Policy& policy,
                                  const QString& name);

} // namespace zav::manage
