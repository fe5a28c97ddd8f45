#pragma once

// The audit trail within a caller's open database and write transaction: the row a change writes
// together with the change.

#include "operations/AuditTrail.h"
#include "store/Engine.h"

namespace zav::manage {

// Inside the caller's write transaction: appends `event` when `policy` audits (removing first, while a
// retention is set, the rows older than it and recording that). Throws what the engine throws.
void AuditWithin(store::Database& db, const Policy& policy, const AuditEvent& event);
// The same, reading the policy inside the transaction.
void AuditWithin(store::Database& db, const AuditEvent& event);

} // namespace zav::manage
