#pragma once

#include "store/Engine.h"

namespace zav::manage {

// Renumbers every level of the open database 0, 1, 2, ... in rank order; the operators follow their
// level. The caller holds the transaction that makes it one change with whatever came before.
void RenumberWithin(store::Database& db);

} // namespace zav::manage
