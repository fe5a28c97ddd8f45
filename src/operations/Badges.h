#pragma once

// Badges and PINs: an operator may log in with a badge alone or with a badge and a PIN, besides the
// password every operator keeps. Each operator's login method is password (no badge: the default),
// badge, or badge+pin. Badges live in the table Badges, made when the policy turns badge-login on, as
// HMACs of their numbers under the badge key (BadgeKey.h, BadgeCodes.h): one row per value a reading
// stands for, each HMAC one operator's. A PIN is stored as passwords are (hashed when the policy
// hashes) and is at least pin-min-length digits long. Removing an operator removes its badge.
//
// While the policy locks out, a badge nobody has counts against this panel (an entry of kind "panel"
// under its host name) and a wrong PIN against the operator; a panel locked that way reads no badge
// until its lock ends. The trail names a badge login "by badge"; no number is ever written anywhere.

#include "operations/BadgeKey.h"
#include "operations/CredentialCheck.h"

#include <QString>
#include <functional>
#include <map>
#include <optional>

namespace zav::manage {

enum class LoginMethod { Password, Badge, BadgeAndPin };

QString MethodText(LoginMethod method); // "password", "badge", "badge+pin"
std::optional<LoginMethod> MethodFromText(const QString& text);

// One row of the table: a HMAC of a badge's value and whose it is.
struct BadgeRow {
    QString hmac;
    QString name; // the operator's, as stored
    LoginMethod method = LoginMethod::Badge;
    QString pin; // as stored; "" for none
};

// Gives operator `name` the badge `reading` (replacing any it had) with `method` Badge or BadgeAndPin;
// `pin` is needed for BadgeAndPin (digits only, at least pin-min-length). One write transaction.
// Refused with ErrInvalidArgument while badge-login is off, without a usable key, for a reading that
// stands for no value, or for a PIN the policy refuses; with ErrNoCurrentRecord when there is no such
// operator; with ErrDuplicateKey when another operator has the badge.
void SetBadge(const QString& dbPath, const QString& name, const QString& reading, LoginMethod method,
              const QString& pin = QString(), const BadgeKey& key = ReadBadgeKey());
// Takes operator `name`'s badge away (a lost badge): its login method is password again. Whether it
// had one.
bool RemoveBadge(const QString& dbPath, const QString& name);
// Every operator's login method other than password, by stored name.
std::map<QString, LoginMethod> ReadLoginMethods(const QString& dbPath);

enum class BadgeOutcome {
    Accepted,
    Off,          // the policy does not take badges, or the panel has no usable key (`why` says which)
    Unknown,      // no operator has this badge
    PanelLocked,  // too many unknown badges on this panel: none is read until `lockedUntil`
    LockedOut,    // the operator is locked out
    WrongPin,     // the PIN did not match; counted against the operator
    PinCancelled, // the PIN pad was closed: nothing is recorded
};

struct CheckedBadge {
    BadgeOutcome outcome = BadgeOutcome::Unknown;
    QString why;           // Off: why, in English
    QDateTime lockedUntil; // PanelLocked, LockedOut: the end of the lock in UTC; invalid until unlocked
    // Accepted: what opened, as CheckCredentials hands it back.
    std::shared_ptr<Class_Level> level;
    QString password;
    std::shared_ptr<Class_Operator> who;
    QString operatorName; // the badge's operator, once known
};

// Checks a badge reading (and, for badge+pin, the PIN `askPin` asks for the named operator; nothing:
// cancelled) and records the attempt as a login does. `beforeRecordingAcceptance` as CheckCredentials.
// Database failures throw.
CheckedBadge CheckBadge(const QString& dbPath, const QString& reading, const BadgeKey& key,
                        const std::function<std::optional<QString>(const QString& operatorName)>& askPin,
                        const std::function<void()>& beforeRecordingAcceptance = {});

} // namespace zav::manage
