#pragma once

// How a password is kept in the PWD column and how a typed one is compared with what is kept. Plain
// storage keeps the text and compares it exactly. Hashed storage keeps an Argon2id hash in the standard
// form "$argon2id$v=19$m=KIB,t=PASSES,p=1$SALT$HASH" (libsodium's crypto_pwhash_str of the UTF-8 text,
// a random salt per password); the limits are read back from the stored text, so a later version may
// raise them. Hashes older versions wrote, "pbkdf2-sha256$ITERATIONS$SALT$HASH" (PBKDF2-HMAC-SHA256, salt
// and hash in base64), are still read; NeedsRehash tells which to replace. The empty password means
// "no password" and stays empty either way.

#include "operations/Policy.h"

#include <QString>
#include <cstddef>

namespace zav::manage {

// OWASP's minimum for Argon2id: 19 MiB, 2 passes, 1 lane. About 45 ms for one check on the development
// machine (bench_login's BM_PasswordHashCheck/argon2id), three times a PBKDF2 check. A wrong password is
// checked against its entry and the top password side by side, then counted and recorded.
inline constexpr std::size_t PasswordHashMemoryBytes = std::size_t{19} * 1024 * 1024;
inline constexpr unsigned long long PasswordHashPasses = 2;
// What older versions wrote; only tests and benchmarks make PBKDF2 hashes now.
inline constexpr int Pbkdf2Iterations = 50000;

// Whether `stored` is a hash in one of the forms above (well formed, within sane limits, not merely
// starting like one).
bool IsPasswordHash(const QString& stored);
// A new Argon2id hash of `plain` with a new salt. Throws AutomationError when the system gives no memory.
QString HashPassword(const QString& plain);
// A new hash in the older PBKDF2 form, for tests and benchmarks of what older versions left.
QString HashPasswordPbkdf2(const QString& plain, int iterations = Pbkdf2Iterations);
// Whether a stored hash is weaker than what HashPassword makes today (every PBKDF2 hash, an Argon2id
// hash with less memory or fewer passes), so that it is replaced when the password is next known.
// False for a text and for a current or stronger hash.
bool NeedsRehash(const QString& stored);
// What a password is stored as under `storage`: the text itself, or its hash; "" stays "".
QString StoredFormOf(const QString& plain, PasswordStorage storage);
// Whether `typed` opens an entry that stores `stored`. Plain: the texts are equal. Hashed: a stored
// hash is verified (in constant time), and a stored value that is not a hash (left by an older writer)
// is compared as text, so that nobody is locked out.
bool PasswordMatches(const QString& typed, const QString& stored, PasswordStorage storage);

} // namespace zav::manage
