#include "operations/OperatorOperations.h"

#include "access/LevelRecord.h"
#include "operations/AuditRows.h"
#include "operations/BadgeRows.h"
#include "operations/ManageDatabase.h"
#include "operations/PasswordAgeRows.h"
#include "operations/PasswordHashing.h"
#include "operations/PasswordRows.h"
#include "operations/PasswordRules.h"
#include "operations/PolicyRows.h"
#include "outside/OutsideObjects.h"
#include "store/Schema.h"

namespace zav::manage {

namespace {
// Within the caller's transaction: level `levelId` is still the level the caller means.
void requireMeantLevel(store::Database& db, int levelId, const std::optional<QString>& storedName) {
    if (storedName && !access::OpenMeantLevel(db, levelId, *storedName)) {
        throw access::LevelChangedError();
    }
}
QString levelText(int levelId, const std::optional<QString>& storedName) {
    return storedName ? QStringLiteral("level %1 '%2'").arg(levelId).arg(*storedName)
                      : QStringLiteral("level %1").arg(levelId);
}
} // namespace

void ForEachOperatorOf(const QString& dbPath, int levelId,
                       const std::function<void(const QString& name)>& visit) {
    ForEachRow(
        dbPath, QStringLiteral("Select * from Operators where ID = ? order by Name"), {levelId},
        [&visit](const store::Recordset& row) { visit(access::TextOrEmpty(row.Field(store::FieldName))); });
}

std::optional<OperatorRow> FindOperatorRow(const QString& dbPath, const QString& name) {
    auto db = OpenForReading(dbPath);
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators where Name = ?"), {name});
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
                 const std::optional<QString>& levelStoredName, const QString& password) {
    const StoredFormMadeAhead storedForm(dbPath, password);
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    requireMeantLevel(*db, levelId, levelStoredName);
    const Policy policy = PolicyOf(*db);
    RefuseFaultyPassword({policy, PasswordFaults(policy, password, {name})},
                         QStringLiteral("operator \"%1\"").arg(name));
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators"));
    rs->AddNew();
    rs->SetField(store::FieldID, levelId);
    rs->SetField(store::FieldName, name);
    rs->SetField(store::FieldPWD, storedForm.under(policy.passwordStorage));
    rs->Update();
    rs->Close();
    NotePasswordChange(*db, {LockoutKind::Operator, name}, QString(), false, policy);
    AuditWithin(*db, {QStringLiteral("operator-added"),
                      QStringLiteral("operator '%1' to %2").arg(name, levelText(levelId, levelStoredName)),
                      {}});
    transaction.Commit();
    db->Close();
}

void RemoveOperator(const QString& dbPath, const QString& name) {
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    const QString where = QStringLiteral(" from Operators where Name = ?");
    auto found = db->OpenRecordset(QStringLiteral("Select Name") + where, {name});
    const bool exists = !found->Eof();
    found->Close();
    if (exists) {
        db->Execute(QStringLiteral("Delete *") + where, {name});
        DropStrayPasswordAges(*db);
        DropStrayBadges(*db);
        AuditWithin(*db, {QStringLiteral("operator-removed"), QStringLiteral("operator '%1'").arg(name), {}});
    }
    transaction.Commit();
    db->Close();
}

void MoveOperator(const QString& dbPath, const QString& name, int levelId,
                  const std::optional<QString>& levelStoredName) {
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    requireMeantLevel(*db, levelId, levelStoredName);
    db->Execute(QStringLiteral("Update Operators Set ID = ? where Name = ?"), {levelId, name});
    AuditWithin(*db, {QStringLiteral("operator-moved"),
                      QStringLiteral("operator '%1' to %2").arg(name, levelText(levelId, levelStoredName)),
                      {}});
    transaction.Commit();
    db->Close();
}

} // namespace zav::manage
