#include "Snapshot.h"

#include "access/LevelRecord.h"
#include "manage/ManageDatabase.h"
#include "store/Schema.h"

namespace zav::admin {

Snapshot ReadSnapshot(const QString& dbPath) {
    Snapshot snapshot;
    auto db = manage::OpenForReading(dbPath);
    store::Transaction transaction(*db);
    auto levels = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID"));
    for (; !levels->Eof(); levels->MoveNext()) {
        LevelEntry entry;
        access::ReadLevel(*levels, *entry.level);
        entry.level->setPassword(access::TextOrEmpty(levels->Field(store::FieldPWD)));
        entry.nEnable = levels->Field(store::FieldNEnable).toInt();
        snapshot.levels.push_back(entry);
    }
    levels->Close();
    auto operators = db->OpenRecordset(QStringLiteral("Select * from Operators order by Name"));
    for (; !operators->Eof(); operators->MoveNext()) {
        snapshot.operators.push_back({access::TextOrEmpty(operators->Field(store::FieldName)),
                                      access::TextOrEmpty(operators->Field(store::FieldPWD)),
                                      operators->Field(store::FieldID).toInt()});
    }
    operators->Close();
    transaction.Commit();
    db->Close();
    return snapshot;
}

const LevelEntry* FindLevel(const Snapshot& snapshot, int id) {
    for (const auto& entry : snapshot.levels) {
        if (entry.level->ID() == id) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace zav::admin
