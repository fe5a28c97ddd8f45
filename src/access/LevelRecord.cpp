#include "access/LevelRecord.h"

#include "base/ReportedErrors.h"
#include "language/TextLookup.h"
#include "store/Schema.h"

namespace zav::access {

QString TextOrEmpty(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

void ReadRights(const store::Recordset& rs, Class_LevelEnable& rights) {
    rights.setAllowManageLevel(rs.Field(store::FieldManageLevel).toBool());
    rights.setAllowManageOperator(rs.Field(store::FieldManageOperator).toBool());
    rights.setDisShutDown(rs.Field(store::FieldDisShutDown).toBool());
    rights.setAllowDesktop(rs.Field(store::FieldDesktop).toBool());
    for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
        rights.setAllowCustom(n, rs.Field(store::CustomFieldName(n)).toBool());
    }
}

int WriteRights(store::Recordset& rs, const Class_LevelEnable& rights) {
    rs.SetField(store::FieldManageLevel, rights.AllowManageLevel());
    rs.SetField(store::FieldManageOperator, rights.AllowManageOperator());
    rs.SetField(store::FieldDisShutDown, rights.DisShutDown());
    rs.SetField(store::FieldDesktop, rights.AllowDesktop());
    int count = 0;
    for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
        const bool value = rights.AllowCustom(n);
        rs.SetField(store::CustomFieldName(n), value);
        count += value ? 1 : 0;
    }
    return count;
}

void ReadLevel(const store::Recordset& rs, Class_Level& level) {
    if (!level.cLevelEnable()) {
        throw ObjectNotSetError();
    }
    level.setID(rs.Field(store::FieldID).toInt());
    const QString name = TextOrEmpty(rs.Field(store::FieldName));
    level.setDBLevelName(name);
    level.setLevelName(language::TranslateText(name));
    ReadRights(rs, *level.cLevelEnable());
}

void CopyLevel(const Class_Level& from, Class_Level& to) {
    if (!to.cLevelEnable()) {
        throw ObjectNotSetError();
    }
    to.setID(from.ID());
    to.setDBLevelName(from.DBLevelName());
    to.setLevelName(from.LevelName());
    Class_LevelEnable& rights = *to.cLevelEnable();
    const auto read = from.cLevelEnable() ? from.cLevelEnable() : Class_LevelEnable::create();
    rights.setAllowManageLevel(read->AllowManageLevel());
    rights.setAllowManageOperator(read->AllowManageOperator());
    rights.setDisShutDown(read->DisShutDown());
    rights.setAllowDesktop(read->AllowDesktop());
    for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
        rights.setAllowCustom(n, read->AllowCustom(n));
    }
}

store::DbError LevelChangedError() {
    return store::DbError(ErrLevelChanged, QStringLiteral("The level was changed elsewhere."));
}

bool IsLevelChanged(const std::exception& error) {
    const auto* automation = dynamic_cast<const AutomationError*>(&error);
    return automation && automation->Number() == ErrLevelChanged;
}

std::unique_ptr<store::Recordset> OpenMeantLevel(store::Database& db, int id, const QString& storedName) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Levels where ID = ?"), {id});
    if (!rs->Eof()) {
        rs->MoveFirst();
        if (TextOrEmpty(rs->Field(store::FieldName)) != storedName) {
            throw LevelChangedError();
        }
        return rs;
    }
    rs->Close();
    auto named = db.OpenRecordset(QStringLiteral("Select ID from Levels where Name = ?"), {storedName});
    const bool moved = !named->Eof();
    named->Close();
    if (moved) {
        throw LevelChangedError();
    }
    return nullptr;
}

} // namespace zav::access
