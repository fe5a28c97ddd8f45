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
    // Level 1 has no password and may manage levels and operators: anyone at the panel may change
    // everything while it is in force, as in a database nobody has set up yet.
    bool levelOneOpen = false;
    QString levelOneName; // its stored name ("|1" unless it was renamed)
};

// Reads the facts with the file opened shared and read-only; it never creates or completes a file.
// Throws AutomationError (the engine's number and description) when the file cannot be read.
ZAV_EXPORT CredentialFacts ReadCredentialFacts(const QString& dbPath);

// The name a level's stored name shows in the component's current language: the built-in levels' "|0"
// and "|1" become that language's names for them, any other name stays as it is. A level object keeps the
// name of the language in force when it was read; this follows a change of language at once.
ZAV_EXPORT QString ShownLevelName(const QString& storedName);

} // namespace zav
