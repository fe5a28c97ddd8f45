#pragma once

#include "store/Engine.h"

namespace zav::manage {

// Renumbers every level of the open database 0, 1, 2, ... in rank order. IDs are unique, so a level
// whose number changes first goes to a negative number (-1 for the first place, -2 for the second, ...)
// and then, read back by descending ID, to its place. The caller holds the transaction that makes both
// passes one change.
void RenumberWithin(store::Database& db);

} // namespace zav::manage
