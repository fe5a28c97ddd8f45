#pragma once

// Failed logins, counted in the credential database so that every panel on the file shares them.
// While the policy's lockout-attempts is N > 0, each wrong password for an operator (login by operator)
// or a level (login by level) counts; N in a row lock that entry for lockout-minutes (0: until a
// manager unlocks it) and a success resets its count. The top level 0 is the way back in and never
// locks: past N wrong passwords in a row, each further try of its password waits instead, 1 s after the
// first and twice as long after each further one, up to 60 s. The table Lockout is made by the first
// counted failure; with the policy off nothing here is called and the file is never touched.

#include "operations/Clock.h"
#include "operations/Policy.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace zav::manage {

// A panel's entry counts the unknown badges read on it (Badges.h), under its host name.
enum class LockoutKind { Operator, Level, Panel };

// An entry is addressed by its stored name: level numbers change when levels are renumbered.
struct LockoutEntry {
    LockoutKind kind = LockoutKind::Operator;
    QString name;
};

struct LockState {
    int failures = 0; // wrong passwords in a row (0 after an expired lock)
    bool locked = false;
    QDateTime until; // UTC; invalid while locked until a manager unlocks. Level 0: when its next try may come
    QDateTime clock; // the database's time when this was read: the server's on a server
};

// The longest wait between two tries of level 0's password.
inline constexpr int LongestTopPasswordWaitSeconds = 60;
// How long level 0's password may not be tried yet, in whole seconds rounded up; 0 when it may.
// Measured by `now`, else by the clock the state was read by.
int TopPasswordWaitSeconds(const LockState& top, const Policy& policy, const QDateTime& now = {});

// A manager's unlock: clears the entry's count and lock in one write transaction, recorded in the audit
// trail; returns what it was (nothing written when there was nothing).
LockState ClearFailedLogins(const QString& dbPath, const LockoutEntry& entry);
// What a manager may unlock, in one shared read-only look at the file: nothing while its policy does
// not lock out; else the entry's state (a clear one when no entry is given).
std::optional<LockState> ReadLockStateUnderPolicy(const QString& dbPath,
                                                  const std::optional<LockoutEntry>& entry);

} // namespace zav::manage
