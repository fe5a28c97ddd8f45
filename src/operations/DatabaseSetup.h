#pragma once

// Creating a credential database, or completing one that lacks a table, the relation or one of the two
// built-in levels, and the two one-time grants of custom rights. The component does this when its
// DbPath is assigned; zav-admin init does the same without a component.

#include <ZAV_PrjLogin/Class_LevelEnable.h>

#include <QString>

namespace zav::store {
class Database;
}

namespace zav::manage {

// Adds the Levels and Operators tables and their relation where they are missing, within the caller's
// open database (and transaction, where it has one); on a server (`dbPath` a URI) also every other
// table a panel writes, so that a panel's role needs only rights on rows. A database that had no Levels
// table is new: it records both one-time grants as done, so they never run on it.
void CompleteSchemaWithin(store::Database& db, const QString& dbPath);

// Opens the file at `dbPath` exclusively, or creates it (owner-only) when nothing is there (an empty
// file counts as nothing). A server database must exist; it is read first and opened exclusively only
// when something is missing, since the panels sharing it hardly ever leave it alone. Then adds what is
// missing: the Levels and Operators tables, their relation, level 0 ("|0", the database password, every
// right) and level 1 ("|1", no password, the rights `levelOneRights`). Fails with error 91 when level 1 is
// missing and `levelOneRights` is null; with the engine's errors otherwise.
void CreateOrCompleteDatabase(const QString& dbPath, const Class_LevelEnable* levelOneRights);

// The one-time grants: custom rights 32 and 33 to every level, unless `inForce` (the rights of the
// level in force) holds either already, and custom right 34 likewise. Each grant runs once per user
// (recorded in the user's registry) and once per file (recorded in the file, in one transaction with
// the grant itself); `inForce` gains the rights that were granted now. A grant that fails is tried
// again next time; nothing is reported. A database this version made records both as done already:
// the grants upgrade only the databases of older versions.
void ApplyOneTimeGrants(const QString& dbPath, Class_LevelEnable& inForce) noexcept;

// The whole initialisation without a component: CreateOrCompleteDatabase, then ApplyOneTimeGrants
// measured against the rights of the level in force when nobody is logged in (the largest ID).
void InitializeDatabase(const QString& dbPath, const Class_LevelEnable& levelOneRights);

} // namespace zav::manage
