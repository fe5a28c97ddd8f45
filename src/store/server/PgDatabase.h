#pragma once

#include "store/Engine.h"
#include "store/server/PgLink.h"

namespace zav::pg {

// A server database opened by the server engine. It borrows the process's connection to the database
// and takes the lock of its open mode (PgLink.h). Writers take the database's write lock in their
// outermost transaction, so two panels adding rows never read the same largest number; a read-only open
// reads one consistent snapshot per transaction and writes nothing. An exclusive open is one transaction
// from open to Close, which commits it: its own transactions are savepoints inside it, and an open
// dropped without Close leaves nothing behind.
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
    // An exclusive open's own transaction counts: what waits for the commit waits for Close.
    int TransactionDepth() const override { return int(m_levels.size()) + (holdsTransaction() ? 1 : 0); }

private:
    Connection& connection();
    bool readOnly() const { return m_mode == store::OpenMode::SharedReadOnly; }
    bool holdsTransaction() const { return m_link && m_mode == store::OpenMode::Exclusive; }
    void requireTransaction() const;
    void end(bool commit);

    std::shared_ptr<Link> m_link; // empty once closed
    store::OpenMode m_mode;
    // BeginTrans calls not yet committed or rolled back; those inside a transaction already open (the
    // exclusive open's, another open's) are savepoints.
    std::vector<std::unique_ptr<Transaction>> m_levels;
};

} // namespace zav::pg
