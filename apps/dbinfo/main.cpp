// zav-dbinfo: lists the levels and operators of a credential database. It only reads: the file is
// opened shared and read-only, and a missing file is an error (nothing is created or completed).

#include "access/LevelRecord.h"
#include "language/TextLookup.h"
#include "store/Engine.h"
#include "store/Schema.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QCoreApplication>
#include <QTextStream>

namespace {
void listLevelsAndOperators(const QString& path, QTextStream& out) {
    using namespace zav::store;
    auto db = DefaultEngine().OpenDatabase(path, OpenMode::SharedReadOnly, ConnectString);
    auto levels = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID"));
    out << "Database: " << path << "\nLevels:\n";
    QString inForce; // the level with the largest ID is in force while nobody is logged in
    for (; !levels->Eof(); levels->MoveNext()) {
        const QString name = zav::language::TranslateText(zav::access::TextOrEmpty(levels->Field(FieldName)));
        const int id = levels->Field(FieldID).toInt();
        out << QStringLiteral("  %1  %2  (%3 custom rights)\n")
                   .arg(id, 3)
                   .arg(name, -24)
                   .arg(levels->Field(FieldNEnable).toInt());
        inForce = QStringLiteral("level %1 (%2)").arg(id).arg(name);
    }
    levels->Close();
    auto operators = db->OpenRecordset(QStringLiteral("Select * from Operators order by ID Desc,Name"));
    out << "Operators:" << (operators->Eof() ? " none\n" : "\n");
    for (; !operators->Eof(); operators->MoveNext()) {
        out << QStringLiteral("  %1  level %2\n")
                   .arg(zav::access::TextOrEmpty(operators->Field(FieldName)), -24)
                   .arg(operators->Field(FieldID).toInt());
    }
    operators->Close();
    db->Close();
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
