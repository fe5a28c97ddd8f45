#pragma once

// What makes a credential database unsafe: the findings zav-admin check lists, each with what it is
// about. Read shared and read-only; nothing is changed.

#include "operations/Policy.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace zav::manage {

struct Snapshot;

enum class Finding {
    TopPasswordIsFixedKey,   // level 0 still opens with the database's fixed key
    TopPasswordEmpty,        // level 0 has no password
    LevelWithoutPassword,    // a level offered at login (not the logout level) has no password
    FileOpenToOthers,        // the database file is readable by its group or others
    LockFileOpenToOthers,    // so is its companion lock file
    AutoLogoutOff,           // the policy never logs an idle operator out
    NoPasswordRule,          // the policy sets no password rule
    LockoutOff,              // wrong passwords never lock a login out
    AuditOff,                // nothing records who logged in or what changed
    PasswordStoragePlain,    // passwords are stored as text
    PasswordsStoredAsText,   // hashed storage, yet `count` passwords are still text (left by an older writer)
    PasswordHashesOld,       // `count` hashes are weaker than today's (NeedsRehash), named in the lists
    OperatorWithoutPassword, // choosing the operator with an empty password opens its level
    PasswordAgainstRules,    // a stored text the password rules refuse (`faults`): a level's or an operator's
    OfflineReplicaPlain,     // a server's panels keep copies of the logins (offline-login-days), passwords as
                             // text
    PasswordsExpired,        // `count` passwords older than password-max-age-days, named in the lists
    PasswordsNeverChanged,   // `count` levels and operators whose password only someone else set, named
};

struct SafetyFinding {
    Finding finding;
    int levelId = 0;                           // the level findings
    QString levelName;                         // the level's stored name
    QString path;                              // the file findings
    int count = 0;                             // PasswordsStoredAsText, PasswordHashesOld
    QStringList levelNames{}, operatorNames{}; // PasswordHashesOld, by stored name
    QString operatorName{};                    // the operator findings
    QString faults{};                          // PasswordAgainstRules: what the rules miss, in English
};

std::vector<SafetyFinding> FindUnsafeSettings(const QString& dbPath);
// The password findings of the levels and operators whose stored password `policy`'s rules refuse
// (a hash passed them when it was made; the level in force when nobody is logged in keeps none): what
// an import into a new database reports instead of refusing a document its own policy would not let in.
std::vector<SafetyFinding> FindPasswordsAgainstRules(const Snapshot& snapshot, const Policy& policy);

} // namespace zav::manage
