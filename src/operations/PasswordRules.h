#pragma once

// The policy's rules for a new password, in one place: the password dialog, zav-admin passwd and
// import all ask here before they store one. With no rule on, every password passes. With any rule
// on, a password equal to its owner's name or to the database's fixed key (letter case aside) is
// refused as well. The empty password means "no password": only a minimum length refuses it, and never
// for the level in force when nobody is logged in, which cannot have one.

#include "operations/Policy.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace zav::manage {

// Reused: password-history forbids one of the entry's last passwords (CheckNew...Password only).
enum class PasswordFault { TooShort, NoDigit, NoLetter, SameAsName, SameAsFixedKey, Reused };

// What `password` fails, in the order above; `names` are the names its owner is known by.
std::vector<PasswordFault> PasswordFaults(const Policy& policy, const QString& password,
                                          const QStringList& names);
// The faults in English, joined by "; " ("at least 8 characters are needed; a digit is needed").
QString DescribePasswordFaults(const std::vector<PasswordFault>& faults, const Policy& policy);

struct PasswordVerdict {
    Policy policy;
    std::vector<PasswordFault> faults; // none: the password may be stored
};

// A new password of level `id` (known by `names`, the stored name first) or of operator `name` under the
// policy of the file at `dbPath` (read shared and read-only), its recent passwords included.
PasswordVerdict CheckNewLevelPassword(const QString& dbPath, int id, const QStringList& names,
                                      const QString& password);
PasswordVerdict CheckNewOperatorPassword(const QString& dbPath, const QString& name, const QString& password);
// Throws AutomationError (ErrInvalidArgument) when the verdict has faults: "the password of `owner` is
// refused by the policy: ...".
void RefuseFaultyPassword(const PasswordVerdict& verdict, const QString& owner);

} // namespace zav::manage
