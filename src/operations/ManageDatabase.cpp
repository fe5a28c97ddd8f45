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

} // namespace zav::manage
