#pragma once

// The policy table within a caller's open database (and transaction), for the operations that read
// or write it as part of a larger write (import, merge).

#include "operations/Policy.h"
#include "store/Engine.h"

namespace zav::manage {

PolicyEntries ReadPolicyRows(store::Database& db);
// The policy those entries make (the defaults where there are none).
Policy PolicyOf(store::Database& db);
// Writes the (checked) entries, making the table when it is missing and there is anything to write.
void WritePolicyRows(store::Database& db, const PolicyEntries& entries);
// Each entry's Value into the row of its Name in `table` (a Name, Value table such as Policy), added when
// missing.
void WriteNamedValues(store::Database& db, const QString& table, const PolicyEntries& entries);

} // namespace zav::manage
