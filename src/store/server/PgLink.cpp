#include "store/server/PgLink.h"

#include "store/server/PgSchema.h"
#include "store/server/ServerAddress.h"
#include "store/server/ServerError.h"

#include <QHash>

namespace zav::pg {

namespace {
const QString LockNotAvailable = QStringLiteral("55P03");
const QString InsufficientPrivilege = QStringLiteral("42501");

QString lockOpenTable(const QString& mode) {
    return QStringLiteral("LOCK TABLE %1 IN %2 MODE").arg(schema::quoted(schema::OpenLockTable), mode);
}

// The id of the open transaction, by which a commit whose answer is lost learns its outcome.
void rememberTransactionId(Connection& db) {
    db.rememberTransactionId(db.exec(QStringLiteral("SELECT txid_current()")).value(0, 0).toLongLong());
}

store::DbError inUse(const QString& description) {
    return store::DbError(
        store::ErrFileInUse,
        QStringLiteral("The database %1 is already in use by another user or panel.").arg(description));
}

// Made by the owner's first exclusive open, in its transaction: a rollback takes it back. A role that
// may not create tables leaves the database on the advisory locks.
bool createOpenLockTable(Connection& db) {
    try {
        Transaction creation(db);
        db.exec(QStringLiteral("CREATE TABLE %1 ()").arg(schema::quoted(schema::OpenLockTable)));
        creation.commit();
        return true;
    } catch (const ServerError& error) {
        if (error.Number() == store::ErrDiskOrNetwork) {
            throw;
        }
        return false;
    }
}
} // namespace

// Per thread: a libpq connection serves one thread at a time, and the component reaches its database
// from one thread, so a process has one connection per database.
std::shared_ptr<Link> Link::of(const QString& uri) {
    thread_local QHash<QString, std::shared_ptr<Link>> links;
    auto& link = links[uri];
    if (!link) {
        link = std::make_shared<Link>(uri);
    }
    return link;
}

Connection& Link::connection() {
    if (!m_connection) {
        m_tables.clear();
        m_connection = std::make_unique<Connection>(m_uri);
        schema::loadCollation(*m_connection);
    }
    return *m_connection;
}

bool Link::tableExists(const QString& name) {
    const QString key = name.toLower();
    if (m_tables.contains(key)) {
        return true;
    }
    const bool exists = schema::tableExists(connection(), name);
    if (exists) {
        m_tables.insert(key);
    }
    return exists;
}

bool Link::routineExists(const QString& name) {
    const QString key = QStringLiteral("()") + name.toLower();
    if (m_tables.contains(key)) {
        return true;
    }
    const bool exists = connection()
                            .exec(QStringLiteral("SELECT count(*) FROM pg_proc WHERE proname = $1 AND "
                                                 "pronamespace = current_schema()::regnamespace"),
                                  {name.toLower()})
                            .value(0, 0)
                            .toInt() > 0;
    if (exists) {
        m_tables.insert(key);
    }
    return exists;
}

Result Link::write(const QString& sql, const QVariantList& parameters) {
    Connection& db = connection();
    if (!db.inTransaction()) {
        return db.exec(sql, parameters);
    }
    Transaction statement(db);
    Result result = db.exec(sql, parameters);
    statement.commit();
    return result;
}

const std::vector<QString>& Link::primaryKey(const QString& table) {
    auto& key = m_primaryKeys[table.toLower()];
    if (key.empty()) { // a table without one may gain it: asked again next time
        key = schema::primaryKey(connection(), table);
    }
    return key;
}

QString Link::description() const {
    return describeServer(m_uri);
}

// Whether no other open holds the table alone, in one round trip that leaves nothing held. Inside a
// transaction of another open of this process the probe's lock lasts as long as that transaction.
bool Link::probeOpenLock() {
    Connection& db = connection();
    const QString lock = lockOpenTable(QStringLiteral("ACCESS SHARE")) + QStringLiteral(" NOWAIT");
    const bool inside = db.inTransaction();
    try {
        if (inside) {
            Transaction probe(db);
            db.exec(lock);
            probe.commit();
        } else {
            db.execScript(QStringLiteral("BEGIN; %1; COMMIT").arg(lock));
        }
        return true;
    } catch (const ServerError& error) {
        if (!inside && db.transactionFailed()) {
            db.exec(QStringLiteral("ROLLBACK"));
        }
        if (error.SqlState() == InsufficientPrivilege) {
            return true; // a role that may not lock the table cannot hold it either
        }
        if (error.SqlState() == LockNotAvailable) {
            return false;
        }
        throw;
    }
}

bool Link::tryLockShared() {
    if (m_tableLocks) {
        return probeOpenLock();
    }
    // Before the table exists: whether an exclusive open holds the advisory lock, asked in a transaction
    // of its own that leaves nothing held (a pooler keeps no session's locks).
    Connection& db = connection();
    Transaction probe(db);
    const bool free = db.exec(QStringLiteral("SELECT pg_try_advisory_xact_lock_shared($1)"), {OpenLockKey})
                          .value(0, 0)
                          .toBool();
    probe.commitWithNext();
    if (!free) {
        return false;
    }
    // An init that made the table just before we asked left the advisory locks behind.
    if (!tableExists(schema::OpenLockTable)) {
        return true;
    }
    m_tableLocks = true;
    return probeOpenLock();
}

bool Link::tryLockExclusive() {
    Connection& db = connection();
    auto transaction = std::make_unique<Transaction>(db); // its BEGIN goes with the lock
    if (!m_tableLocks) {
        if (!db.exec(QStringLiteral("SELECT pg_try_advisory_xact_lock($1)"), {OpenLockKey})
                 .value(0, 0)
                 .toBool()) {
            return false;
        }
        m_tableLocks = tableExists(schema::OpenLockTable) || createOpenLockTable(db);
    }
    if (m_tableLocks) {
        try {
            db.sendWithNext(lockOpenTable(QStringLiteral("ACCESS EXCLUSIVE")) + QStringLiteral(" NOWAIT"));
            rememberTransactionId(db);
        } catch (const ServerError& error) {
            if (error.SqlState() == LockNotAvailable) {
                return false;
            }
            throw;
        }
    }
    if (!m_tableLocks) {
        rememberTransactionId(db);
    }
    m_exclusive = std::move(transaction);
    return true;
}

void Link::acquire(store::OpenMode mode) {
    const bool idle = m_sharedOpens == 0 && !m_exclusiveOpen;
    if (m_exclusiveOpen || (mode == store::OpenMode::Exclusive && !idle)) {
        throw inUse(description());
    }
    if (idle && std::chrono::steady_clock::now() < m_silentUntil) {
        throw unreachable(description(),
                          QStringLiteral("it gave no answer within the deadline a moment ago"));
    }
    // After a deadline passed, the opens of the next deadline fail at once.
    const auto noteSilence = [&](const store::DbError& error) {
        if (deadlinePassed(error)) {
            const int deadline = m_connection ? m_connection->deadlineMs() : Connection::DefaultDeadlineMs;
            m_silentUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadline);
        }
    };
    // A connection lost in any way (a restart, a crash, a failover, a deadline) is made anew by the
    // first open after it, when nothing of this process is open on it any more.
    const auto reconnect = [&] {
        m_tables.clear();
        m_connection->reopen();
        schema::loadCollation(*m_connection);
    };
    try {
        if (idle && m_connection && m_connection->isBroken()) {
            reconnect();
        }
    } catch (const store::DbError& error) {
        noteSilence(error);
        throw;
    }
    const auto tryLock = [&] {
        if (idle) { // the table, once there, stays: a link in use keeps the locks it started with
            m_tableLocks = tableExists(schema::OpenLockTable);
        }
        return mode == store::OpenMode::Exclusive ? tryLockExclusive() : tryLockShared();
    };
    bool locked = false;
    try {
        locked = tryLock();
    } catch (const store::DbError& error) {
        // A connection kept while nobody used it finds out only now that the server dropped it; one that
        // waited out its deadline is not tried again at once.
        noteSilence(error);
        if (!idle || error.Number() != store::ErrDiskOrNetwork || deadlinePassed(error) || !m_connection ||
            !m_connection->isBroken()) {
            throw;
        }
        try {
            reconnect();
            locked = tryLock();
        } catch (const store::DbError& again) {
            noteSilence(again);
            throw;
        }
    }
    if (!locked) {
        throw inUse(description());
    }
    if (mode == store::OpenMode::Exclusive) {
        m_exclusiveOpen = true;
    } else {
        ++m_sharedOpens;
    }
}

void Link::commitExclusive() {
    try {
        m_exclusive->commit();
    } catch (...) {
        m_tables.clear(); // the tables it made are gone
        throw;
    }
}

void Link::release(store::OpenMode mode) noexcept {
    if (mode == store::OpenMode::Exclusive) {
        m_exclusiveOpen = false;
        if (m_exclusive && !m_exclusive->ended()) {
            m_tables.clear(); // the rollback takes back the tables it made
        }
        m_exclusive.reset();
        return;
    }
    --m_sharedOpens;
    try {
        if (m_connection && !m_connection->isBroken()) {
            m_connection->execScript(QString()); // a read-only transaction's COMMIT that waits
        }
    } catch (...) {
        // a lost connection ended its transaction with it
    }
}

// The lock, its timeout and the transaction's id go in one round trip.
void Link::lockForWriting() {
    Connection& db = connection();
    db.sendWithNext(QStringLiteral("SET LOCAL lock_timeout = %1").arg(db.lockTimeoutMs()));
    if (m_tableLocks) {
        db.sendWithNext(lockOpenTable(QStringLiteral("EXCLUSIVE")));
        rememberTransactionId(db);
    } else {
        db.rememberTransactionId(
            db.exec(QStringLiteral("SELECT txid_current() FROM pg_advisory_xact_lock($1)"), {WriteLockKey})
                .value(0, 0)
                .toLongLong());
    }
}

void Link::addPendingRead(PendingRead* reader) {
    m_pendingReads.push_back(reader);
}

void Link::removePendingRead(PendingRead* reader) noexcept {
    std::erase(m_pendingReads, reader);
}

void Link::finishPendingReads() {
    while (!m_pendingReads.empty()) {
        PendingRead* reader = m_pendingReads.back();
        removePendingRead(reader);
        reader->readRest();
    }
}

} // namespace zav::pg
