#pragma once

#include "store/Engine.h"

namespace zav::manage {

// Renumbers every level of the open database 0, 1, 2, ... in rank order. IDs are unique, so the rows
// first go to -1, -2, ... in rank order and then, read back by descending ID, to 0, 1, 2, ...
// The caller holds the transaction that makes both passes one change.
void RenumberWithin(store::Database& db);

} // namespace zav::manage
