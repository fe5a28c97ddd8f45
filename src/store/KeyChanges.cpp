#include "store/KeyChanges.h"

#include "store/SchemaSql.h"
#include "store/SqliteStatement.h"

#include <QSet>
#include <algorithm>

namespace zav::store::keys {

namespace {

// The moves, kept in a table of the connection's temporary database so that the statements can
// look them up by index.
const QString MovesTable = QStringLiteral("temp.zav_key_moves");

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The relations that refer to `table`.`field`: with enforcement suspended, those that cascade are
// followed by hand and the others refuse the change while a row refers to a moving value.
struct Dependents {
    std::vector<RelationDef> cascading;
    std::vector<RelationDef> refusing;
};

Dependents dependentsOf(sqlite::Database& db, const QString& table, const QString& field) {
    Dependents found;
    for (auto& relation : ddl::readRelations(db)) {
        if (sameName(relation.foreignTable, table) &&
            std::any_of(relation.fields.begin(), relation.fields.end(),
                        [&](const RelationField& f) { return sameName(f.foreignName, field); })) {
            throw DbError(ErrEngine,
                          QStringLiteral("Field '%1' refers to table '%2': its values cannot be moved.")
                              .arg(field, relation.table));
        }
        if (!sameName(relation.table, table) ||
            std::none_of(relation.fields.begin(), relation.fields.end(),
                         [&](const RelationField& f) { return sameName(f.name, field); })) {
            continue;
        }
        const bool cascades = relation.fields.size() == 1 && (relation.attributes & RelationUpdateCascade);
        (cascades ? found.cascading : found.refusing).push_back(std::move(relation));
    }
    return found;
}

// A free temporary value for every moving value: negative, held by no row and taken by no move.
void fillMoves(sqlite::Database& db, const QString& table, const QString& field,
               const std::vector<KeyChange>& changes) {
    QSet<qint64> taken;
    sqlite::Statement held(
        db, QStringLiteral("SELECT DISTINCT %1 FROM %2").arg(ddl::quoted(field), ddl::quoted(table)));
    while (held.executeStep()) {
        taken.insert(held.columnInt64(0));
    }
    for (const auto& change : changes) {
        taken.insert(change.to);
    }
    db.exec(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS zav_key_moves "
                           "(old INTEGER PRIMARY KEY, tmp INTEGER NOT NULL UNIQUE, new INTEGER NOT NULL)"));
    db.exec(QStringLiteral("DELETE FROM ") + MovesTable);
    sqlite::Statement insert(db, QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?)").arg(MovesTable));
    qint64 temporary = -1;
    for (const auto& change : changes) {
        while (taken.contains(temporary)) {
            --temporary;
        }
        insert.bind(1, qint64(change.from));
        insert.bind(2, temporary--);
        insert.bind(3, qint64(change.to));
        insert.exec();
        insert.reset();
    }
}

// Sets `field` of every row of `table` that holds a value of column `by` to that move's `to`.
void moveBy(sqlite::Database& db, const QString& table, const QString& field, const char* by,
            const char* to) {
    const QString t = ddl::quoted(table);
    const QString f = ddl::quoted(field);
    sqlite::Statement(db, QStringLiteral("UPDATE %1 SET %2 = (SELECT %3 FROM %4 WHERE %5 = %1.%2) "
                                         "WHERE %2 IN (SELECT %5 FROM %4)")
                              .arg(t, f, QLatin1String(to), MovesTable, QLatin1String(by)))
        .exec();
}

void refuseWhenReferred(sqlite::Database& db, const RelationDef& relation, const QString& field) {
    for (const auto& pair : relation.fields) {
        if (!sameName(pair.name, field)) {
            continue;
        }
        sqlite::Statement referring(
            db, QStringLiteral("SELECT 1 FROM %1 WHERE %2 IN (SELECT old FROM %3) LIMIT 1")
                    .arg(ddl::quoted(relation.foreignTable), ddl::quoted(pair.foreignName), MovesTable));
        if (referring.executeStep()) {
            throw DbError(ErrRelatedRecordRequired,
                          QStringLiteral("The record cannot be changed because table '%1' includes related "
                                         "records.")
                              .arg(relation.foreignTable));
        }
    }
}

void refuseRepeatedSources(const std::vector<KeyChange>& changes) {
    QSet<int> sources;
    for (const auto& change : changes) {
        if (sources.contains(change.from)) {
            throw DbError(ErrEngine,
                          QStringLiteral("Value %1 cannot move twice in one change.").arg(change.from));
        }
        sources.insert(change.from);
    }
}

} // namespace

void changeKeys(sqlite::Database& db, const QString& table, const QString& field,
                const std::vector<KeyChange>& changes) {
    refuseRepeatedSources(changes);
    const QString stored = ddl::existingTable(db, table).name;
    const Dependents dependents = dependentsOf(db, stored, field);
    const sqlite::ForeignKeysSuspended suspended(db);
    fillMoves(db, stored, field, changes);
    for (const auto& relation : dependents.refusing) {
        refuseWhenReferred(db, relation, field);
    }
    moveBy(db, stored, field, "old", "tmp");
    moveBy(db, stored, field, "tmp", "new");
    for (const auto& relation : dependents.cascading) {
        moveBy(db, relation.foreignTable, relation.fields.front().foreignName, "old", "new");
    }
}

} // namespace zav::store::keys
