#include "operations/ManageDatabase.h"

#include "store/Schema.h"

namespace zav::manage {

std::unique_ptr<store::Database> OpenForReading(const QString& dbPath) {
    return store::DefaultEngine().OpenDatabase(dbPath, store::OpenMode::SharedReadOnly, store::ConnectString);
}

std::unique_ptr<store::Database> OpenForWriting(const QString& dbPath) {
    return store::DefaultEngine().OpenDatabase(dbPath, store::OpenMode::SharedReadWrite,
                                               store::ConnectString);
}

void ForEachRow(const QString& dbPath, const QString& sql, const QVariantList& parameters,
                const std::function<void(const store::Recordset& row)>& visit) {
    auto db = OpenForReading(dbPath);
    auto rs = db->OpenRecordset(sql, parameters);
    if (rs->RecordCount() > 0) { // reads every row
        rs->MoveFirst();
        while (!rs->Eof()) {
            visit(*rs);
            rs->MoveNext();
        }
    }
    rs->Close();
    db->Close();
}

bool ReadFirstRow(const QString& dbPath, const QString& sql, const QVariantList& parameters,
                  const std::function<void(const store::Recordset& row)>& read) {
    auto db = OpenForReading(dbPath);
    auto rs = db->OpenRecordset(sql, parameters);
    const bool found = !rs->Eof();
    if (found && read) {
        rs->MoveFirst();
        read(*rs);
    }
    rs->Close();
    db->Close();
    return found;
}

} // namespace zav::manage
