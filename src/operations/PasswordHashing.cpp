#include "operations/PasswordHashing.h"

#include "operations/OperationErrors.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QByteArray>
#include <QRegularExpression>
#include <QStringList>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <optional>
#include <sodium.h>

namespace zav::manage {

namespace {

// --- PBKDF2, the form older versions wrote

const QString Pbkdf2Scheme = QStringLiteral("pbkdf2-sha256");
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

std::optional<ParsedHash> parsePbkdf2(const QString& stored) {
    if (!stored.startsWith(Pbkdf2Scheme)) {
        return std::nullopt; // the common case of a text password, decided without splitting
    }
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != Pbkdf2Scheme) {
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

// The UTF-8 bytes of a password, wiped when they go.
class SecretBytes {
public:
    explicit SecretBytes(const QString& text) : m_bytes(text.toUtf8()) {}
    ~SecretBytes() { sodium_memzero(m_bytes.data(), static_cast<size_t>(m_bytes.size())); }
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    const char* data() const { return m_bytes.constData(); }
    qsizetype size() const { return m_bytes.size(); }

private:
    QByteArray m_bytes;
};

QByteArray derive(const QString& plain, const QByteArray& salt, int iterations) {
    const SecretBytes text(plain);
    QByteArray out(HashBytes, '\0');
    if (PKCS5_PBKDF2_HMAC(text.data(), static_cast<int>(text.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(), HashBytes,
                          reinterpret_cast<unsigned char*>(out.data())) != 1) {
        throw AutomationError(ErrInvalidArgument, QStringLiteral("the password could not be hashed"));
    }
    return out;
}

// --- Argon2id

const QString Argon2Prefix = QStringLiteral("$argon2id$");
// Bounds for what is read back, for the same reason: memory beyond 1 GiB, or memory times passes beyond
// about 50 times today's, is no hash this system wrote and would stall every login. Only one lane, as
// libsodium writes.
constexpr qulonglong LargestMemoryKiB = 1024 * 1024;
constexpr qulonglong LargestWorkKiB = 2 * LargestMemoryKiB; // memory times passes
constexpr qulonglong SmallestMemoryKiB = crypto_pwhash_argon2id_MEMLIMIT_MIN / 1024;
constexpr int SmallestArgon2SaltBytes = 8; // Argon2's own minimum
constexpr int SmallestArgon2HashBytes = 16;

struct Argon2Limits {
    qulonglong memoryKiB = 0;
    qulonglong passes = 0;
};

// Unpadded standard base64 as the form writes it: nothing that decodes to the same bytes another way.
bool canonicalBase64(const QString& text, int smallestBytes) {
    const QByteArray encoded = text.toLatin1();
    const auto options = QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals;
    const auto decoded =
        QByteArray::fromBase64Encoding(encoded, options | QByteArray::AbortOnBase64DecodingErrors);
    return decoded && decoded.decoded.size() >= smallestBytes && decoded.decoded.toBase64(options) == encoded;
}

std::optional<Argon2Limits> parseArgon2(const QString& stored) {
    if (!stored.startsWith(Argon2Prefix) || stored.size() >= qsizetype{crypto_pwhash_STRBYTES}) {
        return std::nullopt;
    }
    static const QRegularExpression form(QStringLiteral(
        R"(^\$argon2id\$v=19\$m=([1-9][0-9]{0,9}),t=([1-9][0-9]{0,9}),p=1\$([A-Za-z0-9+/]+)\$([A-Za-z0-9+/]+)$)"));
    const auto match = form.match(stored);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const Argon2Limits limits{match.captured(1).toULongLong(), match.captured(2).toULongLong()};
    if (limits.memoryKiB < SmallestMemoryKiB || limits.memoryKiB > LargestMemoryKiB ||
        limits.passes > LargestWorkKiB / limits.memoryKiB ||
        !canonicalBase64(match.captured(3), SmallestArgon2SaltBytes) ||
        !canonicalBase64(match.captured(4), SmallestArgon2HashBytes)) {
        return std::nullopt;
    }
    return limits;
}

void requireSodium() {
    // sodium_init is safe to call from several threads and more than once.
    static const bool ready = sodium_init() >= 0;
    if (!ready) {
        throw AutomationError(ErrInvalidArgument, QStringLiteral("no password hashing is available"));
    }
}

} // namespace

bool IsPasswordHash(const QString& stored) {
    return parseArgon2(stored).has_value() || parsePbkdf2(stored).has_value();
}

QString HashPassword(const QString& plain) {
    requireSodium();
    const SecretBytes text(plain);
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(hash, text.data(), static_cast<unsigned long long>(text.size()),
                              PasswordHashPasses, PasswordHashMemoryBytes,
                              crypto_pwhash_ALG_ARGON2ID13) != 0) {
        throw AutomationError(ErrInvalidArgument, QStringLiteral("the password could not be hashed"));
    }
    return QString::fromLatin1(hash);
}

QString HashPasswordPbkdf2(const QString& plain, int iterations) {
    QByteArray salt(SaltBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), SaltBytes) != 1) {
        throw AutomationError(ErrInvalidArgument, QStringLiteral("no random bytes for a password's salt"));
    }
    const QChar separator = QLatin1Char('$');
    return Pbkdf2Scheme + separator + QString::number(iterations) + separator +
           QString::fromLatin1(salt.toBase64()) + separator +
           QString::fromLatin1(derive(plain, salt, iterations).toBase64());
}

bool NeedsRehash(const QString& stored) {
    if (parsePbkdf2(stored)) {
        return true;
    }
    // Not crypto_pwhash_str_needs_rehash: it also answers yes for a hash stronger than today's, which
    // would then be replaced by a weaker one.
    const auto limits = parseArgon2(stored);
    return limits &&
           (limits->memoryKiB < PasswordHashMemoryBytes / 1024 || limits->passes < PasswordHashPasses);
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
    if (parseArgon2(stored)) {
        requireSodium();
        const SecretBytes text(typed);
        return crypto_pwhash_str_verify(stored.toLatin1().constData(), text.data(),
                                        static_cast<unsigned long long>(text.size())) == 0;
    }
    const auto parsed = parsePbkdf2(stored);
    if (!parsed) {
        return typed == stored;
    }
    const QByteArray derived = derive(typed, parsed->salt, parsed->iterations);
    return CRYPTO_memcmp(derived.constData(), parsed->hash.constData(), HashBytes) == 0;
}

} // namespace zav::manage
