#pragma once

// Whole databases within a caller's open database and transaction: what an export reads and an import
// writes, for the operations that do either as part of a larger read or write (the local copy of a
// server database).

#include "operations/Exchange.h"
#include "store/Engine.h"

namespace zav::manage {

// The levels, operators and policy entries, as ReadSnapshot reads them (the captions are not read).
Snapshot ReadSnapshotWithin(store::Database& db);
// Writes the document's levels, operators and policy entries into the empty tables, as an import into a
// new file does (or, with `passwordsAsStored`, every password exactly as the document holds it), and
// records nothing in the audit trail.
void WriteSnapshotRows(store::Database& db, const Snapshot& document, bool passwordsAsStored = false);

} // namespace zav::manage
