#include "store/KeyDerivation.h"

#include "store/DbError.h"

#include <QHash>
#include <mutex>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace zav::store::keys {

namespace {

// The parameters SQLCipher 3 uses for a passphrase, so that the password opens the file too.
constexpr int Iterations = 64000;
constexpr int KeySize = 32;
constexpr qsizetype CacheLimit = 64;

QByteArray derive(const QByteArray& password, const QByteArray& salt) {
    QByteArray key(KeySize, '\0');
    if (PKCS5_PBKDF2_HMAC_SHA1(password.constData(), int(password.size()),
                               reinterpret_cast<const unsigned char*>(salt.constData()), int(salt.size()),
                               Iterations, KeySize, reinterpret_cast<unsigned char*>(key.data())) != 1) {
        throw DbError(ErrEngine, QStringLiteral("The database key could not be derived."));
    }
    return key.toHex();
}

// Hex of the derived key by salt and password. The lock guards the cache only: deriving a key takes
// long, and threads opening other files need not wait for it.
QByteArray cachedHexKey(const QString& password, const QByteArray& salt) {
    static std::mutex mutex;
    static QHash<QByteArray, QByteArray> cache;
    const QByteArray utf8 = password.toUtf8();
    const QByteArray id = salt + utf8;
    {
        const std::lock_guard lock(mutex);
        const auto found = cache.constFind(id);
        if (found != cache.constEnd()) {
            return *found;
        }
    }
    const QByteArray key = derive(utf8, salt);
    const std::lock_guard lock(mutex);
    if (cache.size() >= CacheLimit) {
        cache.clear();
    }
    cache.insert(id, key);
    return key;
}

} // namespace

QByteArray rawKeyFor(const QString& password, const QByteArray& salt) {
    return "x'" + cachedHexKey(password, salt) + "'";
}

QByteArray rawKeyWithSalt(const QString& password, const QByteArray& salt) {
    return "x'" + cachedHexKey(password, salt) + salt.toHex() + "'";
}

QByteArray newSalt() {
    QByteArray salt(SaltSize, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), SaltSize) != 1) {
        throw DbError(ErrEngine, QStringLiteral("No random salt could be made for the new database."));
    }
    return salt;
}

} // namespace zav::store::keys
