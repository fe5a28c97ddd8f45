#include "access/LevelRecord.h"

#include "base/ReportedErrors.h"
#include "language/TextLookup.h"
#include "outside/OutsideObjects.h"
#include "store/Schema.h"

namespace zav::access {

QString CustomField(int n) {
    return QStringLiteral("Custom") + QString::number(n);
}

QString TextOrEmpty(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

void ReadRights(const store::Recordset& rs, Class_LevelEnable& rights) {
    rights.setAllowManageLevel(rs.Field(QStringLiteral("ManageLevel")).toBool());
    rights.setAllowManageOperator(rs.Field(QStringLiteral("ManageOperator")).toBool());
    rights.setDisShutDown(rs.Field(QStringLiteral("DisShutDown")).toBool());
    rights.setAllowDesktop(rs.Field(QStringLiteral("Desktop")).toBool());
    for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
        rights.setAllowCustom(n, rs.Field(CustomField(n)).toBool());
    }
}

int WriteRights(store::Recordset& rs, const Class_LevelEnable& rights) {
    rs.SetField(QStringLiteral("ManageLevel"), rights.AllowManageLevel());
    rs.SetField(QStringLiteral("ManageOperator"), rights.AllowManageOperator());
    rs.SetField(QStringLiteral("DisShutDown"), rights.DisShutDown());
    rs.SetField(QStringLiteral("Desktop"), rights.AllowDesktop());
    int count = 0;
    for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
        const bool value = rights.AllowCustom(n);
        rs.SetField(CustomField(n), value);
        count += value ? 1 : 0;
    }
    return count;
}

void ReadLevel(const store::Recordset& rs, Class_Level& level) {
    if (!level.cLevelEnable()) {
        throw ObjectNotSetError();
    }
    level.setID(rs.Field(QStringLiteral("ID")).toInt());
    const QString name = TextOrEmpty(rs.Field(QStringLiteral("Name")));
    level.setDBLevelName(name);
    level.setLevelName(language::TranslateText(name));
    ReadRights(rs, *level.cLevelEnable());
}

store::DbError LevelChangedError() {
    return store::DbError(ErrLevelChanged, QStringLiteral("The level was changed elsewhere."));
}

bool IsLevelChanged(const std::exception& error) {
    const auto* automation = dynamic_cast<const AutomationError*>(&error);
    return automation && automation->Number() == ErrLevelChanged;
}

std::unique_ptr<store::Recordset> OpenMeantLevel(store::Database& db, int id, const QString& storedName) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Levels where ID = ") + QString::number(id));
    if (rs->RecordCount() != 0) {
        rs->MoveFirst();
        if (TextOrEmpty(rs->Field(store::FieldName)) != storedName) {
            throw LevelChangedError();
        }
        return rs;
    }
    rs->Close();
    auto named = db.OpenRecordset(QStringLiteral("Select ID from Levels where Name = '") +
                                  outside::dbUtility().SqlQuote(storedName) + QStringLiteral("'"));
    const bool moved = named->RecordCount() != 0;
    named->Close();
    if (moved) {
        throw LevelChangedError();
    }
    return nullptr;
}

} // namespace zav::access
