#include "operations/LoginRows.h"

#include "access/LevelRecord.h"
#include "store/Schema.h"

#include <ZAV_PrjLogin/Class_LevelEnable.h>

namespace zav::manage {

StoredLevel ReadStoredLevel(const store::Recordset& rs) {
    StoredLevel stored;
    stored.level->setcLevelEnable(Class_LevelEnable::create());
    access::ReadLevel(rs, *stored.level);
    stored.password = access::TextOrEmpty(rs.Field(store::FieldPWD));
    return stored;
}

std::optional<StoredOperator> ReadStoredOperator(store::Database& db, const QString& name) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Operators where Name = ?"), {name});
    if (rs->Eof()) {
        rs->Close();
        return std::nullopt;
    }
    rs->MoveFirst();
    StoredOperator found{access::TextOrEmpty(rs->Field(store::FieldName)),
                         access::TextOrEmpty(rs->Field(store::FieldPWD)), std::nullopt};
    const int levelId = rs->Field(store::FieldID).toInt();
    rs->Close();
    // The texts never change: their values are bound, so a server prepares each once per connection.
    rs = db.OpenRecordset(QStringLiteral("Select * from Levels where ID = ?"), {levelId});
    if (!rs->Eof()) {
        rs->MoveFirst();
        found.level = ReadStoredLevel(*rs);
    }
    rs->Close();
    return found;
}

} // namespace zav::manage
