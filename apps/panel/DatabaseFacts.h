#pragma once

// What the credential database itself says, read afresh for every refresh of the window: the component
// remembers the logout level from its last logout, and the management window (or zav-admin) may have
// added or removed levels since. The panel reads it through the component library
// (<ZAV_PrjLogin/CredentialFacts.h>), as any host may.

#include <ZAV_PrjLogin/CredentialFacts.h>

namespace zav::panel {

struct DatabaseFacts : CredentialFacts {};

// Reads the facts, shared and read-only; throws AutomationError when the file cannot be read.
DatabaseFacts readDatabaseFacts(const QString& dbPath);

} // namespace zav::panel
