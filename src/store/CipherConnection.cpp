#include "store/CipherConnection.h"

#include "store/ErrorMapping.h"
#include "store/GeneralCollation.h"
#include "store/KeyDerivation.h"
#include "store/SqliteStatement.h"
#include "store/platform/FileSystem.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
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

// The first bytes of the file, read through the connection's own descriptor: SQLite's POSIX locks
// belong to the process and closing any other descriptor of the file would drop them all.
QByteArray fileStart(sqlite::Database& db, int count) {
    sqlite3_file* file = nullptr;
    db.check(sqlite3_file_control(db.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file));
    QByteArray bytes(count, '\0');
    if (!file || !file->pMethods || file->pMethods->xRead(file, bytes.data(), count, 0) != SQLITE_OK) {
        return {};
    }
    return bytes;
}

// Keys a new connection by the salt in the file's first bytes. A file in SQLite's plain format is a
// database, but not one this password protects.
void keyBySalt(sqlite::Database& db, const DatabasePlace& place, const QString& password) {
    const QByteArray salt = fileStart(db, keys::SaltSize);
    if (salt.size() < keys::SaltSize) {
        throw notADatabase(place.given);
    }
    if (salt == PlainHeader) {
        throw notValidPassword();
    }
    db.key(keys::rawKeyFor(password, salt));
}

FileFacts existingFile(const DatabasePlace& place) {
    const auto facts = factsOf(place.real);
    if (!facts) {
        throw fileNotFound(place.given);
    }
    if (!facts->regular || facts->size == 0 || facts->size % SmallestPage != 0) {
        throw notADatabase(place.given);
    }
    return *facts;
}

std::unique_ptr<sqlite::Database> openKeyedOnce(const DatabasePlace& place, OpenMode mode,
                                                const QString& password) {
    auto db = std::make_unique<sqlite::Database>(place.real, mode == OpenMode::SharedReadOnly
                                                                 ? sqlite::OpenFlags::ReadOnly
                                                                 : sqlite::OpenFlags::ReadWrite);
    if (!password.isEmpty()) {
        keyBySalt(*db, place, password);
    }
    if (mode == OpenMode::Exclusive) {
        // The sole user keeps its locks from the first statement to the close: later statements skip
        // taking them again and re-checking the file. Shared users must not: a reader kept open while
        // a writer of the same thread commits would hold that writer off.
        db->exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
    }
    configure(*db); // the busy timeout first: the probe may meet a writer's commit
    checkReadable(*db);
    return db;
}

// A writer that was cut off mid-commit leaves its journal behind, and only a connection that may
// write can roll it back; until then every read-only connection is refused. Readers share the file
// with writers anyway, so putting it back as it was before that write is no change of theirs.
void rollBackCutOffWrite(const DatabasePlace& place, const QString& password) {
    openKeyedOnce(place, OpenMode::SharedReadWrite, password);
}

std::unique_ptr<sqlite::Database> openKeyed(const DatabasePlace& place, OpenMode mode,
                                            const QString& password) {
    try {
        return openKeyedOnce(place, mode, password);
    } catch (const sqlite::Exception& error) {
        if (mode != OpenMode::SharedReadOnly || error.extendedErrorCode() != SQLITE_READONLY_ROLLBACK) {
            throw;
        }
        try {
            rollBackCutOffWrite(place, password);
        } catch (...) {
            throw error; // this user may not write: the reader's own failure tells most
        }
    }
    return openKeyedOnce(place, mode, password);
}

// Idle shared connections of this thread, the most recently used last. Opening a file costs far more
// in keying and schema parsing than in anything else, and the component opens and closes the file
// around every operation.
struct IdleConnection {
    CipherConnection::ReuseKey key;
    QString realPath;
    std::unique_ptr<sqlite::Database> db;
};
constexpr std::size_t IdleLimit = 6;
thread_local std::vector<IdleConnection> t_idle;

// Connections to a file that is no longer at its path (deleted, or replaced by another file) are of
// no further use.
void dropReplaced(const QString& realPath, const FileIdentity& current) {
    std::erase_if(t_idle, [&](const IdleConnection& idle) {
        return idle.realPath == realPath && idle.key.identity != current;
    });
}

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

// A kept connection serves again only if it still reads the file: one copied over it in place (a new
// salt, another password) or a writer's journal left by a crash make the probe fail.
bool stillReads(sqlite::Database& db) noexcept {
    try {
        const sqlite::KeptStatement probe(db, QStringLiteral("PRAGMA schema_version")); // the first page only
        probe->executeStep();
        return true;
    } catch (...) {
        return false;
    }
}

bool isIdle(sqlite::Database& db) {
    return !db.inTransaction() && db.statementsInUse() == 0;
}

DbError cannotCreate(const QString& path, int error) {
    return DbError(
        ErrEngine,
        QStringLiteral("Cannot create '%1': %2").arg(path, QString::fromLocal8Bit(std::strerror(error))),
        error);
}

DbError alreadyExists(const QString& path) {
    return DbError(ErrDatabaseExists, QStringLiteral("Database '%1' already exists.").arg(path));
}

// Only an empty regular file may be taken over by a creation: it holds nothing.
bool isEmptyFile(const std::optional<FileFacts>& entry) {
    return entry && entry->regular && entry->size == 0;
}

// Writes a new database's first page, the salt with it, into the file `aside`.
void writeNewFile(const QString& aside, const QString& password, mode_t permissions) {
    const QByteArray encoded = QFile::encodeName(aside);
    // A leftover of a creation that was cut off: nobody else uses it.
    platform::removeFile(encoded.constData());
    if (const int error = platform::createFile(encoded.constData(), permissions); error != 0) {
        throw cannotCreate(aside, error);
    }
    {
        sqlite::Database db(aside, sqlite::OpenFlags::ReadWrite);
        if (!password.isEmpty()) {
            db.key(keys::rawKeyWithSalt(password, keys::newSalt()));
        }
        db.exec(QStringLiteral("PRAGMA journal_mode = OFF")); // the file is thrown away if this fails
        db.exec(QStringLiteral("PRAGMA user_version = 0"));   // writes the first page, salt included, now
    }
    platform::syncFile(encoded.constData());
}

// Moves the finished file to its place; never over anything but an empty file.
void moveIntoPlace(const QString& aside, const DatabasePlace& place, bool replaceEmpty) {
    const QByteArray from = QFile::encodeName(aside);
    const QByteArray to = QFile::encodeName(place.real);
    if (replaceEmpty) {
        if (const int error = platform::renameOver(from.constData(), to.constData()); error != 0) {
            throw cannotCreate(place.given, error);
        }
    } else if (int error = platform::renameNoReplace(from.constData(), to.constData()); error != 0) {
        if (error == EINVAL || error == ENOSYS) { // a file system without it: a hard link refuses too
            error = platform::hardLink(from.constData(), to.constData());
            platform::removeFile(from.constData());
        }
        if (error == EEXIST) {
            throw alreadyExists(place.given);
        }
        if (error != 0) {
            throw cannotCreate(place.given, error);
        }
    }
    syncFolderOf(place.real);
}

} // namespace

std::shared_ptr<CipherConnection> CipherConnection::open(const QString& path, OpenMode mode,
                                                         const QString& password) {
    const DatabasePlace place = placeOf(path);
    const FileFacts before = existingFile(place); // before the lock file appears next to no database
    const auto kind = mode == OpenMode::Exclusive        ? CompanionLock::Kind::Exclusive
                      : mode == OpenMode::SharedReadOnly ? CompanionLock::Kind::SharedReader
                                                         : CompanionLock::Kind::Shared;
    auto lock = std::make_unique<CompanionLock>(place, kind, before.permissions);
    const FileFacts facts = existingFile(place);
    std::optional<ReuseKey> reuseKey;
    if (mode != OpenMode::Exclusive) {
        reuseKey = ReuseKey{facts.identity, mode == OpenMode::SharedReadOnly, password};
        dropReplaced(place.real, facts.identity);
        if (auto idle = takeIdle(*reuseKey); idle && stillReads(*idle->db)) {
            return std::make_shared<CipherConnection>(std::move(lock), std::move(idle->db), place.real,
                                                      reuseKey);
        }
    }
    return std::make_shared<CipherConnection>(std::move(lock), openKeyed(place, mode, password), place.real,
                                              reuseKey);
}

std::shared_ptr<CipherConnection> CipherConnection::create(const QString& path, const QString& password) {
    if (somethingAt(path, false)) {
        throw alreadyExists(path); // a link too, even one that leads nowhere
    }
    const DatabasePlace place = placeOf(path, LongestNewDatabasePath);
    const auto previous = entryFactsOf(place.real);
    const mode_t permissions = previous ? previous->permissions : OwnerOnly;
    auto lock = std::make_unique<CompanionLock>(place, CompanionLock::Kind::Exclusive, permissions);
    const auto underLock = entryFactsOf(place.real);
    if (underLock && !(previous && isEmptyFile(underLock) && underLock->identity == previous->identity)) {
        throw alreadyExists(place.given);
    }
    const QString aside = place.real + QStringLiteral("-create");
    try {
        writeNewFile(aside, password, permissions);
        moveIntoPlace(aside, place, previous.has_value());
    } catch (...) {
        platform::removeFile(QFile::encodeName(aside).constData());
        throw;
    }
    return std::make_shared<CipherConnection>(std::move(lock),
                                              openKeyed(place, OpenMode::Exclusive, password), place.real);
}

CipherConnection::CipherConnection(std::unique_ptr<CompanionLock> lock, std::unique_ptr<sqlite::Database> db,
                                   QString realPath, std::optional<ReuseKey> reuseKey)
    : m_lock(std::move(lock)), m_db(std::move(db)), m_realPath(std::move(realPath)),
      m_reuseKey(std::move(reuseKey)) {}

sqlite::Database& CipherConnection::db() {
    if (!m_db) {
        throw objectClosed();
    }
    return *m_db;
}

void CipherConnection::addPendingRead(PendingRead* reader) {
    m_pendingReads.push_back(reader);
}

void CipherConnection::removePendingRead(PendingRead* reader) noexcept {
    std::erase(m_pendingReads, reader);
}

void CipherConnection::finishPendingReads() {
    while (!m_pendingReads.empty()) {
        PendingRead* reader = m_pendingReads.back();
        removePendingRead(reader); // even when reading fails: it is not asked again
        reader->readRest();
    }
}

void CipherConnection::close() noexcept {
    try {
        finishPendingReads();
    } catch (...) {
        // a reader that cannot read on fails when it is next asked for a row
    }
    if (m_db && m_reuseKey && isIdle(*m_db)) {
        try {
            if (t_idle.size() >= IdleLimit) {
                t_idle.erase(t_idle.begin());
            }
            t_idle.push_back(IdleConnection{*m_reuseKey, m_realPath, std::move(m_db)});
        } catch (...) {
            // kept nothing: the connection is closed below
        }
    }
    m_db.reset();
    m_lock.reset();
}

} // namespace zav::store
