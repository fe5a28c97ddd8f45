#pragma once

#include "store/Engine.h"
#include "store/server/PgLink.h"

namespace zav::pg {

// A server database opened by the server engine. It borrows the process's connection to the database
// and holds the lock of its open mode until it closes: shared opens share it, an exclusive open has it
// alone. Writers take the database's write lock in their outermost transaction, so two panels adding
// rows never read the same largest number; a read-only open reads one consistent snapshot per
// transaction and writes nothing.
class PgDatabase final : public store::Database {
public:
    PgDatabase(std::shared_ptr<Link> link, store::OpenMode mode);
    ~PgDatabase() override;

    void Execute(const QString& sql, const QVariantList& parameters = {}) override;
    std::unique_ptr<store::Recordset> OpenRecordset(const QString& sql,
                                                    const QVariantList& parameters = {}) override;
    bool TableExists(const QString& name) override;
    void CreateTable(const store::TableDef& table) override;
    std::vector<store::RelationDef> Relations() override;
    void CreateRelation(const store::RelationDef& relation) override;
    std::vector<store::TableDef> TableDefs() override;
    void ChangeKeys(const QString& table, const QString& field,
                    const std::vector<store::KeyChange>& changes) override;
    void BeginTrans() override;
    void CommitTrans() override;
    void Rollback() override;
    void Close() override;
    bool IsServer() const override { return true; }
    bool RoutineExists(const QString& name) override;
    void ExecuteServerScript(const QString& sql) override;

protected:
    int TransactionDepth() const override { return m_transactionDepth; }

private:
    Connection& connection();
    bool readOnly() const { return m_mode == store::OpenMode::SharedReadOnly; }
    void requireTransaction() const;

    std::shared_ptr<Link> m_link; // empty once closed
    store::OpenMode m_mode;
    int m_transactionDepth = 0;     // BeginTrans calls not yet committed or rolled back
    bool m_outermostNested = false; // the outermost one is a savepoint of another open's transaction
};

} // namespace zav::pg
