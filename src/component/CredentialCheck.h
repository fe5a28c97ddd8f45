#pragma once

// The login's credential check, without widgets: reads the chosen level (or the operator and its
// level), compares the typed password and, on success, makes that level and a new operator the
// component's current ones. The remembered top password (level 0's) opens level 0 as well. While the
// policy locks out, wrong passwords are counted in the file (operations/Lockout.h) and a locked entry
// is refused whatever is typed; the top password still opens level 0.

#include <QDateTime>
#include <QString>

namespace zav {

enum class CredentialOutcome {
    Accepted,      // the current level and operator changed
    WrongPassword, // nothing changed; the dialog says "Wrong password"
    NoTopLevel,    // the top password was typed but there is no level 0: nothing changed, no message
    LockedOut      // nothing changed; too many wrong passwords in a row locked the entry
};

// loginMode 0 checks the level `levelId`, 1 the operator `operatorName`. Database failures throw.
// With LockedOut, `lockedUntil` (when given) receives the end of the lock in UTC, invalid while it
// lasts until a manager unlocks.
CredentialOutcome CheckCredentials(int loginMode, int levelId, const QString& operatorName,
                                   const QString& typed, QDateTime* lockedUntil = nullptr);

// What the login dialog says to a locked-out login, in the current language.
QString LockedOutMessage(const QDateTime& until);

} // namespace zav
