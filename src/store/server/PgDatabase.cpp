#include "store/server/PgDatabase.h"

#include "store/SqlDialect.h"
#include "store/server/PgKeyChanges.h"
#include "store/server/PgRecordset.h"
#include "store/server/PgSchema.h"
#include "store/server/PgTransaction.h"

namespace zav::pg {

using namespace store;

namespace {
const QString Savepoint = QStringLiteral("zav_trans");
}

PgDatabase::PgDatabase(std::shared_ptr<Link> link, OpenMode mode) : m_link(std::move(link)), m_mode(mode) {
    m_link->acquire(mode);
}

PgDatabase::~PgDatabase() {
    Close();
}

Connection& PgDatabase::connection() {
    if (!m_link) {
        throw DbError(ErrEngine, QStringLiteral("The database or recordset has been closed."));
    }
    return m_link->connection();
}

void PgDatabase::Execute(const QString& sql, const QVariantList& parameters) {
    const QString translated = dialect::translateForServer(sql);
    Connection& db = connection();
    m_link->finishPendingReads();
    if (readOnly() && m_transactionDepth == 0) {
        store::Transaction change(*this); // read only: a write fails with 3027
        db.exec(translated, parameters);
        change.Commit();
        return;
    }
    m_link->write(translated, parameters);
}

std::unique_ptr<Recordset> PgDatabase::OpenRecordset(const QString& sql, const QVariantList& parameters) {
    const QString translated = dialect::translateForServer(sql);
    connection();
    return std::make_unique<PgRecordset>(m_link, translated, readOnly(), parameters);
}

bool PgDatabase::TableExists(const QString& name) {
    connection();
    return m_link->tableExists(name);
}

bool PgDatabase::RoutineExists(const QString& name) {
    connection();
    return m_link->routineExists(name);
}

void PgDatabase::ExecuteServerScript(const QString& sql) {
    Connection& db = connection();
    m_link->finishPendingReads();
    if (readOnly()) {
        throw DbError(ErrReadOnly, QStringLiteral("The database is open for reading only."));
    }
    store::Transaction change(*this);
    db.execScript(sql);
    change.Commit();
}

void PgDatabase::CreateTable(const TableDef& table) {
    store::Transaction change(*this);
    schema::createTable(connection(), table);
    change.Commit();
}

std::vector<RelationDef> PgDatabase::Relations() {
    return schema::relations(connection());
}

void PgDatabase::CreateRelation(const RelationDef& relation) {
    store::Transaction change(*this);
    schema::createRelation(connection(), relation);
    change.Commit();
}

std::vector<TableDef> PgDatabase::TableDefs() {
    return schema::tableDefs(connection());
}

void PgDatabase::ChangeKeys(const QString& table, const QString& field,
                            const std::vector<KeyChange>& changes) {
    if (changes.empty()) {
        return;
    }
    store::Transaction change(*this);
    changeKeys(connection(), table, field, changes);
    change.Commit();
}

// The outermost transaction of a writer takes the write lock at once, as the file engine's BEGIN
// IMMEDIATE does: two writers never both read and then wait for each other. BEGIN goes with the first
// statement of the transaction (the write lock, or the first read), in the same round trip; a read-only
// transaction takes its snapshot at that statement all the same.
void PgDatabase::BeginTrans() {
    Connection& db = connection();
    m_link->finishPendingReads();
    if (m_transactionDepth > 0 || db.inTransaction()) {
        db.exec(QStringLiteral("SAVEPOINT ") + Savepoint);
        m_outermostNested = m_transactionDepth == 0 ? true : m_outermostNested;
    } else if (readOnly()) {
        db.sendWithNext(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
        m_outermostNested = false;
    } else {
        db.sendWithNext(QStringLiteral("BEGIN"));
        m_outermostNested = false;
        if (m_mode == OpenMode::SharedReadWrite) {
            try {
                lockUntilTransactionEnds(db, WriteLockKey);
            } catch (...) {
                db.exec(QStringLiteral("ROLLBACK"));
                throw;
            }
        }
    }
    ++m_transactionDepth;
}

void PgDatabase::CommitTrans() {
    requireTransaction();
    Connection& db = connection();
    m_link->finishPendingReads();
    if (m_transactionDepth > 1 || m_outermostNested) {
        db.exec(QStringLiteral("RELEASE SAVEPOINT ") + Savepoint);
    } else if (readOnly() && !db.transactionFailed()) {
        // Nothing it read can be lost: its end goes with the next statement, at the latest the close's.
        db.sendWithNext(QStringLiteral("COMMIT"));
    } else {
        const Result result = db.exec(QStringLiteral("COMMIT"));
        if (result.commandStatus() != u"COMMIT") {
            --m_transactionDepth;
            TransactionEnded(false, m_transactionDepth);
            m_link->forgetTables();
            throw DbError(ErrEngine,
                          QStringLiteral("The transaction was rolled back: one of its statements failed."));
        }
    }
    --m_transactionDepth;
    TransactionEnded(true, m_transactionDepth);
}

void PgDatabase::Rollback() {
    requireTransaction();
    Connection& db = connection();
    m_link->finishPendingReads();
    m_link->forgetTables(); // it may take back a table it made
    --m_transactionDepth;
    if (m_transactionDepth > 0 || m_outermostNested) {
        db.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + Savepoint);
        db.exec(QStringLiteral("RELEASE SAVEPOINT ") + Savepoint);
    } else {
        db.exec(QStringLiteral("ROLLBACK"));
    }
    TransactionEnded(false, m_transactionDepth);
}

void PgDatabase::Close() {
    if (!m_link) {
        return;
    }
    try {
        m_link->finishPendingReads();
    } catch (...) {
        // a reader that cannot read on fails when it is next asked for a row
    }
    while (m_transactionDepth > 0) {
        try {
            Rollback();
        } catch (...) {
            m_transactionDepth = 0; // the lost connection took the transaction with it
        }
    }
    TransactionEnded(false, 0);
    m_link->release(m_mode);
    m_link.reset();
}

void PgDatabase::requireTransaction() const {
    if (m_transactionDepth == 0) {
        throw DbError(ErrEngine, QStringLiteral("There is no transaction to commit or roll back."));
    }
}

} // namespace zav::pg
