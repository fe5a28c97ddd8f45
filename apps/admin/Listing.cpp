// levels and operators: a table for people, or JSON with --json. Passwords never appear, only
// whether there is one.

#include "Commands.h"
#include "Document.h"
#include "Rights.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <map>

namespace zav::admin {

namespace {

// Columns as wide as their widest cell, two blanks apart; the last column is not padded.
void writeTable(const QStringList& header, const QList<QStringList>& rows, QTextStream& out) {
    QList<qsizetype> widths;
    for (const QString& title : header) {
        widths << title.size();
    }
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    const auto writeRow = [&](const QStringList& cells) {
        QString line;
        for (qsizetype c = 0; c < cells.size(); ++c) {
            line += c + 1 < cells.size() ? cells[c].leftJustified(widths[c] + 2) : cells[c];
        }
        out << line << '\n';
    };
    writeRow(header);
    for (const QStringList& row : rows) {
        writeRow(row);
    }
}

QString yesNo(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

QString orDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}

// One JSON object or one table row per entry.
template <typename Entry, typename ToJson, typename ToRow>
void writeListing(const std::vector<Entry>& entries, bool json, const QStringList& header, ToJson toJson,
                  ToRow toRow, QTextStream& out) {
    if (json) {
        QJsonArray array;
        for (const Entry& entry : entries) {
            array.append(toJson(entry));
        }
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
        return;
    }
    QList<QStringList> rows;
    for (const Entry& entry : entries) {
        rows << toRow(entry);
    }
    writeTable(header, rows, out);
}

// Whether a password is set, as a table shows it and as JSON holds it; unknown to a role that may not
// read the passwords.
QString passwordShown(const Snapshot& snapshot, const QString& password) {
    return snapshot.passwordsHidden ? QStringLiteral("hidden") : yesNo(!password.isEmpty());
}
QJsonObject withPasswordShown(const Snapshot& snapshot, QJsonObject object) {
    if (snapshot.passwordsHidden) {
        object.insert(QStringLiteral("hasPassword"), QJsonValue());
    }
    return object;
}

QString shownLevelName(const Snapshot& snapshot, int id) {
    const LevelEntry* entry = FindLevel(snapshot, id);
    return entry ? entry->level->LevelName() : QString();
}

} // namespace

void RunLevels(const Invocation& invocation, QTextStream& out) {
    const Snapshot snapshot = manage::ReadSnapshot(*invocation.dbPath);
    const auto row = [&](const LevelEntry& entry) {
        const Class_Level& level = *entry.level;
        return QStringList{QString::number(level.ID()),
                           level.LevelName(),
                           level.DBLevelName(),
                           passwordShown(snapshot, level.Password()),
                           orDash(FixedRightNames(*level.cLevelEnable()).join(QLatin1Char(','))),
                           orDash(CompactNumbers(CustomRightNumbers(*level.cLevelEnable()))),
                           QString::number(entry.nEnable)};
    };
    writeListing(
        snapshot.levels, invocation.json,
        {QStringLiteral("ID"), QStringLiteral("NAME"), QStringLiteral("STORED"), QStringLiteral("PASSWORD"),
         QStringLiteral("RIGHTS"), QStringLiteral("CUSTOM"), QStringLiteral("NENABLE")},
        [&](const LevelEntry& entry) { return withPasswordShown(snapshot, LevelListingJson(entry)); }, row,
        out);
}

void RunOperators(const Invocation& invocation, QTextStream& out) {
    const Snapshot snapshot = manage::ReadSnapshot(*invocation.dbPath);
    // While badges are taken, how each operator logs in.
    const bool badges = manage::WithEntries(manage::Policy{}, snapshot.policy).badgeLogin;
    std::map<QString, manage::LoginMethod, CaseInsensitiveLess> methods;
    for (const manage::BadgeRow& badge : snapshot.badges.value_or(std::vector<manage::BadgeRow>{})) {
        methods[badge.name] = badge.method;
    }
    const auto method = [&](const OperatorEntry& entry) {
        const auto found = methods.find(entry.name);
        return manage::MethodText(found == methods.end() ? manage::LoginMethod::Password : found->second);
    };
    const auto json = [&](const OperatorEntry& entry) {
        QJsonObject object =
            withPasswordShown(snapshot, OperatorListingJson(entry, shownLevelName(snapshot, entry.levelId)));
        if (badges) {
            object.insert(QStringLiteral("method"), method(entry));
        }
        return object;
    };
    const auto row = [&](const OperatorEntry& entry) {
        QStringList cells{entry.name, QString::number(entry.levelId), shownLevelName(snapshot, entry.levelId),
                          passwordShown(snapshot, entry.password)};
        return badges ? cells << method(entry) : cells;
    };
    QStringList header{QStringLiteral("NAME"), QStringLiteral("LEVEL"), QStringLiteral("LEVEL NAME"),
                       QStringLiteral("PASSWORD")};
    writeListing(snapshot.operators, invocation.json, badges ? header << QStringLiteral("METHOD") : header,
                 json, row, out);
}

} // namespace zav::admin
