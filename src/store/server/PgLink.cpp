#include "store/server/PgLink.h"

#include "store/server/PgSchema.h"
#include "store/server/ServerAddress.h"
#include "store/server/ServerError.h"

#include <QHash>

namespace zav::pg {

namespace {
// Every open holds this lock for as long as it is open: shared opens share it, an exclusive open
// has it alone. Advisory locks belong to one database of the server.
constexpr qint64 OpenLockKey = 0x5a41565f4f50454e;
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
    db.exec(QStringLiteral("SAVEPOINT zav_statement"));
    try {
        Result result = db.exec(sql, parameters);
        db.exec(QStringLiteral("RELEASE SAVEPOINT zav_statement"));
        return result;
    } catch (...) {
        try {
            db.exec(QStringLiteral("ROLLBACK TO SAVEPOINT zav_statement"));
            db.exec(QStringLiteral("RELEASE SAVEPOINT zav_statement"));
        } catch (...) {
            // a lost connection took the transaction with it
        }
        throw;
    }
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

bool Link::tryLock(store::OpenMode mode) {
    const QString function = mode == store::OpenMode::Exclusive
                                 ? QStringLiteral("pg_try_advisory_lock")
                                 : QStringLiteral("pg_try_advisory_lock_shared");
    return connection()
        .exec(QStringLiteral("SELECT %1($1)").arg(function), {OpenLockKey})
        .value(0, 0)
        .toBool();
}

void Link::acquire(store::OpenMode mode) {
    const bool idle = m_sharedOpens == 0 && !m_exclusiveOpen;
    if (m_exclusiveOpen || (mode == store::OpenMode::Exclusive && !idle)) {
        throw store::DbError(
            store::ErrFileInUse,
            QStringLiteral("The database %1 is already in use by another user or panel.").arg(description()));
    }
    if (idle && m_connection && m_connection->isBroken()) {
        m_connection.reset();
    }
    bool locked = false;
    try {
        locked = tryLock(mode);
    } catch (const store::DbError& error) {
        // A connection kept while nobody used it finds out only now that the server restarted.
        if (!idle || error.Number() != store::ErrDiskOrNetwork || !m_connection ||
            !m_connection->isBroken()) {
            throw;
        }
        m_connection.reset();
        locked = tryLock(mode);
    }
    if (!locked) {
        throw store::DbError(
            store::ErrFileInUse,
            QStringLiteral("The database %1 is already in use by another user or panel.").arg(description()));
    }
    if (mode == store::OpenMode::Exclusive) {
        m_exclusiveOpen = true;
    } else {
        ++m_sharedOpens;
    }
}

void Link::release(store::OpenMode mode) noexcept {
    const bool exclusive = mode == store::OpenMode::Exclusive;
    if (exclusive) {
        m_exclusiveOpen = false;
    } else {
        --m_sharedOpens;
    }
    try {
        if (m_connection && !m_connection->isBroken()) {
            m_connection->exec(QStringLiteral("SELECT %1($1)")
                                   .arg(exclusive ? QStringLiteral("pg_advisory_unlock")
                                                  : QStringLiteral("pg_advisory_unlock_shared")),
                               {OpenLockKey});
        }
    } catch (...) {
        // a lost connection took its locks with it
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
