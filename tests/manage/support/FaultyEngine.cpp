#include "FaultyEngine.h"

#include <QStringList>

namespace zav::test {

namespace {
store::DbError refusedWrite() {
    return store::DbError(store::ErrEngine, QStringLiteral("The write was refused (injected fault)."));
}

class FaultyRecordset : public store::Recordset {
public:
    FaultyRecordset(std::unique_ptr<store::Recordset> real, FaultyEngine& engine)
        : m_real(std::move(real)), m_engine(engine) {}
    int RecordCount() const override { return m_real->RecordCount(); }
    void MoveFirst() override { m_real->MoveFirst(); }
    void MoveLast() override { m_real->MoveLast(); }
    void MoveNext() override { m_real->MoveNext(); }
    bool Eof() const override { return m_real->Eof(); }
    QVariant Field(const QString& name) const override { return m_real->Field(name); }
    void SetField(const QString& name, const QVariant& value) override { m_real->SetField(name, value); }
    void AddNew() override { m_real->AddNew(); }
    void Edit() override { m_real->Edit(); }
    void Update() override {
        m_engine.onUpdate();
        m_real->Update();
    }
    void Close() override { m_real->Close(); }

private:
    std::unique_ptr<store::Recordset> m_real;
    FaultyEngine& m_engine;
};

class FaultyDatabase : public store::Database {
public:
    FaultyDatabase(std::unique_ptr<store::Database> real, FaultyEngine& engine)
        : m_real(std::move(real)), m_engine(engine) {}
    void Execute(const QString& sql) override {
        m_engine.onExecute(sql);
        m_real->Execute(sql);
    }
    std::unique_ptr<store::Recordset> OpenRecordset(const QString& sql) override {
        return std::make_unique<FaultyRecordset>(m_real->OpenRecordset(sql), m_engine);
    }
    bool TableExists(const QString& name) override { return m_real->TableExists(name); }
    void CreateTable(const store::TableDef& table) override { m_real->CreateTable(table); }
    std::vector<store::RelationDef> Relations() override { return m_real->Relations(); }
    void CreateRelation(const store::RelationDef& relation) override { m_real->CreateRelation(relation); }
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
    return std::make_unique<FaultyDatabase>(m_real.OpenDatabase(path, mode, connect), *this);
}

std::unique_ptr<store::Database> FaultyEngine::CreateDatabase(const QString& path, const QString& locale) {
    return std::make_unique<FaultyDatabase>(m_real.CreateDatabase(path, locale), *this);
}

void FaultyEngine::onUpdate() {
    ++updates;
    if (failUpdateAt > 0 && updates == failUpdateAt) {
        throw refusedWrite();
    }
}

void FaultyEngine::onExecute(const QString& sql) {
    executed.append(sql);
    if (!failExecuteContaining.isEmpty() && sql.contains(failExecuteContaining)) {
        throw refusedWrite();
    }
}

} // namespace zav::test
