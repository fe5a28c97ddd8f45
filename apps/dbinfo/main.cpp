// zav-dbinfo: lists the levels and operators of a credential database. It only reads: the file is
// opened shared and read-only, and a missing file is an error (nothing is created or completed).

#include "operations/CredentialDatabase.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>

namespace {
void listLevelsAndOperators(const QString& path, QTextStream& out) {
    using namespace zav::manage;
    Snapshot snapshot = ReadSnapshot(path);
    out << "Database: " << ShownDatabasePath(path) << "\nLevels:\n"; // a server's URI less its password
    QString inForce; // the level with the largest ID is in force while nobody is logged in
    for (const LevelEntry& entry : snapshot.levels) {
        const int id = entry.level->ID();
        const QString name = entry.level->LevelName();
        out << QStringLiteral("  %1  %2  (%3 custom rights)\n").arg(id, 3).arg(name, -24).arg(entry.nEnable);
        inForce = QStringLiteral("level %1 (%2)").arg(id).arg(name);
    }
    // Lowest level first, by name within a level.
    std::stable_sort(snapshot.operators.begin(), snapshot.operators.end(),
                     [](const OperatorEntry& a, const OperatorEntry& b) { return a.levelId > b.levelId; });
    out << "Operators:" << (snapshot.operators.empty() ? " none\n" : "\n");
    for (const OperatorEntry& entry : snapshot.operators) {
        out << QStringLiteral("  %1  level %2\n").arg(entry.name, -24).arg(entry.levelId);
    }
    if (!inForce.isEmpty()) {
        out << "Nobody logged in: " << inForce << " is in force.\n";
    }
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2 || args[1].startsWith(QLatin1Char('-'))) {
        QTextStream(stderr) << "usage: zav-dbinfo DATABASE\n"
                               "Lists the levels and operators of the credential database; it only reads.\n";
        return 2;
    }
    try {
        listLevelsAndOperators(args[1], out);
    } catch (const AutomationError& e) {
        out.flush();
        QTextStream(stderr) << "zav-dbinfo: " << e.Description() << " (" << e.Number() << ")\n";
        return 1;
    }
    return 0;
}
