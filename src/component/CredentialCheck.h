#pragma once

// The component's login: the credential check (operations/CredentialCheck.h) on the component's
// database, whose accepted level and operator become the component's current ones; a refusal is told to
// the host (loginFailed). Nothing of level 0's password is kept after the check.

#include "operations/CredentialCheck.h"

namespace zav {

using manage::CredentialOutcome;
using manage::CredentialRequest;
using manage::CredentialVerdict;

// Database failures throw.
CredentialVerdict CheckCredentials(const CredentialRequest& request);
// A chosen entry; `lockedUntil` (when given) receives the end of a lock.
CredentialOutcome CheckCredentials(int loginMode, int levelId, const QString& operatorName,
                                   const QString& typed, QDateTime* lockedUntil = nullptr);

// The component's current level, failing with error 91 when it has no rights object (a host may assign
// Nothing), before anything is recorded or changed.
std::shared_ptr<Class_Level> RequireCurrentLevel();
// Makes the opened level the component's current level (rewritten in place, so references the host
// holds follow the login) and who logged in its current operator.
void AcceptCheckedLogin(const manage::CheckedLogin& opened);
// Tells the host a login was refused (loginFailed).
void TellHostRefused(const QString& name, int loginMode);

// What the login dialog says to a locked-out login, and to a try of level 0's password that must wait,
// in the current language.
QString LockedOutMessage(const QDateTime& until);
QString TopPasswordWaitMessage(int seconds);

} // namespace zav
