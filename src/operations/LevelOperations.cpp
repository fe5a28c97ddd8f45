#include "operations/LevelOperations.h"

#include "access/LevelRecord.h"
#include "operations/AuditRows.h"
#include "operations/BadgeRows.h"
#include "operations/ManageDatabase.h"
#include "operations/NumericText.h"
#include "operations/PasswordAgeRows.h"
#include "operations/Renumbering.h"
#include "store/Schema.h"

namespace zav::manage {

namespace {
const QString LevelById = QStringLiteral("Select * from Levels where ID = ?");

// The rights as an audit row shows them: the fixed ones by name, the custom ones by number.
QString rightsText(const Class_LevelEnable& rights) {
    QStringList on;
    const std::pair<bool, const char*> fixed[] = {{rights.AllowManageLevel(), "ManageLevel"},
                                                  {rights.AllowManageOperator(), "ManageOperator"},
                                                  {rights.DisShutDown(), "DisShutDown"},
                                                  {rights.AllowDesktop(), "Desktop"}};
    for (const auto& [set, name] : fixed) {
        if (set) {
            on << QLatin1String(name);
        }
    }
    QStringList custom;
    for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
        if (rights.AllowCustom(n)) {
            custom << QString::number(n);
        }
    }
    if (!custom.isEmpty()) {
        on << QStringLiteral("custom ") + custom.join(QLatin1Char(','));
    }
    return on.isEmpty() ? QStringLiteral("no rights") : on.join(QStringLiteral(", "));
}
} // namespace

void ForEachLevelBelow(const QString& dbPath, int ownerId,
                       const std::function<void(int id, const QString& storedName)>& visit) {
    ForEachRow(dbPath, QStringLiteral("Select * from Levels where ID > ? order by ID"), {ownerId},
               [&visit](const store::Recordset& row) {
                   visit(row.Field(store::FieldID).toInt(), access::TextOrEmpty(row.Field(store::FieldName)));
               });
}

bool LoadLevel(const QString& dbPath, int id, Class_Level& level) {
    return ReadFirstRow(dbPath, LevelById, {id}, [&level](const store::Recordset& row) {
        access::ReadLevel(row, level);
        level.setPassword(access::TextOrEmpty(row.Field(store::FieldPWD)));
    });
}

bool ReadLevelRights(const QString& dbPath, int id, const QString& storedName, Class_LevelEnable& rights) {
    auto db = OpenForReading(dbPath);
    auto rs = access::OpenMeantLevel(*db, id, storedName);
    if (!rs) {
        return false;
    }
    access::ReadRights(*rs, rights);
    return true;
}

int AddLevel(const QString& dbPath, const QString& name) {
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    auto largest = db->OpenRecordset(QStringLiteral("Select Max(ID) as ID from Levels"));
    const QVariant largestId = largest->Field(store::FieldID); // Null when there is no level
    largest->Close();
    const int newId = largestId.isNull() ? 2 : largestId.toInt() + 1;
    if (newId > LargestLevelId) {
        throw store::DbError(
            store::ErrFieldOverflow,
            QStringLiteral("No further level can be added: level numbers end at %1.").arg(LargestLevelId));
    }
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Levels"));
    rs->AddNew();
    rs->SetField(store::FieldID, newId);
    rs->SetField(store::FieldName, name);
    rs->SetField(store::FieldPWD, QStringLiteral(""));
    rs->SetField(store::FieldNEnable, 0);
    rs->Update();
    rs->Close();
    NotePasswordChange(*db, {LockoutKind::Level, name}, QString(), false, Policy{}); // no history yet
    AuditWithin(*db,
                {QStringLiteral("level-added"), QStringLiteral("level %1 '%2'").arg(newId).arg(name), {}});
    transaction.Commit();
    db->Close();
    return newId;
}

int RemoveLevel(const QString& dbPath, int id, const QString& storedName) {
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    if (!access::OpenMeantLevel(*db, id, storedName)) {
        throw access::LevelChangedError();
    }
    auto operators = db->OpenRecordset(QStringLiteral("Select Name from Operators where ID = ?"), {id});
    const int removedOperators = operators->RecordCount();
    operators->Close();
    db->Execute(QStringLiteral("Delete * from Levels where ID = ?"), {id});
    DropStrayPasswordAges(*db); // the level's and those of its operators
    DropStrayBadges(*db);
    RenumberWithin(*db);
    AuditWithin(*db, {QStringLiteral("level-removed"),
                      QStringLiteral("level %1 '%2' with %3; levels renumbered")
                          .arg(id)
                          .arg(storedName, CountOf(removedOperators, QStringLiteral("operator"))),
                      {}});
    transaction.Commit();
    return removedOperators;
}

void RenumberLevels(const QString& dbPath) {
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    RenumberWithin(*db);
    AuditWithin(*db, {QStringLiteral("levels-renumbered"), QString(), {}});
    transaction.Commit();
}

bool StoreLevelRights(const QString& dbPath, int id, const QString& storedName,
                      const Class_LevelEnable& rights) {
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    bool stored = false;
    if (auto rs = access::OpenMeantLevel(*db, id, storedName)) {
        rs->Edit();
        const int enabledCount = access::WriteRights(*rs, rights);
        rs->SetField(store::FieldNEnable, enabledCount);
        rs->Update();
        rs->Close();
        stored = true;
    }
    RenumberWithin(*db);
    if (stored) {
        AuditWithin(*db,
                    {QStringLiteral("rights-stored"),
                     QStringLiteral("level '%1': %2; levels renumbered").arg(storedName, rightsText(rights)),
                     {}});
    }
    transaction.Commit();
    return stored;
}

std::optional<int> LevelIdByName(const QString& dbPath, const QString& storedName) {
    auto db = OpenForReading(dbPath);
    auto rs = db->OpenRecordset(QStringLiteral("Select ID from Levels where Name = ?"), {storedName});
    std::optional<int> found;
    if (!rs->Eof()) {
        rs->MoveFirst();
        found = rs->Field(store::FieldID).toInt();
    }
    rs->Close();
    db->Close();
    return found;
}

} // namespace zav::manage
