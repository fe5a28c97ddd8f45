#pragma once

// The transactions and savepoints of a server connection.

#include "store/server/PgConnection.h"

#include <QLatin1StringView>

namespace zav::pg {

// Every savepoint has this one name: the server finds the newest of a name, and savepoints end in the
// reverse order of their start.
inline constexpr QLatin1StringView SavepointName("zav_savepoint");

// Begins a transaction (`begin` goes with the next statement, in the same round trip), or a savepoint
// inside one already open, so that a failure takes back only its own work. commit() makes the work
// permanent; a guard left uncommitted rolls back in its destructor, which never throws.
class Transaction {
public:
    explicit Transaction(Connection& connection, const QString& begin = QStringLiteral("BEGIN"));
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Throws when a statement of the transaction failed: the server then rolled it back.
    void commit();
    // For a transaction that only read: nothing can be lost, so its COMMIT goes with the next statement.
    void commitWithNext();
    void rollback();
    bool ended() const noexcept { return m_done; }

private:
    Connection& m_connection;
    bool m_nested;
    bool m_done = false;
};

} // namespace zav::pg
