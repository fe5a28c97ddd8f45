#include "store/server/PgKeyChanges.h"

#include "store/server/PgSchema.h"

#include <QSet>
#include <QStringList>

namespace zav::pg {

using namespace store;

void changeKeys(Connection& db, const QString& table, const QString& field,
                const std::vector<KeyChange>& changes) {
    if (!schema::tableExists(db, table)) {
        throw DbError(ErrItemNotFound,
                      QStringLiteral("Item not found in this collection: table '%1'.").arg(table));
    }
    QSet<int> sources;
    QStringList from;
    QStringList to;
    qint64 lowest = 0;
    for (const auto& change : changes) {
        if (sources.contains(change.from)) {
            throw DbError(ErrEngine,
                          QStringLiteral("Value %1 cannot move twice in one change.").arg(change.from));
        }
        sources.insert(change.from);
        from << QString::number(change.from);
        to << QString::number(change.to);
        lowest = std::min<qint64>(lowest, change.to);
    }
    const QString t = schema::quoted(table);
    const QString f = schema::quoted(field);
    // Free values below everything held and everything wanted.
    lowest = std::min(lowest, db.exec(QStringLiteral("SELECT coalesce(min(%1), 0)::bigint FROM %2").arg(f, t))
                                  .value(0, 0)
                                  .toLongLong());
    const QVariantList arrays{QLatin1Char('{') + from.join(u',') + QLatin1Char('}'),
                              QLatin1Char('{') + to.join(u',') + QLatin1Char('}'), lowest - 1};
    const QString moves =
        QStringLiteral("(SELECT m.old, $3::bigint - m.n AS tmp, m.new FROM unnest($1::bigint[], "
                       "$2::bigint[]) WITH ORDINALITY AS m(old, new, n))");
    db.exec(QStringLiteral("UPDATE %1 SET %2 = m.tmp FROM %3 AS m WHERE %1.%2 = m.old").arg(t, f, moves),
            arrays);
    db.exec(QStringLiteral("UPDATE %1 SET %2 = m.new FROM %3 AS m WHERE %1.%2 = m.tmp").arg(t, f, moves),
            arrays);
}

} // namespace zav::pg
