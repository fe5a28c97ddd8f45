#include "store/server/PgEngine.h"

#include "store/server/PgDatabase.h"
#include "store/server/PgSchema.h"
#include "store/server/ServerAddress.h"

namespace zav::pg {

using namespace store;

std::unique_ptr<Database> PgEngine::OpenDatabase(const QString& uri, OpenMode mode, const QString&) {
    return std::make_unique<PgDatabase>(Link::of(uri), mode);
}

std::unique_ptr<Database> PgEngine::CreateDatabase(const QString& uri, const QString&) {
    auto link = Link::of(uri);
    auto db = std::make_unique<PgDatabase>(link, OpenMode::Exclusive);
    if (schema::holdsTables(link->connection())) {
        throw DbError(ErrDatabaseExists,
                      QStringLiteral("Database %1 already exists.").arg(describeServer(uri)));
    }
    return db;
}

} // namespace zav::pg
