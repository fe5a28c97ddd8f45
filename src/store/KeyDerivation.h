#pragma once

// Raw keys for SQLCipher. Deriving a key from the password costs tens of milliseconds, so each
// (password, salt) pair is derived once per process and kept; the raw key opens a file written
// with the password, and the file stays readable by the password alone.

#include <QByteArray>
#include <QString>

namespace zav::store::keys {

inline constexpr int SaltSize = 16; // SQLCipher keeps the salt in the first bytes of the file

// "x'<64 hex>'": the key for a file whose salt is `salt`.
QByteArray rawKeyFor(const QString& password, const QByteArray& salt);
// "x'<64 hex><32 hex>'": the key and the salt for a new file.
QByteArray rawKeyWithSalt(const QString& password, const QByteArray& salt);
// Random bytes for a new file's salt.
QByteArray newSalt();

} // namespace zav::store::keys
