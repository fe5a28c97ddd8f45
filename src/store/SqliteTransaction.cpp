#include "store/SqliteTransaction.h"

namespace zav::sqlite {

Transaction::Transaction(Database& db) : m_db(db) {
    m_db.exec(QStringLiteral("SAVEPOINT zav_work"));
}

Transaction::~Transaction() {
    if (!m_done) {
        try {
            m_db.exec(QStringLiteral("ROLLBACK TO zav_work; RELEASE zav_work"));
        } catch (...) {
            // a destructor never throws; closing the connection drops what is left
        }
    }
}

void Transaction::commit() {
    m_db.exec(QStringLiteral("RELEASE zav_work"));
    m_done = true;
}

} // namespace zav::sqlite
