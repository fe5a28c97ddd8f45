#include "store/server/PgDatabase.h"

#include "store/SqlDialect.h"
#include "store/server/PgKeyChanges.h"
#include "store/server/PgRecordset.h"
#include "store/server/PgSchema.h"

namespace zav::pg {

using namespace store;

PgDatabase::PgDatabase(std::shared_ptr<Link> link, OpenMode mode) : m_link(std::move(link)), m_mode(mode) {
    m_link->acquire(mode);
}

PgDatabase::~PgDatabase() {
    end(false);
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
    if (readOnly() && m_levels.empty()) {
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
    const bool outermost = !db.inTransaction();
    m_levels.push_back(std::make_unique<Transaction>(
        db, readOnly() ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                       : QStringLiteral("BEGIN")));
    if (outermost && !readOnly()) {
        try {
            m_link->lockForWriting();
        } catch (...) {
            m_levels.pop_back();
            throw;
        }
    }
}

void PgDatabase::CommitTrans() {
    requireTransaction();
    connection();
    m_link->finishPendingReads();
    Transaction& level = *m_levels.back();
    try {
        if (readOnly()) {
            level.commitWithNext(); // its end goes with the next statement, at the latest the close's
        } else {
            level.commit();
        }
    } catch (...) {
        if (level.ended()) { // a failed statement rolled the transaction back
            m_levels.pop_back();
            TransactionEnded(false, TransactionDepth());
            m_link->forgetTables();
        }
        throw;
    }
    m_levels.pop_back();
    TransactionEnded(true, TransactionDepth());
}

void PgDatabase::Rollback() {
    requireTransaction();
    connection();
    m_link->finishPendingReads();
    m_link->forgetTables(); // it may take back a table it made
    const std::unique_ptr<Transaction> level = std::move(m_levels.back());
    m_levels.pop_back();
    level->rollback();
    TransactionEnded(false, TransactionDepth());
}

void PgDatabase::Close() {
    end(true);
}

// Close commits an exclusive open's transaction; a database dropped without Close rolls it back.
void PgDatabase::end(bool commit) {
    if (!m_link) {
        return;
    }
    try {
        m_link->finishPendingReads();
    } catch (...) {
        // a reader that cannot read on fails when it is next asked for a row
    }
    while (!m_levels.empty()) {
        try {
            Rollback();
        } catch (...) {
            m_levels.clear(); // the lost connection took the transaction with it
        }
    }
    std::exception_ptr failure;
    const bool committing = commit && holdsTransaction();
    if (committing) {
        try {
            m_link->commitExclusive();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    m_link->release(m_mode);
    m_link.reset();
    TransactionEnded(committing && !failure, 0);
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void PgDatabase::requireTransaction() const {
    if (m_levels.empty()) {
        throw DbError(ErrEngine, QStringLiteral("There is no transaction to commit or roll back."));
    }
}

} // namespace zav::pg
