#pragma once

#include "store/Engine.h"
#include "store/server/PgConnection.h"

namespace zav::pg {

// Database::ChangeKeys on the server, in the caller's transaction: every moving row goes to a free
// negative value first and on to its new one after, so values may swap or follow each other under a
// unique index. The relations follow by their own cascades (or refuse, 3201, when they have none).
void changeKeys(Connection& db, const QString& table, const QString& field,
                const std::vector<store::KeyChange>& changes);

} // namespace zav::pg
