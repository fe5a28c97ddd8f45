#pragma once

// The secret badge numbers are kept under: badge numbers have little entropy (a 26-bit card has about
// 67 million values), so the database keeps HMAC-SHA256 of them under a key that is not in the
// database. The key is a file of 64 hexadecimal digits, owner-only (no right for the group or others),
// shared by the panels of a plant: ZAV_BADGE_KEY_FILE names it, else /etc/zav-prjlogin/badge.key.

#include <QByteArray>
#include <QString>

namespace zav::manage {

inline constexpr int BadgeKeyBytes = 32;

// Where the key file is.
QString BadgeKeyPath();

struct BadgeKey {
    QByteArray bytes; // BadgeKeyBytes; empty when there is no usable key
    QString why;      // without a key: why, in English, naming the path (it never names the key)
    bool usable() const { return bytes.size() == BadgeKeyBytes; }
};

// Reads the key file; a file others may read or write, or one not in the form above, gives no key.
BadgeKey ReadBadgeKey(const QString& path = BadgeKeyPath());

// Makes a new random key file, owner-only, written whole before it appears under its name. Refuses
// (AutomationError ErrDatabaseExists) to replace a key file: the badges stored under it would stop
// opening. Its folder is made (owner-only) when missing.
void CreateBadgeKey(const QString& path = BadgeKeyPath());

} // namespace zav::manage
