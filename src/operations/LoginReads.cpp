#include "operations/LoginReads.h"

#include "access/LevelRecord.h"
#include "operations/ManageDatabase.h"
#include "store/Schema.h"

namespace zav::manage {

namespace {
const QString LevelsFromLowest = QStringLiteral("Select * from Levels order by ID Desc");
} // namespace

int ForEachLoginLevel(const QString& dbPath,
                      const std::function<void(int id, const QString& storedName)>& offer) {
    int count = 0;
    ForEachRow(dbPath, LevelsFromLowest, {}, [&](const store::Recordset& row) {
        // The first row is the logout level, which is never offered.
        const int id = row.Field(store::FieldID).toInt();
        if (count++ > 0 && id > 0) {
            offer(id, access::TextOrEmpty(row.Field(store::FieldName)));
        }
    });
    return count;
}

int ForEachLoginOperator(const QString& dbPath,
                         const std::function<void(const QString& name, int levelId)>& offer) {
    int count = 0;
    ForEachRow(dbPath, QStringLiteral("Select * from Operators order by ID Desc,Name"), {},
               [&](const store::Recordset& row) {
                   ++count;
                   offer(access::TextOrEmpty(row.Field(store::FieldName)), row.Field(store::FieldID).toInt());
               });
    return count;
}

bool ReadLogoutLevel(const QString& dbPath, Class_Level& level) {
    return ReadFirstRow(dbPath, LevelsFromLowest, {},
                        [&level](const store::Recordset& row) { access::ReadLevel(row, level); });
}

void ForEachLevelFromLowest(const QString& dbPath,
                            const std::function<void(int id, const QString& storedName)>& visit) {
    ForEachRow(dbPath, QStringLiteral("Select ID, Name from Levels order by ID Desc"), {},
               [&visit](const store::Recordset& row) {
                   visit(row.Field(store::FieldID).toInt(), access::TextOrEmpty(row.Field(store::FieldName)));
               });
}

bool AnyOperators(const QString& dbPath) {
    return ReadFirstRow(dbPath, QStringLiteral("Select * from Operators order by Name"), {}, {});
}

bool AnyLevels(const QString& dbPath) {
    return ReadFirstRow(dbPath, QStringLiteral("Select * from Levels order by ID"), {}, {});
}

} // namespace zav::manage
