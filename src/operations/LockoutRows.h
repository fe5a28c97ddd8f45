#pragma once

// The lockout table within a caller's open database, for the credential check's read.

#include "operations/Lockout.h"
#include "store/Engine.h"

namespace zav::manage {

// The entry's state now: an expired lock reads as no lock and no failures.
LockState ReadLockState(store::Database& db, const LockoutEntry& entry,
                        const QDateTime& now = QDateTime::currentDateTimeUtc());

} // namespace zav::manage
