#include "store/SqlCipherDatabase.h"

#include "store/ErrorMapping.h"
#include "store/FieldValues.h"
#include "store/KeyChanges.h"
#include "store/SchemaSql.h"
#include "store/SqlCipherRecordset.h"
#include "store/SqlDialect.h"
#include "store/SqliteStatement.h"

namespace zav::store {

SqlCipherDatabase::SqlCipherDatabase(std::shared_ptr<CipherConnection> connection)
    : m_connection(std::move(connection)) {}

SqlCipherDatabase::~SqlCipherDatabase() {
    m_connection->close();
}

void SqlCipherDatabase::Execute(const QString& sql, const QVariantList& parameters) {
    const QString translated = dialect::translate(sql);
    m_connection->finishPendingReads();
    translatingErrors([&] {
        const sqlite::KeptStatement statement(m_connection->db(), translated);
        bindParameters(*statement, parameters);
        statement->exec();
    });
}

void SqlCipherDatabase::ExecuteFileScript(const QString& sql) {
    m_connection->finishPendingReads();
    translatingErrors([&] { m_connection->db().exec(sql); });
}

std::unique_ptr<Recordset> SqlCipherDatabase::OpenRecordset(const QString& sql,
                                                            const QVariantList& parameters) {
    const QString translated = dialect::translate(sql);
    return translatingErrors([&]() -> std::unique_ptr<Recordset> {
        return std::make_unique<SqlCipherRecordset>(m_connection, translated, parameters);
    });
}

bool SqlCipherDatabase::TableExists(const QString& name) {
    return translatingErrors([&] {
        const sqlite::KeptStatement statement(
            m_connection->db(),
            QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                           "COLLATE NOCASE AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
        statement->bind(1, name);
        return statement->executeStep();
    });
}

void SqlCipherDatabase::CreateTable(const TableDef& table) {
    Transaction change(*this);
    translatingErrors([&] { ddl::createTable(m_connection->db(), table); });
    change.Commit();
}

std::vector<RelationDef> SqlCipherDatabase::Relations() {
    return translatingErrors([&] { return ddl::readRelations(m_connection->db()); });
}

void SqlCipherDatabase::CreateRelation(const RelationDef& relation) {
    Transaction change(*this);
    translatingErrors([&] { ddl::createRelation(m_connection->db(), relation); });
    change.Commit();
}

std::vector<TableDef> SqlCipherDatabase::TableDefs() {
    return translatingErrors([&] { return ddl::readTableDefs(m_connection->db()); });
}

// Inside the caller's transaction the change is a savepoint of its own, so a failure takes back
// exactly the change.
void SqlCipherDatabase::ChangeKeys(const QString& table, const QString& field,
                                   const std::vector<KeyChange>& changes) {
    if (changes.empty()) {
        return;
    }
    Transaction change(*this);
    translatingErrors([&] { keys::changeKeys(m_connection->db(), table, field, changes); });
    change.Commit();
}

// The outermost transaction takes the write lock at once when the file may be written, so two
// writers never both hold a read lock and wait for each other; inner ones are savepoints.
void SqlCipherDatabase::BeginTrans() {
    m_connection->finishPendingReads();
    translatingErrors([&] {
        auto& db = m_connection->db();
        if (m_transactionDepth > 0) {
            db.exec(QStringLiteral("SAVEPOINT zav_trans"));
        } else {
            db.exec(db.isReadOnly() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
        }
    });
    ++m_transactionDepth;
}

void SqlCipherDatabase::CommitTrans() {
    requireTransaction();
    m_connection->finishPendingReads();
    translatingErrors([&] {
        m_connection->db().exec(m_transactionDepth > 1 ? QStringLiteral("RELEASE zav_trans")
                                                       : QStringLiteral("COMMIT"));
    });
    --m_transactionDepth;
    TransactionEnded(true, m_transactionDepth);
}

void SqlCipherDatabase::Rollback() {
    requireTransaction();
    m_connection->finishPendingReads();
    translatingErrors([&] {
        m_connection->db().exec(m_transactionDepth > 1
                                    ? QStringLiteral("ROLLBACK TO zav_trans; RELEASE zav_trans")
                                    : QStringLiteral("ROLLBACK"));
    });
    --m_transactionDepth;
    TransactionEnded(false, m_transactionDepth);
}

void SqlCipherDatabase::Close() {
    m_connection->close();
    m_transactionDepth = 0;
    TransactionEnded(false, 0);
}

void SqlCipherDatabase::requireTransaction() const {
    if (m_transactionDepth == 0) {
        throw DbError(ErrEngine, QStringLiteral("There is no transaction to commit or roll back."));
    }
}

} // namespace zav::store
