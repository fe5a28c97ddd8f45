#pragma once

#include "store/CipherConnection.h"
#include "store/Engine.h"

namespace zav::store {

// A database file opened by the SQLCipher engine. Every SQL text passes through the dialect
// translation; every failure leaves as a DbError.
class SqlCipherDatabase final : public Database {
public:
    explicit SqlCipherDatabase(std::shared_ptr<CipherConnection> connection);
    ~SqlCipherDatabase() override;

    void Execute(const QString& sql, const QVariantList& parameters = {}) override;
    std::unique_ptr<Recordset> OpenRecordset(const QString& sql,
                                             const QVariantList& parameters = {}) override;
    bool TableExists(const QString& name) override;
    void CreateTable(const TableDef& table) override;
    std::vector<RelationDef> Relations() override;
    void CreateRelation(const RelationDef& relation) override;
    std::vector<TableDef> TableDefs() override;
    void ChangeKeys(const QString& table, const QString& field,
                    const std::vector<KeyChange>& changes) override;
    void BeginTrans() override;
    void CommitTrans() override;
    void Rollback() override;
    void Close() override;
    void ExecuteFileScript(const QString& sql) override;

protected:
    int TransactionDepth() const override { return m_transactionDepth; }

private:
    void requireTransaction() const;

    std::shared_ptr<CipherConnection> m_connection;
    int m_transactionDepth = 0; // BeginTrans calls not yet committed or rolled back
};

} // namespace zav::store
