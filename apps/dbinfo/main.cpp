// zav-dbinfo: opens a credential database (creating it with its built-in levels when it is missing)
// and lists its levels and operators.

#include "access/LevelRecord.h"
#include "language/TextLookup.h"
#include "shell/RecordingShell.h"
#include "store/Engine.h"
#include "store/Schema.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QCoreApplication>
#include <QTextStream>

namespace {
void listLevelsAndOperators(const QString& path, QTextStream& out) {
    using namespace zav::store;
    auto db = DefaultEngine().OpenDatabase(path, OpenMode::SharedReadOnly, ConnectString);
    auto levels = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID"));
    out << "Levels:\n";
    for (; !levels->Eof(); levels->MoveNext()) {
        const QString name = zav::access::TextOrEmpty(levels->Field(QStringLiteral("Name")));
        out << QStringLiteral("  %1  %2  (%3 custom rights)\n")
                   .arg(levels->Field(QStringLiteral("ID")).toInt(), 3)
                   .arg(zav::language::TranslateText(name), -24)
                   .arg(levels->Field(QStringLiteral("NEnable")).toInt());
    }
    auto operators = db->OpenRecordset(QStringLiteral("Select * from Operators order by ID Desc,Name"));
    out << "Operators:" << (operators->RecordCount() == 0 ? " none\n" : "\n");
    for (; !operators->Eof(); operators->MoveNext()) {
        out << QStringLiteral("  %1  level %2\n")
                   .arg(zav::access::TextOrEmpty(operators->Field(QStringLiteral("Name"))), -24)
                   .arg(operators->Field(QStringLiteral("ID")).toInt());
    }
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2 || args[1].startsWith(QLatin1Char('-'))) {
        QTextStream(stderr)
            << "usage: zav-dbinfo DATABASE\n"
               "Opens the credential database (created with its built-in levels when missing)\n"
               "and lists its levels and operators.\n";
        return 2;
    }
    // A listing tool never hides or shows the desktop.
    zav::shell::setShellServices(std::make_shared<zav::shell::RecordingShell>());
    auto login = ZAV_Login::create();
    login->setAutoShutDown(false);
    login->setDbPath(args[1]);
    if (!login->CurrentLevel()) {
        QTextStream(stderr) << "zav-dbinfo: the database could not be opened\n";
        return 1;
    }
    out << "Database: " << login->DbPath() << "\n";
    try {
        listLevelsAndOperators(login->DbPath(), out);
    } catch (const AutomationError& e) {
        QTextStream(stderr) << "zav-dbinfo: " << e.Description() << " (" << e.Number() << ")\n";
        return 1;
    }
    out << "Nobody logged in: level " << login->CurrentLevel()->ID() << " ("
        << login->CurrentLevel()->LevelName() << ") is in force.\n";
    out.flush();
    login->Terminate();
    return 0;
}
