#include "operations/DatabaseAddress.h"

#include "store/server/ServerAddress.h"

namespace zav::manage {

bool IsServerDatabase(const QString& dbPath) {
    return pg::isServerPath(dbPath);
}

QString ShownDatabasePath(const QString& dbPath) {
    return IsServerDatabase(dbPath) ? pg::withoutPassword(dbPath) : dbPath;
}

} // namespace zav::manage
