#pragma once

// What a login attempt leaves in the credential database: the failure count of the entry it was meant
// for (while the policy locks out) and its audit row (while the policy audits), in one write
// transaction. With neither on nothing is opened, so a file with the policy untouched is never written.

#include "operations/AuditTrail.h"
#include "operations/Lockout.h"

#include <optional>

namespace zav::manage {

struct LoginAttempt {
    std::optional<LockoutEntry> entry; // what the attempt counts against; unset while nothing locks out
    AuditSubject who;                  // the operator and level the audit row names
    QString detail;                    // how: "by operator", "by level", "top password"; never the password
};

// A refused login: counts it and records it; a lock it causes is recorded too. Returns the entry's state.
LockState RecordFailedLogin(const QString& dbPath, const LoginAttempt& attempt, const Policy& policy);
// An accepted login: starts the entry's count again when `failuresBefore` and records it. A count that
// cannot be reset errs on the strict side; a row that cannot be written throws (the login must fail).
void RecordLogin(const QString& dbPath, const LoginAttempt& attempt, const Policy& policy,
                 bool failuresBefore);

} // namespace zav::manage
