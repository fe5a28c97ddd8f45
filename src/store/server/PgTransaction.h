#pragma once

// The transaction guard of a server connection and the advisory locks that last as long as a
// transaction.

#include "store/server/PgConnection.h"

namespace zav::pg {

// Begins a transaction, or a savepoint inside one already open (so a failure takes back only its own
// work). commit() makes the work permanent; a guard left uncommitted rolls back in its destructor,
// which never throws.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Throws when a statement of the transaction failed: the server then rolled it back.
    void commit();

private:
    Connection& m_connection;
    bool m_nested;
    bool m_done = false;
};

// Takes the advisory lock `key` until the open transaction ends (released by commit or rollback),
// waiting at most the connection's lock timeout; then error 3218.
void lockUntilTransactionEnds(Connection& connection, qint64 key);
// Takes it only when nobody holds it.
bool tryLockUntilTransactionEnds(Connection& connection, qint64 key);

} // namespace zav::pg
