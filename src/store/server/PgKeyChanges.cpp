#include "store/server/PgKeyChanges.h"

#include "store/server/PgSchema.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <optional>

namespace zav::pg {

using namespace store;

namespace {

// A move of one row; no value stands for the spare value below everything held and wanted.
struct Move {
    std::optional<qint64> from;
    std::optional<qint64> to;
};

// The changes as single moves in an order where each goes to a value free by then: every chain from
// its free end back, and every cycle by putting one row on the spare value first and moving it on
// last. Each row then moves once (a cycle's first row twice), and so do the rows that follow it
// through a cascade. Nothing when two changes want the same value: the server refuses that.
std::optional<std::vector<Move>> orderedMoves(const std::vector<KeyChange>& changes) {
    QHash<qint64, size_t> bySource;
    QHash<qint64, size_t> byTarget;
    for (size_t i = 0; i < changes.size(); ++i) {
        bySource.insert(changes[i].from, i);
        if (byTarget.contains(changes[i].to)) {
            return std::nullopt;
        }
        byTarget.insert(changes[i].to, i);
    }
    std::vector<Move> moves;
    std::vector<bool> done(changes.size(), false);
    // Moves a row and then, one after the other, those waiting for the value just freed.
    const auto unwind = [&](size_t i, size_t stop) {
        for (auto next = byTarget.constFind(changes[i].from); next != byTarget.cend() && *next != stop;
             next = byTarget.constFind(changes[*next].from)) {
            moves.push_back({changes[*next].from, changes[*next].to});
            done[*next] = true;
        }
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        if (!bySource.contains(changes[i].to)) { // a chain's free end
            moves.push_back({changes[i].from, changes[i].to});
            done[i] = true;
            unwind(i, i);
        }
    }
    for (size_t i = 0; i < changes.size(); ++i) {
        if (!done[i]) { // the rest are cycles
            moves.push_back({changes[i].from, std::nullopt});
            done[i] = true;
            unwind(i, i);
            moves.push_back({std::nullopt, changes[i].to});
        }
    }
    return moves;
}

QString arrayLiteral(const std::vector<Move>& moves) {
    const auto text = [](const std::optional<qint64>& value) {
        return value ? QString::number(*value) : QStringLiteral("NULL");
    };
    QStringList pairs;
    for (const Move& move : moves) {
        pairs << QLatin1Char('{') + text(move.from) + QLatin1Char(',') + text(move.to) + QLatin1Char('}');
    }
    return QLatin1Char('{') + pairs.join(u',') + QLatin1Char('}');
}

// Every moving row to a free negative value first and on to its new one after: two statements, each
// row and everything cascading from it moving twice.
void changeInTwoSteps(Connection& db, const QString& t, const QString& f,
                      const std::vector<KeyChange>& changes, qint64 lowestWanted) {
    QStringList from;
    QStringList to;
    for (const auto& change : changes) {
        from << QString::number(change.from);
        to << QString::number(change.to);
    }
    // Free values below everything held and everything wanted.
    const qint64 lowest = std::min(
        lowestWanted, db.exec(QStringLiteral("SELECT coalesce(min(%1), 0)::bigint FROM %2").arg(f, t))
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

const QString BlockTag = QStringLiteral("$zav_keys$");

} // namespace

void changeKeys(Connection& db, const QString& table, const QString& field,
                const std::vector<KeyChange>& changes) {
    if (!schema::tableExists(db, table)) {
        throw DbError(ErrItemNotFound,
                      QStringLiteral("Item not found in this collection: table '%1'.").arg(table));
    }
    QSet<int> sources;
    std::vector<KeyChange> moving;
    qint64 lowestWanted = 0;
    for (const auto& change : changes) {
        if (sources.contains(change.from)) {
            throw DbError(ErrEngine,
                          QStringLiteral("Value %1 cannot move twice in one change.").arg(change.from));
        }
        sources.insert(change.from);
        if (change.from != change.to) {
            moving.push_back(change);
        }
        lowestWanted = std::min<qint64>(lowestWanted, change.to);
    }
    if (moving.empty()) {
        return;
    }
    const QString t = schema::quoted(table);
    const QString f = schema::quoted(field);
    const auto moves = orderedMoves(moving);
    // The moves run on the server in one statement, one row after the other, with the language every
    // database has unless someone removed it.
    if (!moves || (t + f).contains(BlockTag) ||
        !db.exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM pg_language WHERE lanname = 'plpgsql')"))
             .value(0, 0)
             .toBool()) {
        changeInTwoSteps(db, t, f, moving, lowestWanted);
        return;
    }
    db.exec(QStringLiteral("DO %1\n"
                           "DECLARE\n"
                           "  spare bigint := least((SELECT coalesce(min(%3), 0) FROM %2), %4) - 1;\n"
                           "  m bigint[];\n"
                           "BEGIN\n"
                           "  FOREACH m SLICE 1 IN ARRAY '%5'::bigint[] LOOP\n"
                           "    UPDATE %2 SET %3 = coalesce(m[2], spare) WHERE %3 = coalesce(m[1], spare);\n"
                           "  END LOOP;\n"
                           "END\n%1")
                .arg(BlockTag, t, f, QString::number(lowestWanted), arrayLiteral(*moves)));
}

} // namespace zav::pg
