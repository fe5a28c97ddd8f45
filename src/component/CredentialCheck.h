#pragma once

// The login's credential check, without widgets: reads the chosen level (or the operator and its
// level) and level 0 at one moment, compares the typed password and, on success, makes that level and a
// new operator the component's current ones. Level 0's password, read in the same moment, opens level 0
// as well (with no operator) when the entry's own password did not match or when nothing was chosen;
// nothing of it is kept after the check. While the policy locks out, wrong passwords are counted in the
// file (operations/Lockout.h): a locked entry is refused whatever is typed, and level 0's password,
// which never locks, may be tried only once its wait has passed.

#include <QDateTime>
#include <QString>

namespace zav {

enum class CredentialOutcome {
    Accepted,        // the current level and operator changed
    WrongPassword,   // nothing changed; the dialog says "Wrong password"
    LockedOut,       // nothing changed; too many wrong passwords in a row locked the entry
    TopPasswordWaits // nothing was compared: level 0's password may not be tried yet
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

// Database failures throw.
CredentialVerdict CheckCredentials(const CredentialRequest& request);
// A chosen entry; `lockedUntil` (when given) receives the end of a lock.
CredentialOutcome CheckCredentials(int loginMode, int levelId, const QString& operatorName,
                                   const QString& typed, QDateTime* lockedUntil = nullptr);

// What the login dialog says to a locked-out login, and to a try of level 0's password that must wait,
// in the current language.
QString LockedOutMessage(const QDateTime& until);
QString TopPasswordWaitMessage(int seconds);

} // namespace zav
