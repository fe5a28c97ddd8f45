#pragma once

// The security policy kept in the credential database: one text value per key in the table Policy,
// which the first change of an entry makes. A file without the table, or without an entry, has the
// defaults below, under which everything works as it always has (no rule, no audit, no lockout).
// Keys a later version adds are kept in the file and ignored here.

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace zav::manage {

enum class PasswordStorage { Plain, Hashed };

struct Policy {
    bool audit = false;                 // "audit"
    int auditRetentionDays = 0;         // "audit-retention-days": 0 keeps every entry
    int lockoutAttempts = 0;            // "lockout-attempts": failed logins before a lockout; 0 none
    int lockoutMinutes = 15;            // "lockout-minutes": 0 locks out until a manager unlocks
    int autoLogoutMinutes = 0;          // "auto-logout-minutes": 0 never
    int autoLogoutWarningSeconds = 30;  // "auto-logout-warning-seconds": the warning before it
    int passwordMinLength = 0;          // "password-min-length"
    bool passwordRequireDigit = false;  // "password-require-digit"
    bool passwordRequireLetter = false; // "password-require-letter"
    PasswordStorage passwordStorage = PasswordStorage::Plain; // "password-storage"
    // Password aging (operations/PasswordAges.h): the first of these set makes the table of the ages.
    int passwordMaxAgeDays = 0;              // "password-max-age-days": older passwords are changed at login
    int passwordHistory = 0;                 // "password-history": how many recent passwords may not return
    bool passwordChangeAtFirstLogin = false; // "password-change-at-first-login": an operator whose password
                                             // someone else set changes it at the next login
    // A panel of a server database keeps a local copy of its logins (operations/Replica.h):
    int offlineLoginDays = 0;   // "offline-login-days": how old the copy may be for logins while the
                                // server cannot be reached; 0: no copy is kept and nothing changes
    int offlineSyncMinutes = 5; // "offline-sync-minutes": the copy's refresh besides logins and changes
    // Electronic signatures (ZAV_Login::Sign and Verify):
    QStringList signatureReasons;         // "signature-reasons": the reasons offered, stored separated by
                                          // "|"; none: the reason is free text
    bool signatureReasonRequired = false; // "signature-reason-required": a signature without one is refused
    // Badges (operations/Badges.h): off, nothing of them is read or shown.
    bool badgeLogin = false;   // "badge-login": operators may log in with a badge (and a PIN)
    int badgeMaxKeyGapMs = 30; // "badge-max-key-gap-ms": a reader's keystrokes come at most this far apart
    QStringList badgeStrip;    // "badge-strip": texts a reader adds in front of or behind the number,
                               // stored separated by "|"
    int pinMinLength = 4;      // "pin-min-length": the shortest PIN

    bool AgesPasswords() const {
        return passwordMaxAgeDays > 0 || passwordHistory > 0 || passwordChangeAtFirstLogin;
    }
    bool AnyPasswordRule() const {
        return passwordMinLength > 0 || passwordRequireDigit || passwordRequireLetter;
    }
};

// Key and value as text, as the table holds them.
using PolicyEntries = std::vector<std::pair<QString, QString>>;

// Every key, in the order listings show them.
QStringList PolicyKeys();
// Every key with the policy's value as text ("on"/"off", a number, "plain"/"hashed").
PolicyEntries PolicyAsText(const Policy& policy);
// The value `value` means for `key`, as stored: on/off accept on, off, true, false, 1, 0, yes, no in
// any letter case; numbers are whole, not negative and below the key's bound. Throws AutomationError
// (ErrInvalidArgument) naming the key, or the value and what it may be.
QString CheckedPolicyValue(const QString& key, const QString& value);
// `policy` with the entries applied; entries of unknown keys or with values that do not parse are left
// out (a later version may have written them).
Policy WithEntries(Policy policy, const PolicyEntries& entries);

// The policy of the file, opened shared and read-only; the defaults when it holds none. Reading never
// changes the file.
Policy ReadPolicy(const QString& dbPath);
// The entries the file holds, as stored (none when it has no policy table).
PolicyEntries ReadPolicyEntries(const QString& dbPath);
// Changes one entry in one transaction, making the table when it is missing, and records the change in
// the audit trail when the audit is on before or after it. The key and value are checked first
// (CheckedPolicyValue). "password-storage hashed" replaces, in the same transaction, every stored
// password that is not a hash yet by its hash; going back to plain from hashed is refused
// (ErrInvalidArgument), since the passwords are no longer known.
void SetPolicyEntry(const QString& dbPath, const QString& key, const QString& value);

} // namespace zav::manage
