#pragma once

// The schema of the classic engine on the server. Every name is kept in lower case, the form the
// server folds unquoted names to, so the component's SQL texts find tables and fields whatever case
// they use; the name as the caller gave it is the object's comment, which TableDefs and Relations
// read back. Field rules as on the file: Booleans are smallint NOT NULL DEFAULT 0 (stored -1/0, the
// only smallint columns, so a reader knows them by their type), Integer and Long are integer, the
// 16-bit one with a check named "<field> range", text that refuses the zero-length string a check
// named "<field> not empty"; every text sorts and compares in a collation that ignores letter case.
// A relation is a foreign key of the foreign table with an index of the same name on its fields.

#include "store/Engine.h"
#include "store/server/PgConnection.h"

namespace zav::pg::schema {

QString quoted(const QString& name); // "name" in lower case, inner quotes doubled

// The table whose lock is the open modes' and the writers' lock (PgLink.h). It holds nothing and is no
// part of the schema: holdsTables and tableDefs pass it over.
inline constexpr QLatin1StringView OpenLockTable("openlock");

// Has the server load the collation of the credential tables' text, when the database has it: a
// session loads it at its first comparison (some 10 to 30 ms here), which a panel pays better when it
// connects, at DbPath, than at its first login.
void loadCollation(Connection& db) noexcept;

bool tableExists(Connection& db, const QString& name);
// Whether the database holds any table (a database that does is no new one).
bool holdsTables(Connection& db);
std::vector<store::TableDef> tableDefs(Connection& db);
std::vector<store::RelationDef> relations(Connection& db);
// The columns of the table's primary key, in the key's order; none when it has no primary key or there
// is no such table.
std::vector<QString> primaryKey(Connection& db, const QString& table);

// Both run in the caller's transaction.
void createTable(Connection& db, const store::TableDef& table);
void createRelation(Connection& db, const store::RelationDef& relation);

} // namespace zav::pg::schema
