#include "store/FieldValues.h"
#include "store/SchemaSql.h"
#include "store/SqliteStatement.h"

#include <QRegularExpression>
#include <algorithm>

namespace zav::store::ddl {

namespace {

// A double-quoted name, inner quotes doubled.
const QString QuotedName = QStringLiteral("\"(?:[^\"]|\"\")+\"");

QString unquoted(const QString& text) {
    const QString name = text.trimmed();
    if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"') {
        return name.mid(1, name.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    }
    return name;
}

QStringList unquotedList(const QString& list) {
    QStringList names;
    for (const auto& part : list.split(u',')) {
        names << unquoted(part);
    }
    return names;
}

bool sameNames(const QStringList& a, const QStringList& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const QString& x, const QString& y) {
        return x.compare(y, Qt::CaseInsensitive) == 0;
    });
}

QString primaryKeyName(const QString& tableSql) {
    static const QRegularExpression pattern(QStringLiteral("CONSTRAINT\\s+(") + QuotedName +
                                                QStringLiteral(")\\s+PRIMARY\\s+KEY"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(tableSql);
    return match.hasMatch() ? unquoted(match.captured(1)) : QString();
}

struct NamedForeignKey {
    QString name;
    QStringList fields;
    QString table;
};

std::vector<NamedForeignKey> namedForeignKeys(const QString& tableSql) {
    static const QRegularExpression pattern(
        QStringLiteral("CONSTRAINT\\s+(") + QuotedName +
            QStringLiteral(")\\s+FOREIGN\\s+KEY\\s*\\(([^)]*)\\)\\s*REFERENCES\\s+(") + QuotedName +
            QStringLiteral("|\\w+)"),
        QRegularExpression::CaseInsensitiveOption);
    std::vector<NamedForeignKey> keys;
    for (auto it = pattern.globalMatch(tableSql); it.hasNext();) {
        const auto match = it.next();
        keys.push_back(
            {unquoted(match.captured(1)), unquotedList(match.captured(2)), unquoted(match.captured(3))});
    }
    return keys;
}

QStringList indexFields(sqlite::Database& db, const QString& index) {
    QStringList fields;
    sqlite::Statement info(db, QStringLiteral("PRAGMA index_info(%1)").arg(quoted(index)));
    while (info.executeStep()) {
        fields << info.columnText(2);
    }
    return fields;
}

std::vector<FieldDef> readFields(sqlite::Database& db, const StoredTable& table) {
    std::vector<FieldDef> fields;
    sqlite::Statement info(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table.name)));
    while (info.executeStep()) {
        FieldDef field;
        field.name = info.columnText(1);
        field.type = fieldTypeOfDeclared(info.columnText(2)).value_or(FieldType::Text);
        field.allowZeroLength =
            field.type == FieldType::Text &&
            !table.sql.contains(quoted(notEmptyConstraint(field.name)), Qt::CaseInsensitive);
        fields.push_back(field);
    }
    return fields;
}

std::vector<IndexDef> readIndexes(sqlite::Database& db, const StoredTable& table, const QStringList& hidden) {
    std::vector<IndexDef> indexes;
    sqlite::Statement list(db, QStringLiteral("PRAGMA index_list(%1)").arg(quoted(table.name)));
    while (list.executeStep()) {
        const QString stored = list.columnText(1);
        if (hidden.contains(stored, Qt::CaseInsensitive)) {
            continue;
        }
        IndexDef index;
        index.primary = list.columnText(3) == QLatin1String("pk");
        index.unique = list.columnInt64(2) != 0;
        index.name = index.primary ? primaryKeyName(table.sql) : stored;
        const auto fields = indexFields(db, stored);
        index.fields.assign(fields.begin(), fields.end());
        indexes.push_back(index);
    }
    // The primary index first, the others by name: the same order however SQLite lists them.
    std::sort(indexes.begin(), indexes.end(), [](const IndexDef& a, const IndexDef& b) {
        return a.primary != b.primary ? a.primary : a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return indexes;
}

int attributesOf(const QString& onUpdate, const QString& onDelete) {
    const auto cascades = [](const QString& action) {
        return action.compare(u"CASCADE", Qt::CaseInsensitive) == 0;
    };
    return (cascades(onUpdate) ? RelationUpdateCascade : 0) |
           (cascades(onDelete) ? RelationDeleteCascade : 0);
}

QString storedNameOf(const std::vector<StoredTable>& tables, const QString& name) {
    for (const auto& table : tables) {
        if (table.name.compare(name, Qt::CaseInsensitive) == 0) {
            return table.name;
        }
    }
    return name;
}

// The relations whose foreign table is `table`, in the order of their constraints.
std::vector<RelationDef> relationsOf(sqlite::Database& db, const StoredTable& table,
                                     const std::vector<StoredTable>& tables) {
    std::vector<RelationDef> relations;
    int currentId = -1;
    sqlite::Statement list(db, QStringLiteral("PRAGMA foreign_key_list(%1)").arg(quoted(table.name)));
    while (list.executeStep()) {
        const int id = int(list.columnInt64(0));
        if (id != currentId) {
            currentId = id;
            RelationDef relation;
            relation.table = storedNameOf(tables, list.columnText(2));
            relation.foreignTable = table.name;
            relation.attributes = attributesOf(list.columnText(5), list.columnText(6));
            relations.push_back(relation);
        }
        relations.back().fields.push_back({list.columnText(4), list.columnText(3)});
    }
    const auto named = namedForeignKeys(table.sql);
    for (auto& relation : relations) {
        QStringList foreignFields;
        for (const auto& field : relation.fields) {
            foreignFields << field.foreignName;
        }
        const auto found = std::find_if(named.begin(), named.end(), [&](const NamedForeignKey& key) {
            return key.table.compare(relation.table, Qt::CaseInsensitive) == 0 &&
                   sameNames(key.fields, foreignFields);
        });
        relation.name = found != named.end() ? found->name : relation.table + relation.foreignTable;
    }
    std::reverse(relations.begin(), relations.end()); // SQLite lists the last declared first
    return relations;
}

} // namespace

std::vector<StoredTable> storedTables(sqlite::Database& db) {
    std::vector<StoredTable> tables;
    sqlite::Statement list(db, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND "
                                              "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"));
    while (list.executeStep()) {
        tables.push_back({list.columnText(0), list.columnText(1)});
    }
    return tables;
}

std::optional<StoredTable> storedTable(sqlite::Database& db, const QString& name) {
    for (auto& table : storedTables(db)) {
        if (table.name.compare(name, Qt::CaseInsensitive) == 0) {
            return table;
        }
    }
    return std::nullopt;
}

std::vector<RelationDef> readRelations(sqlite::Database& db) {
    const auto tables = storedTables(db);
    std::vector<RelationDef> relations;
    for (const auto& table : tables) {
        for (auto& relation : relationsOf(db, table, tables)) {
            relations.push_back(std::move(relation));
        }
    }
    return relations;
}

std::vector<TableDef> readTableDefs(sqlite::Database& db) {
    const auto tables = storedTables(db);
    std::vector<TableDef> defs;
    for (const auto& table : tables) {
        QStringList relationIndexes;
        for (const auto& relation : relationsOf(db, table, tables)) {
            relationIndexes << relation.name;
        }
        defs.push_back({table.name, readFields(db, table), readIndexes(db, table, relationIndexes)});
    }
    return defs;
}

} // namespace zav::store::ddl
