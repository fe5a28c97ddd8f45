#pragma once

#include "ZAV_Export.h"

#include <QString>

namespace zav {

// What a credential database holds, for a host that shows it: read afresh from the file, not from what
// a component remembers (another window or program may have added or removed levels since).
struct CredentialFacts {
    int levels = 0;
    int operators = 0;
    int logoutLevelId = 0;   // the largest ID: the level in force when nobody is logged in
    QString logoutLevelName; // its stored name ("|1" for the built-in level 1)
};

// Reads the facts with the file opened shared and read-only; it never creates or completes a file.
// Throws AutomationError (the engine's number and description) when the file cannot be read.
ZAV_EXPORT CredentialFacts ReadCredentialFacts(const QString& dbPath);

} // namespace zav
