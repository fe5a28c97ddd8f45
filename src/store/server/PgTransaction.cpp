#include "store/server/PgTransaction.h"

#include "store/server/ServerError.h"

namespace zav::pg {

namespace {
// Savepoints of nested guards share the name: the server picks the newest, and guards end in reverse.
const QString Savepoint = QStringLiteral("zav_nested");

void requireTransaction(const Connection& connection) {
    if (!connection.inTransaction()) {
        throw store::DbError(store::ErrEngine,
                             QStringLiteral("An advisory lock of a transaction needs an open transaction."));
    }
}
} // namespace

Transaction::Transaction(Connection& connection)
    : m_connection(connection), m_nested(connection.inTransaction()) {
    m_connection.exec(m_nested ? QStringLiteral("SAVEPOINT ") + Savepoint : QStringLiteral("BEGIN"));
}

Transaction::~Transaction() {
    if (m_done) {
        return;
    }
    try {
        if (m_nested) {
            m_connection.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + Savepoint);
            m_connection.exec(QStringLiteral("RELEASE SAVEPOINT ") + Savepoint);
        } else {
            m_connection.exec(QStringLiteral("ROLLBACK"));
        }
    } catch (...) {
        // a destructor never throws; the server drops the transaction with a lost connection
    }
}

void Transaction::commit() {
    if (m_nested) {
        m_connection.exec(QStringLiteral("RELEASE SAVEPOINT ") + Savepoint);
        m_done = true;
        return;
    }
    // COMMIT of a transaction in which a statement failed rolls back and reports no error of its own.
    const Result result = m_connection.exec(QStringLiteral("COMMIT"));
    m_done = true;
    if (result.commandStatus() != u"COMMIT") {
        throw ServerError(store::ErrEngine,
                          QStringLiteral("The transaction was rolled back: one of its statements failed."),
                          QStringLiteral("25P02"));
    }
}

void lockUntilTransactionEnds(Connection& connection, qint64 key) {
    requireTransaction(connection);
    connection.exec(QStringLiteral("SELECT pg_advisory_xact_lock($1)"), {key});
}

bool tryLockUntilTransactionEnds(Connection& connection, qint64 key) {
    requireTransaction(connection);
    return connection.exec(QStringLiteral("SELECT pg_try_advisory_xact_lock($1)"), {key})
        .value(0, 0)
        .toBool();
}

} // namespace zav::pg
