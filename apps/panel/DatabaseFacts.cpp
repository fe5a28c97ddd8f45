#include "DatabaseFacts.h"

#include "store/Engine.h"
#include "store/Schema.h"

namespace zav::panel {

DatabaseFacts readDatabaseFacts(const QString& dbPath) {
    using namespace zav::store;
    DatabaseFacts facts;
    auto db = DefaultEngine().OpenDatabase(dbPath, OpenMode::SharedReadOnly, ConnectString);
    auto levels = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID Desc"));
    facts.levels = levels->RecordCount();
    if (!levels->Eof()) {
        facts.logoutLevelId = levels->Field(FieldID).toInt();
        facts.logoutLevelName = levels->Field(FieldName).toString();
    }
    levels->Close();
    auto operators = db->OpenRecordset(QStringLiteral("Select * from Operators"));
    facts.operators = operators->RecordCount();
    operators->Close();
    db->Close();
    return facts;
}

} // namespace zav::panel
