#include "store/CipherConnection.h"

#include "store/ErrorMapping.h"
#include "store/GeneralCollation.h"
#include "store/KeyDerivation.h"
#include "store/SqliteStatement.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zav::store {

namespace {

constexpr int BusyTimeoutMs = 5000;
constexpr qint64 SmallestPage = 512;
const QByteArray PlainHeader("SQLite format 3\0", 16);

void configure(sqlite::Database& db) {
    registerGeneralCollation(db);
    db.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    db.setBusyTimeout(BusyTimeoutMs);
}

// A wrong key shows only when a page is read: read the schema page now.
void checkReadable(sqlite::Database& db) {
    try {
        sqlite::Statement probe(db, QStringLiteral("SELECT count(*) FROM sqlite_master"));
        probe.executeStep();
    } catch (const sqlite::Exception& error) {
        if (error.errorCode() == SQLITE_NOTADB) {
            throw notValidPassword(error.extendedErrorCode());
        }
        throw;
    }
}

// The salt of a file no connection of ours holds, read from its first bytes. A file that a page-based
// database cannot be, or one in SQLite's plain format, fails here without SQLite touching it.
QByteArray saltOfUnheldFile(const QString& path) {
    const QByteArray start = readFileStart(path, keys::SaltSize);
    if (start.size() < keys::SaltSize) {
        throw notADatabase(path);
    }
    if (start == PlainHeader) {
        throw notValidPassword(); // a database, but not protected by this password
    }
    return start;
}

FileFacts existingFile(const QString& path) {
    const auto facts = factsOf(path);
    if (!facts) {
        throw fileNotFound(path);
    }
    if (!facts->regular || facts->size == 0 || facts->size % SmallestPage != 0) {
        throw notADatabase(path);
    }
    return *facts;
}

// Makes the empty file, failing when anything is at the path already.
void createEmptyFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        if (error == EEXIST) {
            throw DbError(ErrDatabaseExists, QStringLiteral("Database '%1' already exists.").arg(path),
                          error);
        }
        throw DbError(
            ErrEngine,
            QStringLiteral("Cannot create '%1': %2").arg(path, QString::fromLocal8Bit(std::strerror(error))),
            error);
    }
    ::close(fd);
}

bool somethingAt(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// Idle shared connections of this thread, the most recently used last. Opening a file costs far more
// in keying and schema parsing than in anything else, and the component opens and closes the file
// around every operation.
struct IdleConnection {
    CipherConnection::ReuseKey key;
    std::unique_ptr<OpenFiles::Registration> registration;
    std::unique_ptr<sqlite::Database> db;
};
constexpr std::size_t IdleLimit = 6;
thread_local std::vector<IdleConnection> t_idle;

std::optional<IdleConnection> takeIdle(const CipherConnection::ReuseKey& key) {
    for (auto it = t_idle.rbegin(); it != t_idle.rend(); ++it) {
        if (it->key == key) {
            IdleConnection found = std::move(*it);
            t_idle.erase(std::next(it).base());
            return found;
        }
    }
    return std::nullopt;
}

bool idleAndHealthy(sqlite::Database& db) {
    return !db.inTransaction() && sqlite3_next_stmt(db.handle(), nullptr) == nullptr;
}

} // namespace

std::shared_ptr<CipherConnection> CipherConnection::open(const QString& path, OpenMode mode,
                                                         const QString& password) {
    existingFile(path); // before the lock file appears next to something that is no database
    auto lock = std::make_unique<CompanionLock>(path, mode == OpenMode::Exclusive);
    const auto guard = OpenFiles::guard();
    const FileFacts facts = existingFile(path);
    std::optional<ReuseKey> reuseKey;
    if (mode != OpenMode::Exclusive) {
        reuseKey = ReuseKey{facts.identity, mode == OpenMode::SharedReadOnly, password};
        if (auto idle = takeIdle(*reuseKey)) {
            return std::make_shared<CipherConnection>(std::move(lock), std::move(idle->registration),
                                                      std::move(idle->db), reuseKey);
        }
    }
    QByteArray salt;
    if (!password.isEmpty()) {
        const auto held = OpenFiles::heldSalt(facts.identity);
        salt = held ? *held : saltOfUnheldFile(path);
        if (salt.isEmpty()) {
            throw notValidPassword(); // we hold it open as an unprotected file
        }
    }
    auto db = std::make_unique<sqlite::Database>(
        path, mode == OpenMode::SharedReadOnly ? sqlite::OpenFlags::ReadOnly : sqlite::OpenFlags::ReadWrite);
    if (!password.isEmpty()) {
        db->key(keys::rawKeyFor(password, salt));
    }
    if (mode == OpenMode::Exclusive) {
        // The sole user keeps its locks from the first statement to the close: later statements skip
        // taking them again and re-checking the file. Shared users must not: a reader kept open while
        // a writer of the same thread commits would hold that writer off.
        db->exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
    }
    configure(*db); // the busy timeout first: the probe may meet a writer's commit
    checkReadable(*db);
    auto registration = std::make_unique<OpenFiles::Registration>(facts.identity, salt);
    return std::make_shared<CipherConnection>(std::move(lock), std::move(registration), std::move(db),
                                              reuseKey);
}

std::shared_ptr<CipherConnection> CipherConnection::create(const QString& path, const QString& password) {
    if (somethingAt(path)) {
        throw DbError(ErrDatabaseExists, QStringLiteral("Database '%1' already exists.").arg(path));
    }
    auto lock = std::make_unique<CompanionLock>(path, true);
    const auto guard = OpenFiles::guard();
    createEmptyFile(path);
    try {
        auto db = std::make_unique<sqlite::Database>(path, sqlite::OpenFlags::ReadWrite);
        QByteArray salt;
        if (!password.isEmpty()) {
            salt = keys::newSalt();
            db->key(keys::rawKeyWithSalt(password, salt));
        }
        db->exec(QStringLiteral("PRAGMA user_version = 0")); // writes the first page, salt included, now
        configure(*db);
        const auto facts = factsOf(path);
        if (!facts) {
            throw fileNotFound(path);
        }
        auto registration = std::make_unique<OpenFiles::Registration>(facts->identity, salt);
        return std::make_shared<CipherConnection>(std::move(lock), std::move(registration), std::move(db));
    } catch (...) {
        ::unlink(QFile::encodeName(path).constData()); // ours, made above; the connection is gone already
        throw;
    }
}

CipherConnection::CipherConnection(std::unique_ptr<CompanionLock> lock,
                                   std::unique_ptr<OpenFiles::Registration> registration,
                                   std::unique_ptr<sqlite::Database> db, std::optional<ReuseKey> reuseKey)
    : m_lock(std::move(lock)), m_registration(std::move(registration)), m_db(std::move(db)),
      m_reuseKey(std::move(reuseKey)) {}

sqlite::Database& CipherConnection::db() {
    if (!m_db) {
        throw objectClosed();
    }
    return *m_db;
}

void CipherConnection::close() noexcept {
    if (m_db && m_reuseKey && idleAndHealthy(*m_db)) {
        try {
            if (t_idle.size() >= IdleLimit) {
                t_idle.erase(t_idle.begin());
            }
            t_idle.push_back(IdleConnection{*m_reuseKey, std::move(m_registration), std::move(m_db)});
        } catch (...) {
            // kept nothing: the connection is closed below
        }
    }
    m_db.reset();
    m_registration.reset();
    m_lock.reset();
}

} // namespace zav::store
