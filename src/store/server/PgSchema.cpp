#include "store/server/PgSchema.h"

#include "store/SqlDialect.h"

#include <QStringList>
#include <limits>

namespace zav::pg::schema {

using namespace store;

namespace {

// Compares without regard to letter case (ICU's secondary strength), so names that differ only
// in case are the same name, as on the file.
const QString Collation = QStringLiteral("zav_general");

const QString Separator = QString(QChar(0x1f));

QString literal(const QString& text) {
    return dialect::serverLiteral(text);
}

QString quotedList(const std::vector<QString>& names) {
    QStringList parts;
    for (const auto& name : names) {
        parts << quoted(name);
    }
    return parts.join(QStringLiteral(", "));
}

void ensureCollation(Connection& db) {
    const bool present = db.exec(QStringLiteral("SELECT count(*) FROM pg_collation WHERE collname = $1 AND "
                                                "collnamespace = current_schema()::regnamespace"),
                                 {Collation})
                             .value(0, 0)
                             .toInt() > 0;
    if (!present) {
        db.exec(QStringLiteral("CREATE COLLATION %1 (provider = icu, locale = 'und-u-ks-level2', "
                               "deterministic = false)")
                    .arg(Collation));
    }
}

QString columnSql(const FieldDef& field) {
    const QString name = quoted(field.name);
    switch (field.type) {
    case FieldType::Boolean:
        return name + QStringLiteral(" smallint NOT NULL DEFAULT 0");
    case FieldType::Integer:
        return name + QStringLiteral(" integer CONSTRAINT %1 CHECK (%2 BETWEEN %3 AND %4)")
                          .arg(quoted(field.name + QStringLiteral(" range")), name)
                          .arg(std::numeric_limits<qint16>::min())
                          .arg(std::numeric_limits<qint16>::max());
    case FieldType::Long:
        return name + QStringLiteral(" integer");
    case FieldType::Text:
        break;
    }
    QString sql = name + QStringLiteral(" text COLLATE ") + Collation;
    if (!field.allowZeroLength) {
        sql += QStringLiteral(" CONSTRAINT %1 CHECK (length(%2) > 0)")
                   .arg(quoted(field.name + QStringLiteral(" not empty")), name);
    }
    return sql;
}

// The caller's spelling of a table's and its columns' names.
void commentTable(Connection& db, const TableDef& table) {
    db.exec(QStringLiteral("COMMENT ON TABLE %1 IS %2").arg(quoted(table.name), literal(table.name)));
    for (const auto& field : table.fields) {
        db.exec(QStringLiteral("COMMENT ON COLUMN %1.%2 IS %3")
                    .arg(quoted(table.name), quoted(field.name), literal(field.name)));
    }
}

std::vector<QString> splitNames(const QString& joined) {
    std::vector<QString> names;
    for (const auto& name : joined.split(Separator, Qt::SkipEmptyParts)) {
        names.push_back(name);
    }
    return names;
}

// The caller's spelling of an object's name, or its stored one.
const QString Named = QStringLiteral("coalesce(obj_description(%1, '%2'), %3)");
// A column's name as the caller spelt it, for the attribute numbers of an array.
const QString ColumnNames = QStringLiteral(
    "(SELECT string_agg(coalesce(col_description(a.attrelid, a.attnum), a.attname), chr(31) ORDER BY k.n) "
    "FROM unnest(%2) WITH ORDINALITY AS k(attnum, n) JOIN pg_attribute a ON a.attrelid = %1 AND "
    "a.attnum = k.attnum)");
const QString InThisSchema = QStringLiteral("relnamespace = current_schema()::regnamespace");
// Tables of this schema but the open lock's ($1), which belongs to no schema of ours.
const QString OursInThisSchema = QStringLiteral("relname <> $1::name AND ") + InThisSchema;

std::vector<FieldDef> fieldsOf(Connection& db, const QString& tableOid) {
    const Result rows =
        db.exec(QStringLiteral(
                    "SELECT coalesce(col_description(a.attrelid, a.attnum), a.attname), "
                    "format_type(a.atttypid, NULL), "
                    "(SELECT string_agg(conname, chr(31)) FROM pg_constraint WHERE conrelid = a.attrelid "
                    "AND contype = 'c' AND conkey = ARRAY[a.attnum]) "
                    "FROM pg_attribute a WHERE a.attrelid = $1::oid AND a.attnum > 0 AND NOT a.attisdropped "
                    "ORDER BY a.attnum"),
                {tableOid});
    std::vector<FieldDef> fields;
    for (int row = 0; row < rows.rowCount(); ++row) {
        FieldDef field;
        field.name = rows.value(row, 0).toString();
        const QString type = rows.value(row, 1).toString();
        const QStringList checks = rows.value(row, 2).toString().split(Separator);
        if (type == u"smallint") {
            field.type = FieldType::Boolean;
        } else if (type == u"integer") {
            field.type = checks.contains(field.name.toLower() + QStringLiteral(" range")) ? FieldType::Integer
                                                                                          : FieldType::Long;
        } else {
            field.type = FieldType::Text;
            field.allowZeroLength = !checks.contains(field.name.toLower() + QStringLiteral(" not empty"));
        }
        fields.push_back(field);
    }
    return fields;
}

std::vector<IndexDef> indexesOf(Connection& db, const QString& tableOid) {
    // An index named like one of the table's foreign keys belongs to that relation.
    const Result rows = db.exec(
        QStringLiteral("SELECT %1, x.indisprimary, x.indisunique, %2 FROM pg_index x JOIN pg_class i ON "
                       "i.oid = x.indexrelid WHERE x.indrelid = $1::oid AND NOT EXISTS (SELECT 1 FROM "
                       "pg_constraint f WHERE f.conrelid = x.indrelid AND f.contype = 'f' AND f.conname = "
                       "i.relname) ORDER BY NOT x.indisprimary, lower(%1)")
            .arg(Named.arg(QStringLiteral("i.oid"), QStringLiteral("pg_class"), QStringLiteral("i.relname")),
                 ColumnNames.arg(QStringLiteral("x.indrelid"), QStringLiteral("x.indkey::int2[]"))),
        {tableOid});
    std::vector<IndexDef> indexes;
    for (int row = 0; row < rows.rowCount(); ++row) {
        indexes.push_back({rows.value(row, 0).toString(), splitNames(rows.value(row, 3).toString()),
                           rows.value(row, 1).toBool(), rows.value(row, 2).toBool()});
    }
    return indexes;
}

QString tableOidOf(Connection& db, const QString& name) {
    const Result found =
        db.exec(QStringLiteral("SELECT oid::text FROM pg_class WHERE relname = $1 AND relkind = 'r' AND ") +
                    InThisSchema,
                {name.toLower()});
    return found.rowCount() > 0 ? found.value(0, 0).toString() : QString();
}

QString existingTableOid(Connection& db, const QString& name) {
    const QString oid = tableOidOf(db, name);
    if (oid.isEmpty()) {
        throw DbError(ErrItemNotFound,
                      QStringLiteral("Item not found in this collection: table '%1'.").arg(name));
    }
    return oid;
}

} // namespace

QString quoted(const QString& name) {
    return QLatin1Char('"') + name.toLower().replace(u'"', QStringLiteral("\"\"")) + QLatin1Char('"');
}

void loadCollation(Connection& db) noexcept {
    try {
        db.exec(QStringLiteral("DO $zav_collation$ BEGIN\n"
                               "  IF EXISTS (SELECT 1 FROM pg_collation WHERE collname = '%1' AND\n"
                               "             collnamespace = current_schema()::regnamespace) THEN\n"
                               "    PERFORM 'a' = 'A' COLLATE %1;\n"
                               "  END IF;\n"
                               "END $zav_collation$")
                    .arg(Collation));
    } catch (...) {
        // only time is lost: the first comparison loads it then
    }
}

bool tableExists(Connection& db, const QString& name) {
    return !tableOidOf(db, name).isEmpty();
}

bool holdsTables(Connection& db) {
    return db.exec(QStringLiteral("SELECT count(*) FROM pg_class WHERE relkind IN ('r', 'p') AND ") +
                       OursInThisSchema,
                   {QString(OpenLockTable)})
               .value(0, 0)
               .toInt() > 0;
}

std::vector<QString> primaryKey(Connection& db, const QString& table) {
    const QString oid = tableOidOf(db, table);
    if (!oid.isEmpty()) {
        for (const IndexDef& index : indexesOf(db, oid)) {
            if (index.primary) {
                return index.fields;
            }
        }
    }
    return {};
}

std::vector<TableDef> tableDefs(Connection& db) {
    const Result rows = db.exec(
        QStringLiteral("SELECT oid::text, %1 FROM pg_class WHERE relkind = 'r' AND %2 ORDER BY oid")
            .arg(Named.arg(QStringLiteral("oid"), QStringLiteral("pg_class"), QStringLiteral("relname")),
                 OursInThisSchema),
        {QString(OpenLockTable)});
    std::vector<TableDef> tables;
    for (int row = 0; row < rows.rowCount(); ++row) {
        const QString oid = rows.value(row, 0).toString();
        tables.push_back({rows.value(row, 1).toString(), fieldsOf(db, oid), indexesOf(db, oid)});
    }
    return tables;
}

std::vector<RelationDef> relations(Connection& db) {
    const Result rows = db.exec(
        QStringLiteral(
            "SELECT %1, %2, %3, c.confupdtype = 'c', c.confdeltype = 'c', %4, %5 FROM pg_constraint c "
            "JOIN pg_class p ON p.oid = c.confrelid JOIN pg_class f ON f.oid = c.conrelid WHERE "
            "c.contype = 'f' AND c.connamespace = current_schema()::regnamespace ORDER BY c.oid")
            .arg(Named.arg(QStringLiteral("c.oid"), QStringLiteral("pg_constraint"),
                           QStringLiteral("c.conname")),
                 Named.arg(QStringLiteral("p.oid"), QStringLiteral("pg_class"), QStringLiteral("p.relname")),
                 Named.arg(QStringLiteral("f.oid"), QStringLiteral("pg_class"), QStringLiteral("f.relname")),
                 ColumnNames.arg(QStringLiteral("c.confrelid"), QStringLiteral("c.confkey")),
                 ColumnNames.arg(QStringLiteral("c.conrelid"), QStringLiteral("c.conkey"))));
    std::vector<RelationDef> found;
    for (int row = 0; row < rows.rowCount(); ++row) {
        RelationDef relation{rows.value(row, 0).toString(),
                             rows.value(row, 1).toString(),
                             rows.value(row, 2).toString(),
                             (rows.value(row, 3).toBool() ? RelationUpdateCascade : 0) |
                                 (rows.value(row, 4).toBool() ? RelationDeleteCascade : 0),
                             {}};
        const auto fields = splitNames(rows.value(row, 5).toString());
        const auto foreignFields = splitNames(rows.value(row, 6).toString());
        for (size_t k = 0; k < fields.size() && k < foreignFields.size(); ++k) {
            relation.fields.push_back({fields[k], foreignFields[k]});
        }
        found.push_back(std::move(relation));
    }
    return found;
}

void createTable(Connection& db, const TableDef& table) {
    ensureCollation(db);
    QStringList parts;
    for (const auto& field : table.fields) {
        parts << columnSql(field);
    }
    if (const IndexDef* primary = PrimaryIndexOf(table)) {
        parts << QStringLiteral("CONSTRAINT %1 PRIMARY KEY (%2)")
                     .arg(quoted(primary->name), quotedList(primary->fields));
    }
    db.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(table.name), parts.join(QStringLiteral(", "))));
    commentTable(db, table);
    for (const auto& index : table.indexes) {
        if (!index.primary) {
            db.exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                        .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), quoted(index.name),
                             quoted(table.name), quotedList(index.fields)));
        }
        db.exec(QStringLiteral("COMMENT ON INDEX %1 IS %2").arg(quoted(index.name), literal(index.name)));
    }
}

void createRelation(Connection& db, const RelationDef& relation) {
    existingTableOid(db, relation.table);
    existingTableOid(db, relation.foreignTable);
    if (relation.fields.empty()) {
        throw DbError(ErrEngine, QStringLiteral("Relation '%1' has no fields.").arg(relation.name));
    }
    std::vector<QString> fields;
    std::vector<QString> foreignFields;
    for (const auto& field : relation.fields) {
        fields.push_back(field.name);
        foreignFields.push_back(field.foreignName);
    }
    QString sql = QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 FOREIGN KEY (%3) REFERENCES %4 (%5)")
                      .arg(quoted(relation.foreignTable), quoted(relation.name), quotedList(foreignFields),
                           quoted(relation.table), quotedList(fields));
    if (relation.attributes & RelationUpdateCascade) {
        sql += QStringLiteral(" ON UPDATE CASCADE");
    }
    if (relation.attributes & RelationDeleteCascade) {
        sql += QStringLiteral(" ON DELETE CASCADE");
    }
    db.exec(sql);
    db.exec(QStringLiteral("COMMENT ON CONSTRAINT %1 ON %2 IS %3")
                .arg(quoted(relation.name), quoted(relation.foreignTable), literal(relation.name)));
    // Cascades and per-key lists look the foreign rows up by this index instead of scanning.
    db.exec(QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                .arg(quoted(relation.name), quoted(relation.foreignTable), quotedList(foreignFields)));
}

} // namespace zav::pg::schema
