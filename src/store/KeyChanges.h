#pragma once

// Moving key values of a table in bulk (Database::ChangeKeys of the SQLCipher engine).
//
// Row by row, every write inside a transaction saves the pages it touches to a statement journal,
// and SQLCipher encrypts each of them; with a cascading relation one level's new number rewrites
// its operators as well. So the change runs as a few set-based statements with the relations'
// enforcement suspended: the table moves to free temporary values and on to the new ones, and each
// cascading relation follows with one statement. The caller provides the transaction.

#include "store/Engine.h"

namespace zav::sqlite {
class Database;
}

namespace zav::store::keys {

// `changes` is not empty (the engine returns before it opens a savepoint for nothing).
void changeKeys(sqlite::Database& db, const QString& table, const QString& field,
                const std::vector<KeyChange>& changes);

} // namespace zav::store::keys
