#pragma once

// The stored passwords within a caller's write transaction, for the switch to hashed storage.

#include "store/Engine.h"

namespace zav::manage {

// Replaces every non-empty PWD of Levels and Operators that is not a hash yet by its hash and returns
// how many it replaced.
int HashTextPasswords(store::Database& db);

} // namespace zav::manage
