// init, add-level, remove-level, set-rights.

#include "AdminError.h"
#include "Commands.h"
#include "Lookups.h"
#include "Rights.h"
#include "operations/CredentialDatabase.h"

namespace zav::admin {

void RunInit(const Invocation& invocation, QTextStream& /*out*/) {
    auto rights = Class_LevelEnable::create();
    ParseRights(invocation.rights.isEmpty() ? QStringList{QStringLiteral("all")} : invocation.rights,
                *rights);

    try {
        manage::InitializeDatabase(*invocation.dbPath, *rights);
    } catch (const AutomationError&) {
        throw;
    } catch (const std::exception& error) {
        // Numbered as the component numbers a failure it cannot number.
        throw AutomationError(0, QString::fromLocal8Bit(error.what()));
    }
}

void RunAddLevel(const Invocation& invocation, QTextStream& out) {
    const QString& name = invocation.arguments[0];
    CheckNewName(name, QStringLiteral("a level"));
    int id = 0;
    try {
        id = manage::AddLevel(*invocation.dbPath, name);
    } catch (const manage::DbError& error) {
        // A duplicate key means the name only when a level of that name is there.
        if (error.Number() == manage::ErrDuplicateKey && manage::LevelIdByName(*invocation.dbPath, name)) {
            throw manage::DbError(
                error.Number(),
                QStringLiteral("a level named \"%1\" exists already (letter case aside)").arg(name),
                error.EngineCode());
        }
        throw;
    }
    out << id << '\n';
}

void RunRemoveLevel(const Invocation& invocation, QTextStream& out) {
    const auto level = RequireLevel(*invocation.dbPath, invocation.arguments[0]);
    const int id = level->ID();
    // Without the top level the next one becomes level 0, and its password the top password.
    if (id == 0 && !invocation.force) {
        throw AutomationError(ErrInvalidArgument,
                              QStringLiteral("level 0 is the top level: removing it makes the next level the "
                                             "top level and its password the top password; add --force to "
                                             "remove it anyway"));
    }
    const int operators = manage::RemoveLevel(*invocation.dbPath, id, level->DBLevelName());
    out << QStringLiteral("removed level %1 (%2) and %3 of it\n")
               .arg(id)
               .arg(level->DBLevelName(), manage::CountOf(operators, QStringLiteral("operator")));
}

void RunSetRights(const Invocation& invocation, QTextStream& out) {
    const auto level = RequireLevel(*invocation.dbPath, invocation.arguments[0]);
    const int id = level->ID();
    auto rights = Class_LevelEnable::create();
    ParseRights(invocation.arguments.mid(1), *rights);
    const QString storedName = level->DBLevelName();
    if (!manage::StoreLevelRights(*invocation.dbPath, id, storedName, *rights)) {
        throw manage::DbError(manage::ErrNoCurrentRecord, NoSuchLevel(id));
    }
    // The renumbering may have given the level another place.
    if (const auto newId = manage::LevelIdByName(*invocation.dbPath, storedName)) {
        out << *newId << '\n';
    }
}

} // namespace zav::admin
