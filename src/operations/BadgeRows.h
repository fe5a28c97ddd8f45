#pragma once

// The table Badges (Badges.h) within a caller's open database and transaction.

#include "operations/Badges.h"
#include "store/Engine.h"

#include <vector>

namespace zav::manage {

bool KeepsBadges(store::Database& db);
// Makes the table when it is missing.
void KeepBadges(store::Database& db);
// Every row, by operator name and HMAC; the PINs only `withPins` (a role that may not read the passwords
// may not read them either).
std::vector<BadgeRow> ReadBadgeRows(store::Database& db, bool withPins = true);
// Adds the rows (the table must exist); a HMAC another operator has fails with the engine's
// duplicate-key error.
void WriteBadgeRows(store::Database& db, const std::vector<BadgeRow>& rows);
// Removes the rows whose operator is gone.
void DropStrayBadges(store::Database& db);
// Replaces every PIN that is not a hash yet by its hash (the switch to hashed storage).
void HashBadgePins(store::Database& db);

} // namespace zav::manage
