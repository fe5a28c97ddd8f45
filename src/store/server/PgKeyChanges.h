#pragma once

#include "store/Engine.h"
#include "store/server/PgConnection.h"

namespace zav::pg {

// Database::ChangeKeys on the server, in the caller's transaction: the rows move one at a time, each to
// a value that is free by then (a cycle through a spare value below everything), so values may swap or
// follow each other under a unique index and each row, with the rows its relations carry along, moves
// once. The relations follow by their own cascades (or refuse, 3201, when they have none).
void changeKeys(Connection& db, const QString& table, const QString& field,
                const std::vector<store::KeyChange>& changes);

} // namespace zav::pg
