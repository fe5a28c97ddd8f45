#pragma once

// The schema of the classic engine (tables with typed fields, indexes, relations) expressed in
// SQLite's DDL, and read back from it.
//
// Field rules live in the column definitions: a 16/32-bit integer carries a check named
// "<field> range", a text field that refuses the zero-length string one named "<field> not empty"
// (failures map to 3349 and 3315 by these names); Booleans are NOT NULL DEFAULT 0; every text
// column sorts in the general collation. The primary index is the table's PRIMARY KEY constraint,
// named after the index; other indexes are plain named indexes. A relation is a FOREIGN KEY
// constraint of the foreign table named after the relation, with an index of the same name on the
// foreign fields (it belongs to the relation and is not listed among the table's indexes).

#include "store/Engine.h"

#include <QStringList>
#include <optional>

namespace zav::sqlite {
class Database;
}

namespace zav::store::ddl {

QString quoted(const QString& name); // "name", inner quotes doubled
QString rangeConstraint(const QString& field);
QString notEmptyConstraint(const QString& field);

struct StoredTable {
    QString name; // as stored, whatever case the caller used
    QString sql;  // its CREATE TABLE text
};
std::vector<StoredTable> storedTables(sqlite::Database& db);
std::optional<StoredTable> storedTable(sqlite::Database& db, const QString& name);
StoredTable existingTable(sqlite::Database& db, const QString& name); // or fails with 3265

std::vector<TableDef> readTableDefs(sqlite::Database& db);
std::vector<RelationDef> readRelations(sqlite::Database& db);

// Both run in the caller's transaction, which a failure leaves to roll back.
void createTable(sqlite::Database& db, const TableDef& table);
// Foreign keys can only be declared by CREATE TABLE, so the foreign table is rebuilt with the
// constraint (rows, indexes and all).
void createRelation(sqlite::Database& db, const RelationDef& relation);

} // namespace zav::store::ddl
