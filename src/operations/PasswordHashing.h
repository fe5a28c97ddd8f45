#pragma once

// How a password is kept in the PWD column and how a typed one is compared with what is kept. Plain
// storage keeps the text and compares it exactly. Hashed storage keeps
// "pbkdf2-sha256$ITERATIONS$SALT$HASH" (PBKDF2-HMAC-SHA256 of the UTF-8 text, a random 16-byte salt per
// password, salt and hash in base64); the count is read back from the stored text, so a later version
// may raise it without making the stored hashes useless. The empty password means "no password" and
// stays empty either way.

#include "operations/Policy.h"

#include <QString>

namespace zav::manage {

// About 10 ms for one check on the development machine (bench_login's BM_PasswordHashCheck). A wrong
// password is checked against its entry and the top password side by side, then counted and recorded,
// and that whole check stays under 20 ms.
inline constexpr int PasswordHashIterations = 50000;

// Whether `stored` is a hash in the form above (well formed, not merely starting like one).
bool IsPasswordHash(const QString& stored);
// A new hash of `plain` with a new salt. Throws AutomationError when the system gives no random bytes.
QString HashPassword(const QString& plain, int iterations = PasswordHashIterations);
// What a password is stored as under `storage`: the text itself, or its hash; "" stays "".
QString StoredFormOf(const QString& plain, PasswordStorage storage);
// Whether `typed` opens an entry that stores `stored`. Plain: the texts are equal. Hashed: a stored
// hash is verified (in constant time), and a stored value that is not a hash (left by an older writer)
// is compared as text, so that nobody is locked out.
bool PasswordMatches(const QString& typed, const QString& stored, PasswordStorage storage);

} // namespace zav::manage
