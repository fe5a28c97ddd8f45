#include "operations/OperatorOperations.h"

#include "access/LevelRecord.h"
#include "operations/ManageDatabase.h"
#include "outside/OutsideObjects.h"
#include "store/Schema.h"

namespace zav::manage {

namespace {
// "'" + the quoted name + "'": the only way an operator name enters SQL text.
QString quotedName(const QString& name) {
    return QStringLiteral("'") + outside::dbUtility().SqlQuote(name) + QStringLiteral("'");
}

// Within the caller's transaction: level `levelId` is still the level the caller means.
void requireMeantLevel(store::Database& db, int levelId, const std::optional<QString>& storedName) {
    if (storedName && !access::OpenMeantLevel(db, levelId, *storedName)) {
        throw access::LevelChangedError();
    }
}
} // namespace

void ForEachOperatorOf(const QString& dbPath, int levelId,
                       const std::function<void(const QString& name)>& visit) {
    ForEachRow(
        dbPath,
        QStringLiteral("Select * from Operators where ID = ") + QString::number(levelId) +
            QStringLiteral(" order by Name"),
        [&visit](const store::Recordset& row) { visit(access::TextOrEmpty(row.Field(store::FieldName))); });
}

std::optional<OperatorRow> FindOperatorRow(const QString& dbPath, const QString& name) {
    auto db = OpenForReading(dbPath);
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators where Name = ") + quotedName(name));
    if (rs->Eof()) {
        return std::nullopt;
    }
    rs->MoveFirst();
    OperatorRow row;
    row.name = access::TextOrEmpty(rs->Field(store::FieldName));
    row.password = access::TextOrEmpty(rs->Field(store::FieldPWD));
    row.levelId = rs->Field(store::FieldID).toInt();
    return row;
}

void AddOperator(const QString& dbPath, int levelId, const QString& name,
                 const std::optional<QString>& levelStoredName) {
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    requireMeantLevel(*db, levelId, levelStoredName);
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators"));
    rs->AddNew();
    rs->SetField(store::FieldID, levelId);
    rs->SetField(store::FieldName, name);
    rs->SetField(store::FieldPWD, QStringLiteral(""));
    rs->Update();
    rs->Close();
    transaction.Commit();
    db->Close();
}

void RemoveOperator(const QString& dbPath, const QString& name) {
    auto db = OpenForWriting(dbPath);
    db->Execute(QStringLiteral("Delete * from Operators where Name = ") + quotedName(name));
    db->Close();
}

void MoveOperator(const QString& dbPath, const QString& name, int levelId,
                  const std::optional<QString>& levelStoredName) {
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    requireMeantLevel(*db, levelId, levelStoredName);
    db->Execute(QStringLiteral("Update Operators Set ID = ") + QString::number(levelId) +
                QStringLiteral(" where Name = ") + quotedName(name));
    transaction.Commit();
    db->Close();
}

} // namespace zav::manage
