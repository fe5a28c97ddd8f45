#pragma once

// The one connection of this process to a server database, shared by every database object open on it
// and kept when they close: connecting costs a round trip or more, and the component opens and closes
// its database around every operation. The open modes and the write lock live here, as locks of the
// table openlock (PgSchema.h), which only roles with a right to write may lock: any role that can
// connect can take an advisory lock. An exclusive open is one transaction that holds the table alone
// until it closes; a shared open checks that nobody holds it so, and holds nothing; a writer's
// transaction holds it against other writers and exclusive opens. A database without the table (before
// its first init, which makes it) falls back to advisory locks.

#include "store/Engine.h"
#include "store/server/PgConnection.h"
#include "store/server/PgTransaction.h"

#include <QSet>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

namespace zav::pg {

// A recordset that has not read its rows yet. Before anything is written through the connection it
// reads them, so each sees its rows as they were when it opened.
class PendingRead {
public:
    virtual void readRest() = 0;

protected:
    ~PendingRead() = default;
};

class Link {
public:
    // The link of this thread to the database the URI names; it connects when first used.
    static std::shared_ptr<Link> of(const QString& uri);
    explicit Link(QString uri) : m_uri(std::move(uri)) {}

    // Takes the lock of an open in `mode` (3045 when another open, here or elsewhere, conflicts). The
    // first open of an unused link connects, and connects again when the connection was lost.
    void acquire(store::OpenMode mode);
    // Commits the transaction of the exclusive open; throws when that fails (then it rolled back).
    void commitExclusive();
    // Ends an open; what an exclusive open did and has not committed is rolled back.
    void release(store::OpenMode mode) noexcept;
    // Takes the write lock until the open transaction ends, waiting at most the lock timeout (3218).
    void lockForWriting();

    Connection& connection();
    QString description() const;
    // Whether the table exists. A table seen once is taken to stay (the component drops none), so a
    // check asks the server only once per connection, until a rollback, which may take back a table
    // its transaction made.
    bool tableExists(const QString& name);
    void forgetTables() noexcept { m_tables.clear(); }
    // Whether a function of that name exists, asked once per connection like a table.
    bool routineExists(const QString& name);
    // Runs a write. Inside a transaction one that fails takes back only itself, as on the file: the
    // server would otherwise end the whole transaction.
    Result write(const QString& sql, const QVariantList& parameters = {});

    // The primary key of `table` (PgSchema.h), learnt once per table: the tables' keys never change.
    const std::vector<QString>& primaryKey(const QString& table);

    void addPendingRead(PendingRead* reader);
    void removePendingRead(PendingRead* reader) noexcept;
    void finishPendingReads();

private:
    bool tryLockExclusive();
    bool tryLockShared();
    bool probeOpenLock();

    QString m_uri;
    std::unique_ptr<Connection> m_connection;
    // After a server left a call unanswered until its deadline, the opens of the next deadline fail at
    // once: a logout that reads twice, or a screen that asks again, does not wait twice.
    std::chrono::steady_clock::time_point m_silentUntil;
    std::unique_ptr<Transaction> m_exclusive; // the exclusive open's transaction
    int m_sharedOpens = 0;
    bool m_exclusiveOpen = false;
    bool m_tableLocks = false; // the opens use openlock, not the advisory locks
    std::vector<PendingRead*> m_pendingReads;
    QSet<QString> m_tables; // seen to exist, in lower case (functions as "()name")
    std::map<QString, std::vector<QString>> m_primaryKeys;
};

// The advisory locks of a database without openlock: every open holds the first (shared opens share it,
// an exclusive open has it alone), writers take the second for their transaction.
inline constexpr qint64 OpenLockKey = 0x5a41565f4f50454e;
inline constexpr qint64 WriteLockKey = 0x5a41565f57524954;

} // namespace zav::pg
