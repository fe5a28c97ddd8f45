#pragma once

// How old each level's and operator's password is and which ones it had before: the table PasswordAges,
// made (with a row for every entry, dated now) by the first policy key that ages passwords
// (password-max-age-days, password-history, password-change-at-first-login) and kept from then on.
// Entries are addressed by kind and stored name, as the lockout addresses them. Every write of a
// password notes its change here within the write's transaction; removing an entry removes its row.
// While the table does not exist nothing here writes anything. Times are the database's clock
// (DatabaseNow: the server's on a server), in UTC. The table within a caller's open database:
// PasswordAgeRows.h.

#include "operations/Lockout.h"
#include "operations/Policy.h"

#include <QDateTime>
#include <QStringList>
#include <optional>
#include <vector>

namespace zav::manage {

struct PasswordAge {
    LockoutEntry entry{};
    QDateTime changedAt{};   // invalid: not known
    bool mustChange = false; // someone else set the password and its owner has not changed it since
    bool byOwner = false;    // the password in force was chosen by its owner
    QStringList history{};   // the passwords before it, as stored, newest first
};

enum class ChangeReason { None, Expired, FirstLogin };

// Why the entry's password must be changed at a login `now`: the first login after someone else set an
// operator's password, or a password older than the policy allows.
ChangeReason ChangeDue(const std::optional<PasswordAge>& age, const Policy& policy, const QDateTime& now);
// Whether `password` is the entry's password now (`current`, as stored) or one of the history the policy
// keeps (password-history N: the last N passwords, the current one among them).
bool IsRecentPassword(const QString& password, const QString& current, const std::optional<PasswordAge>& age,
                      const Policy& policy);

} // namespace zav::manage
