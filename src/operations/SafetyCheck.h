#pragma once

// What makes a credential database unsafe: the findings zav-admin check lists, each with what it is
// about. Read shared and read-only; nothing is changed.

#include <QString>
#include <QStringList>
#include <vector>

namespace zav::manage {

enum class Finding {
    TopPasswordIsFixedKey, // level 0 still opens with the database's fixed key
    TopPasswordEmpty,      // level 0 has no password
    LevelWithoutPassword,  // a level offered at login (not the logout level) has no password
    FileOpenToOthers,      // the database file is readable by its group or others
    LockFileOpenToOthers,  // so is its companion lock file
    AutoLogoutOff,         // the policy never logs an idle operator out
    NoPasswordRule,        // the policy sets no password rule
    LockoutOff,            // wrong passwords never lock a login out
    AuditOff,              // nothing records who logged in or what changed
    PasswordStoragePlain,  // passwords are stored as text
    PasswordsStoredAsText, // hashed storage, yet `count` passwords are still text (left by an older writer)
    PasswordHashesOld,     // `count` hashes are weaker than today's (NeedsRehash), named in the lists
};

struct SafetyFinding {
    Finding finding;
    int levelId = 0;                           // the level findings
    QString levelName;                         // the level's stored name
    QString path;                              // the file findings
    int count = 0;                             // PasswordsStoredAsText, PasswordHashesOld
    QStringList levelNames{}, operatorNames{}; // PasswordHashesOld, by stored name
};

std::vector<SafetyFinding> FindUnsafeSettings(const QString& dbPath);

} // namespace zav::manage
