#include "store/server/PgTransaction.h"

#include "store/server/ServerError.h"

namespace zav::pg {

Transaction::Transaction(Connection& connection, const QString& begin)
    : m_connection(connection), m_nested(connection.inTransaction()) {
    if (m_nested) {
        m_connection.exec(QStringLiteral("SAVEPOINT ") + SavepointName);
    } else {
        m_connection.sendWithNext(begin);
    }
}

Transaction::~Transaction() {
    if (m_done) {
        return;
    }
    try {
        rollback();
    } catch (...) {
        // a destructor never throws; the server drops the transaction with a lost connection
    }
}

void Transaction::commit() {
    if (m_nested) {
        m_connection.exec(QStringLiteral("RELEASE SAVEPOINT ") + SavepointName);
        m_done = true;
        return;
    }
    m_done = true; // whatever happens, the transaction has ended
    if (!m_connection.commit()) {
        throw ServerError(store::ErrEngine,
                          QStringLiteral("The transaction was rolled back: one of its statements failed."),
                          QStringLiteral("25P02"));
    }
}

void Transaction::commitWithNext() {
    if (m_nested || m_connection.transactionFailed()) {
        commit();
        return;
    }
    m_connection.sendWithNext(QStringLiteral("COMMIT"));
    m_done = true;
}

void Transaction::rollback() {
    m_done = true;
    if (m_nested) {
        m_connection.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + SavepointName);
        m_connection.exec(QStringLiteral("RELEASE SAVEPOINT ") + SavepointName);
    } else {
        m_connection.exec(QStringLiteral("ROLLBACK"));
    }
}

} // namespace zav::pg
