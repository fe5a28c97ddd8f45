#pragma once

// The login's credential check, without widgets: reads the chosen level (or the operator and its
// level) and level 0 in one read transaction, compares the typed password and records what the attempt
// leaves (LoginRecords.h). Level 0's password, read in the same moment, opens level 0 as well (with no
// operator) when the entry's own password did not match or when nothing was chosen. While the policy
// locks out, wrong passwords are counted in the file (Lockout.h): a locked entry is refused whatever is
// typed, and level 0's password, which never locks, may be tried only once its wait has passed. What a
// login opens is handed back; putting it in force is the caller's.

#include <ZAV_PrjLogin/Class_Level.h>
#include <ZAV_PrjLogin/Class_Operator.h>

#include "operations/PasswordAges.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace zav::manage {

enum class CredentialOutcome {
    Accepted,         // the login opened a level
    WrongPassword,    // nothing opened; the dialog says "Wrong password"
    LockedOut,        // nothing opened; too many wrong passwords in a row locked the entry
    TopPasswordWaits, // nothing was compared: level 0's password may not be tried yet
    ChangeRefused     // the password opened but had to be changed first, and was not: nothing opened
};

struct CredentialRequest {
    int loginMode = 1;      // 0: the level `levelId`; 1: the operator `operatorName`
    bool nameChosen = true; // false: nothing was chosen in the list; only level 0's password can open
    int levelId = 0;
    QString operatorName;
    QString typed;
};

struct CredentialVerdict {
    CredentialOutcome outcome = CredentialOutcome::WrongPassword;
    QDateTime lockedUntil; // LockedOut: the end of the lock in UTC, invalid while it lasts until unlocked
    int waitSeconds = 0;   // TopPasswordWaits: how long yet
};

struct CheckedLogin {
    CredentialVerdict verdict;
    // Accepted: the level opened (its rights, names and password) and who logged in, a new operator
    // naming nobody when level 0 opened.
    std::shared_ptr<Class_Level> level;
    QString password;
    std::shared_ptr<Class_Operator> who;
    // Refused: the level or operator name the refusal is reported under.
    QString refusedName;
};

// A password that opened but must be changed before the login counts (PasswordAges.h): the operator's
// own, or the level's that opened (the level chosen, or level 0).
struct DueChange {
    ChangeReason reason = ChangeReason::None;
    LockoutKind kind = LockoutKind::Level;
    std::shared_ptr<Class_Level> level;  // the level that opened, its password not set
    QString levelPassword;               // as stored
    std::shared_ptr<Class_Operator> who; // Operator: its name and password as stored
};

// `beforeRecordingAcceptance` runs once a password opened and before anything is written; what it
// throws ends the check with nothing recorded. When the password must be changed first,
// `changePassword` runs next and hands back the new password as stored, or nothing: the login is
// refused (ChangeRefused) with nothing recorded; without it every such login is refused. Database
// failures throw.
CheckedLogin
CheckCredentials(const QString& dbPath, const CredentialRequest& request,
                 const std::function<void()>& beforeRecordingAcceptance = {},
                 const std::function<std::optional<QString>(const DueChange&)>& changePassword = {});

} // namespace zav::manage
