#include "access/PasswordStore.h"

#include "access/LevelRecord.h"
#include "outside/OutsideObjects.h"
#include "store/Engine.h"
#include "store/Schema.h"

#include <functional>

namespace zav::access {

namespace {
// Opens the row to write (nullptr or an empty recordset: there is none) within one transaction and
// stores the password in it.
bool storePassword(const QString& dbPath,
                   const std::function<std::unique_ptr<store::Recordset>(store::Database&)>& openRow,
                   const QString& password) {
    auto db =
        store::DefaultEngine().OpenDatabase(dbPath, store::OpenMode::SharedReadWrite, store::ConnectString);
    store::Transaction transaction(*db);
    auto rs = openRow(*db);
    bool written = false;
    if (rs && !rs->Eof()) {
        rs->MoveFirst();
        rs->Edit();
        rs->SetField(store::FieldPWD, password);
        rs->Update();
        written = true;
    }
    if (rs) {
        rs->Close();
    }
    transaction.Commit();
    db->Close();
    return written;
}
} // namespace

bool StoreLevelPassword(const QString& dbPath, int id, const QString& storedName, const QString& password) {
    return storePassword(
        dbPath, [&](store::Database& db) { return OpenMeantLevel(db, id, storedName); }, password);
}

bool StoreOperatorPassword(const QString& dbPath, const QString& name, const QString& password) {
    const QString sql = QStringLiteral("Select * from Operators where Name = '") +
                        outside::dbUtility().SqlQuote(name) + QStringLiteral("'");
    return storePassword(
        dbPath, [&](store::Database& db) { return db.OpenRecordset(sql); }, password);
}

} // namespace zav::access
