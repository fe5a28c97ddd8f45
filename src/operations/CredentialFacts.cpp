#include <ZAV_PrjLogin/CredentialFacts.h>

#include "language/TextLookup.h"
#include "operations/ManageDatabase.h"
#include "store/Schema.h"

namespace zav {

CredentialFacts ReadCredentialFacts(const QString& dbPath) {
    CredentialFacts facts;
    auto db = manage::OpenForReading(dbPath);
    auto levels = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID Desc"));
    facts.levels = levels->RecordCount();
    if (!levels->Eof()) {
        facts.logoutLevelId = levels->Field(store::FieldID).toInt();
        facts.logoutLevelName = levels->Field(store::FieldName).toString();
    }
    levels->Close();
    auto levelOne = db->OpenRecordset(QStringLiteral("Select * from Levels where ID = 1"));
    if (!levelOne->Eof()) {
        facts.levelOneName = levelOne->Field(store::FieldName).toString();
        // An empty password is stored empty also where passwords are hashed.
        facts.levelOneOpen = levelOne->Field(store::FieldPWD).toString().isEmpty() &&
                             levelOne->Field(store::FieldManageLevel).toBool() &&
                             levelOne->Field(store::FieldManageOperator).toBool();
    }
    levelOne->Close();
    auto operators = db->OpenRecordset(QStringLiteral("Select * from Operators"));
    facts.operators = operators->RecordCount();
    operators->Close();
    db->Close();
    return facts;
}

QString ShownLevelName(const QString& storedName) {
    return language::TranslateText(storedName);
}

} // namespace zav
