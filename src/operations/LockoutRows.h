#pragma once

// The lockout table within a caller's open database and transaction: the credential check's read and
// the writes a login attempt makes together with its audit row.

#include "operations/Lockout.h"
#include "store/Engine.h"

namespace zav::manage {

// The entry's state now, by `now` or else the database's clock: an expired lock reads as no lock and no
// failures.
LockState ReadLockState(store::Database& db, const LockoutEntry& entry, const QDateTime& now = {});
// Counts a wrong password for the entry, if it still exists, and locks it when the count reaches the
// policy's attempts; the top level 0 counts but is never locked. Returns the state afterwards. On a
// server the owner's function does it, by the server's clock and the policy stored there.
LockState CountFailureWithin(store::Database& db, const LockoutEntry& entry, const Policy& policy);
// Forgets the entry's count and lock.
void ClearWithin(store::Database& db, const LockoutEntry& entry);

} // namespace zav::manage
