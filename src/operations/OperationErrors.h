#pragma once

// How the operations fail, for programs that test for a number: every failure is an AutomationError;
// the database's own faults are DbError (an AutomationError that also carries the engine's result code)
// with the classic engine's numbers below.

#include "access/LevelRecord.h"
#include "store/DbError.h"

namespace zav::manage {

using store::DbError;

using store::ErrDatabaseExists;        // 3204: an import or a creation finds something at the path
using store::ErrDiskOrNetwork;         // 3043: a server that cannot be reached
using store::ErrDuplicateKey;          // 3022: a level or operator of that name exists (letter case aside)
using store::ErrFieldOverflow;         // 3349: a level number beyond the 16-bit ID column
using store::ErrFileInUse;             // 3045
using store::ErrFileNotFound;          // 3024
using store::ErrLocked;                // 3218: another writer held the database beyond the wait
using store::ErrNoCurrentRecord;       // 3021: no such level or operator
using store::ErrNotADatabase;          // 3049
using store::ErrNotValidPassword;      // 3031
using store::ErrRelatedRecordRequired; // 3201: no level has that ID
using store::ErrZeroLength;            // 3315

// 3197: the level a write addresses by number has another number now, or the number another level.
using access::ErrLevelChanged;
using access::IsLevelChanged;

// Failures the operations find themselves, numbered as the classic runtime numbers them.
inline constexpr int ErrInvalidArgument = 5; // "Invalid procedure call or argument"
inline constexpr int ErrFileAccess = 75;     // "Path/File access error"

} // namespace zav::manage
