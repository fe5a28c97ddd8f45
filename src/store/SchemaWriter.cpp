#include "store/FieldValues.h"
#include "store/GeneralCollation.h"
#include "store/SchemaSql.h"
#include "store/SqliteStatement.h"

#include <algorithm>
#include <limits>

namespace zav::store::ddl {

namespace {

QString quotedList(const std::vector<QString>& names) {
    QStringList parts;
    for (const auto& name : names) {
        parts << quoted(name);
    }
    return parts.join(QStringLiteral(", "));
}

bool containsName(const std::vector<QString>& names, const QString& name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const QString& n) { return n.compare(name, Qt::CaseInsensitive) == 0; });
}

QString rangeCheck(const QString& field, qint64 low, qint64 high) {
    return QStringLiteral(" CONSTRAINT %1 CHECK (%2 BETWEEN %3 AND %4)")
        .arg(quoted(rangeConstraint(field)), quoted(field))
        .arg(low)
        .arg(high);
}

QString columnSql(const FieldDef& field, bool inPrimaryKey) {
    QString sql = quoted(field.name) + QLatin1Char(' ') + declaredTypeOf(field.type);
    switch (field.type) {
    case FieldType::Boolean:
        return sql + QStringLiteral(" NOT NULL DEFAULT 0"); // a row stored without a value holds false
    case FieldType::Integer:
        sql += rangeCheck(field.name, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max());
        break;
    case FieldType::Long:
        sql += rangeCheck(field.name, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
        break;
    case FieldType::Text:
        sql += QStringLiteral(" COLLATE ") + QLatin1String(GeneralCollation);
        if (!field.allowZeroLength) {
            sql += QStringLiteral(" CONSTRAINT %1 CHECK (length(%2) > 0)")
                       .arg(quoted(notEmptyConstraint(field.name)), quoted(field.name));
        }
        break;
    }
    return inPrimaryKey ? sql + QStringLiteral(" NOT NULL") : sql;
}

QString createIndexSql(const QString& table, const QString& name, const std::vector<QString>& fields,
                       bool unique) {
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(unique ? QStringLiteral("UNIQUE ") : QString(), quoted(name), quoted(table), quotedList(fields));
}

QString foreignKeySql(const RelationDef& relation) {
    std::vector<QString> fields;
    std::vector<QString> foreignFields;
    for (const auto& field : relation.fields) {
        fields.push_back(field.name);
        foreignFields.push_back(field.foreignName);
    }
    QString sql = QStringLiteral("CONSTRAINT %1 FOREIGN KEY (%2) REFERENCES %3 (%4)")
                      .arg(quoted(relation.name), quotedList(foreignFields), quoted(relation.table),
                           quotedList(fields));
    if (relation.attributes & RelationUpdateCascade) {
        sql += QStringLiteral(" ON UPDATE CASCADE");
    }
    if (relation.attributes & RelationDeleteCascade) {
        sql += QStringLiteral(" ON DELETE CASCADE");
    }
    return sql;
}

// The CREATE INDEX texts of a table's named indexes, to make them again after a rebuild.
QStringList indexSqlOf(sqlite::Database& db, const QString& table) {
    QStringList texts;
    sqlite::Statement list(db,
                           QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND "
                                          "tbl_name = ?1 COLLATE NOCASE AND sql IS NOT NULL ORDER BY rowid"));
    list.bind(1, table);
    while (list.executeStep()) {
        texts << list.columnText(0);
    }
    return texts;
}

void requireNoBrokenRows(sqlite::Database& db, const QString& table) {
    sqlite::Statement check(db, QStringLiteral("PRAGMA foreign_key_check(%1)").arg(quoted(table)));
    if (check.executeStep()) {
        throw DbError(
            ErrRelatedRecordRequired,
            QStringLiteral("The relation cannot be made: rows of '%1' refer to records that do not exist.")
                .arg(table));
    }
}

} // namespace

StoredTable existingTable(sqlite::Database& db, const QString& name) {
    auto table = storedTable(db, name);
    if (!table) {
        throw DbError(ErrItemNotFound,
                      QStringLiteral("Item not found in this collection: table '%1'.").arg(name));
    }
    return *table;
}

QString quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QString rangeConstraint(const QString& field) {
    return field + QStringLiteral(" range");
}

QString notEmptyConstraint(const QString& field) {
    return field + QStringLiteral(" not empty");
}

void createTable(sqlite::Database& db, const TableDef& table) {
    const IndexDef* primary = PrimaryIndexOf(table);
    QStringList parts;
    for (const auto& field : table.fields) {
        parts << columnSql(field, primary && containsName(primary->fields, field.name));
    }
    if (primary) {
        parts << QStringLiteral("CONSTRAINT %1 PRIMARY KEY (%2)")
                     .arg(quoted(primary->name), quotedList(primary->fields));
    }
    db.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(table.name), parts.join(QStringLiteral(", "))));
    for (const auto& index : table.indexes) {
        if (!index.primary) {
            db.exec(createIndexSql(table.name, index.name, index.fields, index.unique));
        }
    }
}

void createRelation(sqlite::Database& db, const RelationDef& relation) {
    existingTable(db, relation.table);
    const StoredTable foreign = existingTable(db, relation.foreignTable);
    for (const auto& existing : readRelations(db)) {
        if (existing.name.compare(relation.name, Qt::CaseInsensitive) == 0) {
            throw DbError(ErrEngine, QStringLiteral("Relation '%1' already exists.").arg(relation.name));
        }
    }
    if (relation.fields.empty()) {
        throw DbError(ErrEngine, QStringLiteral("Relation '%1' has no fields.").arg(relation.name));
    }
    const QStringList indexes = indexSqlOf(db, foreign.name);
    const QString rebuilt = foreign.name + QStringLiteral("_rebuilt");
    const auto bodyStart = foreign.sql.indexOf(u'(');
    const auto bodyEnd = foreign.sql.lastIndexOf(u')');
    QString createRebuilt = QStringLiteral("CREATE TABLE ") + quoted(rebuilt) + QLatin1Char(' ') +
                            foreign.sql.mid(bodyStart, bodyEnd - bodyStart) + QStringLiteral(", ") +
                            foreignKeySql(relation) + QLatin1Char(')');
    std::vector<QString> foreignFields;
    for (const auto& field : relation.fields) {
        foreignFields.push_back(field.foreignName);
    }

    // Rebuilding a table must not fire the relations of the table itself.
    const sqlite::ForeignKeysSuspended suspended(db);
    db.exec(createRebuilt);
    db.exec(QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(quoted(rebuilt), quoted(foreign.name)));
    db.exec(QStringLiteral("DROP TABLE ") + quoted(foreign.name));
    db.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(rebuilt), quoted(foreign.name)));
    for (const auto& index : indexes) {
        db.exec(index);
    }
    // Cascades and per-key lists look the foreign rows up by this index instead of scanning.
    db.exec(createIndexSql(foreign.name, relation.name, foreignFields, false));
    requireNoBrokenRows(db, foreign.name);
}

} // namespace zav::store::ddl
