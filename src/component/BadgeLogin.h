#pragma once

// The component's badge login: the badge check (operations/Badges.h) on the component's database with
// the panel's badge key, the PIN pad for an operator who logs in with badge and PIN, and, once
// accepted, the operator and its level in force as a login by name puts them. Every refusal is told in
// the current language and to the host (loginFailed), except a PIN pad closed without a PIN.

#include <QString>

namespace zav {

// True when the badge logged an operator in. Database failures throw.
bool LoginWithBadge(const QString& reading);

} // namespace zav
