#pragma once

// The table PasswordAges (PasswordAges.h) within a caller's open database and transaction.

#include "operations/PasswordAges.h"
#include "store/Engine.h"

namespace zav::manage {

// Within the caller's write transaction: makes the table when it is missing and gives every level and
// operator without a row one dated now.
void KeepPasswordAges(store::Database& db);
// Whether the database keeps the ages.
bool KeepsPasswordAges(store::Database& db);
std::optional<PasswordAge> ReadPasswordAge(store::Database& db, const LockoutEntry& entry);
// Every row, by kind and name; the histories only `withHistory`.
std::vector<PasswordAge> ReadPasswordAges(store::Database& db, bool withHistory);
// Adds or replaces the row of `age.entry` (the table must exist).
void WritePasswordAge(store::Database& db, const PasswordAge& age);
// While the table exists: the entry's password was just replaced; `previous` (as stored) joins the
// history, which keeps the policy's password-history many. The change is dated now; `byOwner` tells
// whether its owner made it (else the owner must change it at the first login, where the policy asks).
void NotePasswordChange(store::Database& db, const LockoutEntry& entry, const QString& previous, bool byOwner,
                        const Policy& policy);
// Removes the rows whose level or operator is gone.
void DropStrayPasswordAges(store::Database& db);
// Replaces every text in the histories by its hash (the switch to hashed storage).
void HashPasswordHistories(store::Database& db);
} // namespace zav::manage
