#include "operations/PasswordHashing.h"

#include "operations/OperationErrors.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QByteArray>
#include <QStringList>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <optional>

namespace zav::manage {

namespace {

const QString Scheme = QStringLiteral("pbkdf2-sha256");
constexpr int SaltBytes = 16;
constexpr int HashBytes = 32; // SHA-256
// Bounds for what is read back: a count far beyond any sensible one would make every login hang.
constexpr int LargestIterations = 10'000'000;
constexpr int SmallestSaltBytes = 8;
constexpr int LargestSaltBytes = 64;

struct ParsedHash {
    int iterations = 0;
    QByteArray salt;
    QByteArray hash;
};

std::optional<QByteArray> strictBase64(const QString& text) {
    auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || text.isEmpty()) {
        return std::nullopt;
    }
    return *decoded;
}

std::optional<ParsedHash> parse(const QString& stored) {
    if (!stored.startsWith(Scheme)) {
        return std::nullopt; // the common case of a text password, decided without splitting
    }
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != Scheme) {
        return std::nullopt;
    }
    ParsedHash parsed;
    bool isNumber = false;
    parsed.iterations = parts[1].toInt(&isNumber);
    const auto salt = strictBase64(parts[2]);
    const auto hash = strictBase64(parts[3]);
    if (!isNumber || parts[1] != QString::number(parsed.iterations) || parsed.iterations < 1 ||
        parsed.iterations > LargestIterations || !salt || salt->size() < SmallestSaltBytes ||
        salt->size() > LargestSaltBytes || !hash || hash->size() != HashBytes) {
        return std::nullopt;
    }
    parsed.salt = *salt;
    parsed.hash = *hash;
    return parsed;
}

QByteArray derive(const QString& plain, const QByteArray& salt, int iterations) {
    const QByteArray text = plain.toUtf8();
    QByteArray out(HashBytes, '\0');
    if (PKCS5_PBKDF2_HMAC(text.constData(), static_cast<int>(text.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(), HashBytes,
                          reinterpret_cast<unsigned char*>(out.data())) != 1) {
        throw AutomationError(ErrInvalidArgument, QStringLiteral("the password could not be hashed"));
    }
    return out;
}

} // namespace

bool IsPasswordHash(const QString& stored) {
    return parse(stored).has_value();
}

QString HashPassword(const QString& plain, int iterations) {
    QByteArray salt(SaltBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), SaltBytes) != 1) {
        throw AutomationError(ErrInvalidArgument, QStringLiteral("no random bytes for a password's salt"));
    }
    const QChar separator = QLatin1Char('$');
    return Scheme + separator + QString::number(iterations) + separator +
           QString::fromLatin1(salt.toBase64()) + separator +
           QString::fromLatin1(derive(plain, salt, iterations).toBase64());
}

QString StoredFormOf(const QString& plain, PasswordStorage storage) {
    if (storage == PasswordStorage::Plain || plain.isEmpty()) {
        return plain;
    }
    return HashPassword(plain);
}

bool PasswordMatches(const QString& typed, const QString& stored, PasswordStorage storage) {
    if (storage == PasswordStorage::Plain) {
        return typed == stored;
    }
    const auto parsed = parse(stored);
    if (!parsed) {
        return typed == stored;
    }
    const QByteArray derived = derive(typed, parsed->salt, parsed->iterations);
    return CRYPTO_memcmp(derived.constData(), parsed->hash.constData(), HashBytes) == 0;
}

} // namespace zav::manage
