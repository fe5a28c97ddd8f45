#include "CredentialFile.h"

#include "store/Schema.h"

#include <stdexcept>

namespace zav::test {

namespace {
std::unique_ptr<store::Database> open(const QString& path, store::OpenMode mode) {
    return store::DefaultEngine().OpenDatabase(path, mode, store::ConnectString);
}
} // namespace

CredentialFile::CredentialFile(const QString& path) : m_path(path) {
    if (!m_dir.isValid()) {
        throw std::runtime_error("no temporary folder");
    }
    if (m_path.isEmpty()) {
        m_path = m_dir.filePath(QStringLiteral("Login.mdb"));
    }
}

void CredentialFile::create() {
    auto db = store::DefaultEngine().CreateDatabase(m_path, store::LocaleArgument + store::ConnectString);
    db->CreateTable(store::LevelsTableDef());
    db->CreateTable(store::OperatorsTableDef());
    db->CreateRelation(store::RelIDRefDef());
    db->Close();
}

void CredentialFile::addLevels(const std::vector<LevelSpec>& levels) {
    auto db = open(m_path, store::OpenMode::SharedReadWrite);
    store::Transaction transaction(*db);
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Levels where ID = -32768"));
    for (const LevelSpec& level : levels) {
        rs->AddNew();
        rs->SetField(store::FieldID, level.id);
        rs->SetField(store::FieldName, level.name);
        rs->SetField(store::FieldPWD, level.password);
        rs->SetField(store::FieldManageLevel, level.manageLevel);
        rs->SetField(store::FieldManageOperator, level.manageOperator);
        rs->SetField(store::FieldDisShutDown, level.disShutDown);
        rs->SetField(store::FieldDesktop, level.desktop);
        for (int n = 1; n <= store::CustomFieldCount; ++n) {
            rs->SetField(store::CustomFieldName(n), false);
        }
        for (int n : level.customs) {
            rs->SetField(store::CustomFieldName(n), true);
        }
        rs->SetField(store::FieldNEnable, static_cast<int>(level.customs.size()));
        rs->Update();
    }
    rs->Close();
    transaction.Commit();
}

void CredentialFile::addOperators(const std::vector<std::pair<QString, int>>& operators) {
    auto db = open(m_path, store::OpenMode::SharedReadWrite);
    store::Transaction transaction(*db);
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators where ID = -32768"));
    for (const auto& [name, levelId] : operators) {
        rs->AddNew();
        rs->SetField(store::FieldName, name);
        rs->SetField(store::FieldPWD, QStringLiteral(""));
        rs->SetField(store::FieldID, levelId);
        rs->Update();
    }
    rs->Close();
    transaction.Commit();
}

std::map<QString, StoredLevel> CredentialFile::levels() const {
    std::map<QString, StoredLevel> result;
    auto db = open(m_path, store::OpenMode::SharedReadOnly);
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID"));
    for (; !rs->Eof(); rs->MoveNext()) {
        const QString name = rs->Field(store::FieldName).toString();
        result[name] = {rs->Field(store::FieldID).toInt(), name, rs->Field(store::FieldNEnable).toInt()};
    }
    return result;
}

std::map<QString, int> CredentialFile::levelIdsByName() const {
    std::map<QString, int> ids;
    for (const auto& [name, level] : levels()) {
        ids[name] = level.id;
    }
    return ids;
}

std::map<QString, int> CredentialFile::operatorLevels() const {
    std::map<QString, int> result;
    auto db = open(m_path, store::OpenMode::SharedReadOnly);
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators order by Name"));
    for (; !rs->Eof(); rs->MoveNext()) {
        result[rs->Field(store::FieldName).toString()] = rs->Field(store::FieldID).toInt();
    }
    return result;
}

bool CredentialFile::levelFlag(int id, const QString& field) const {
    auto db = open(m_path, store::OpenMode::SharedReadOnly);
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Levels where ID = ") + QString::number(id));
    if (rs->RecordCount() == 0) {
        throw std::runtime_error("no such level");
    }
    return rs->Field(field).toBool();
}

} // namespace zav::test
