#pragma once

// What keeps the roles of a plant's server database to their part. The owner's functions add audit rows
// and count or clear failed logins, each under the server's clock and with the owner's rights, so the
// roles of panels need no right to change the trail, the policy or the lockout table directly; `init`
// takes those rights from every role but the owner, gives the functions to the roles that write levels,
// and lets roles that only read see the levels and operators without their passwords.

#include "store/Engine.h"

#include <QDateTime>

namespace zav::manage {

// The names of the owner's functions.
inline const QString AuditAppendFunction = QStringLiteral("zav_audit_append");
inline const QString LockoutCountFunction = QStringLiteral("zav_lockout_count");
inline const QString LockoutClearFunction = QStringLiteral("zav_lockout_clear");
// What a panel recorded while the server could not be reached, each row and each failed login once.
inline const QString AuditImportFunction = QStringLiteral("zav_audit_import");
inline const QString LockoutImportFunction = QStringLiteral("zav_lockout_import");

// Within the owner's exclusive open of a server database: (re)makes the functions and sets the grants.
void ProtectServerDatabase(store::Database& db);
// Gives the table Badges, where it exists, to the roles that write levels, and its columns but the PIN to
// the roles that only read levels (the owner, when it has just made the table).
void GrantBadges(store::Database& db);
// Whether the functions of this version are there (an older database is upgraded by `init`).
bool ServerDatabaseProtected(store::Database& db);

// The database's clock: the server's on a server (what a test's clock moved it by added), else this
// machine's.
QDateTime DatabaseNow(store::Database& db);
// The server's time as its functions write it.
QDateTime ParseDatabaseTime(const QString& text);

} // namespace zav::manage
