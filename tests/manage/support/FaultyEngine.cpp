#include "FaultyEngine.h"

#include <QStringList>

namespace zav::test {

namespace {
class FaultyDatabase : public store::Database {
public:
    FaultyDatabase(std::unique_ptr<store::Database> real, FaultyEngine& engine)
        : m_real(std::move(real)), m_engine(engine) {}
    void Execute(const QString& sql, const QVariantList& parameters = {}) override {
        QStringList values; // the bound values after the text
        for (const QVariant& value : parameters) {
            values << value.toString();
        }
        m_engine.executed.append(values.isEmpty() ? sql : sql + " <- " + values.join(", "));
        m_real->Execute(sql, parameters);
    }
    std::unique_ptr<store::Recordset> OpenRecordset(const QString& sql,
                                                    const QVariantList& parameters = {}) override {
        if (m_engine.beforeRecordset) {
            m_engine.beforeRecordset(sql);
        }
        return m_real->OpenRecordset(sql, parameters);
    }
    bool TableExists(const QString& name) override { return m_real->TableExists(name); }
    void CreateTable(const store::TableDef& table) override { m_real->CreateTable(table); }
    std::vector<store::RelationDef> Relations() override { return m_real->Relations(); }
    void CreateRelation(const store::RelationDef& relation) override { m_real->CreateRelation(relation); }
    void ChangeKeys(const QString& table, const QString& field,
                    const std::vector<store::KeyChange>& changes) override {
        m_engine.onKeyChange();
        m_real->ChangeKeys(table, field, changes);
    }
    void BeginTrans() override { m_real->BeginTrans(); }
    void CommitTrans() override { m_real->CommitTrans(); }
    void Rollback() override { m_real->Rollback(); }
    void Close() override { m_real->Close(); }

private:
    std::unique_ptr<store::Database> m_real;
    FaultyEngine& m_engine;
};
} // namespace

FaultyEngine::FaultyEngine() : m_real(store::DefaultEngine()) {
    store::SetEngineForTesting(this);
}

FaultyEngine::~FaultyEngine() {
    store::SetEngineForTesting(nullptr);
}

std::unique_ptr<store::Database> FaultyEngine::OpenDatabase(const QString& path, store::OpenMode mode,
                                                            const QString& connect) {
    if (beforeOpen) {
        beforeOpen(mode);
    }
    return std::make_unique<FaultyDatabase>(m_real.OpenDatabase(path, mode, connect), *this);
}

std::unique_ptr<store::Database> FaultyEngine::CreateDatabase(const QString& path, const QString& locale) {
    return std::make_unique<FaultyDatabase>(m_real.CreateDatabase(path, locale), *this);
}

void FaultyEngine::onKeyChange() {
    ++keyChanges;
    if (failKeyChanges) {
        throw store::DbError(store::ErrEngine, QStringLiteral("The write was refused (injected fault)."));
    }
}

} // namespace zav::test
