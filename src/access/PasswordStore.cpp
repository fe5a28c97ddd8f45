#include "access/PasswordStore.h"

#include "outside/OutsideObjects.h"
#include "store/Engine.h"
#include "store/Schema.h"

namespace zav::access {

namespace {
bool storePassword(const QString& dbPath, const QString& sql, const QString& password) {
    auto db =
        store::DefaultEngine().OpenDatabase(dbPath, store::OpenMode::SharedReadWrite, store::ConnectString);
    auto rs = db->OpenRecordset(sql);
    bool written = false;
    if (rs->RecordCount() != 0) {
        rs->MoveFirst();
        rs->Edit();
        rs->SetField(QStringLiteral("PWD"), password);
        rs->Update();
        written = true;
    }
    rs->Close();
    db->Close();
    return written;
}
} // namespace

bool StoreLevelPassword(const QString& dbPath, int id, const QString& password) {
    return storePassword(dbPath, QStringLiteral("Select * from Levels where ID = ") + QString::number(id),
                         password);
}

bool StoreOperatorPassword(const QString& dbPath, const QString& name, const QString& password) {
    const QString sql = QStringLiteral("Select * from Operators where Name = '") +
                        outside::dbUtility().SqlQuote(name) + QStringLiteral("'");
    return storePassword(dbPath, sql, password);
}

} // namespace zav::access
