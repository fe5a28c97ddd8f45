#pragma once

// The login's credential check, without widgets: reads the chosen level (or the operator and its
// level), compares the typed password and, on success, makes that level and a new operator the
// component's current ones. The remembered top password (level 0's) opens level 0 as well.

#include <QString>

namespace zav {

enum class CredentialOutcome {
    Accepted,      // the current level and operator changed
    WrongPassword, // nothing changed; the dialog says "Wrong password"
    NoTopLevel     // the top password was typed but there is no level 0: nothing changed, no message
};

// loginMode 0 checks the level `levelId`, 1 the operator `operatorName`. Database failures throw.
CredentialOutcome CheckCredentials(int loginMode, int levelId, const QString& operatorName,
                                   const QString& typed);

} // namespace zav
