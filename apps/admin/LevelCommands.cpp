// init, add-level, remove-level, set-rights.

#include "AdminError.h"
#include "Commands.h"
#include "Lookups.h"
#include "Rights.h"
#include "base/Mod_Globali.h"
#include "manage/LevelOperations.h"
#include "store/DbError.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <optional>

namespace zav::admin {

void RunInit(const Invocation& invocation, QTextStream& /*out*/) {
    auto rights = Class_LevelEnable::create();
    ParseRights(invocation.rights.isEmpty() ? QStringList{QStringLiteral("all")} : invocation.rights,
                *rights);

    // The component reports a failed initialisation in a message box titled "ZAV_MLORVATO " followed
    // by the error number; here that box becomes the tool's failure.
    std::optional<AutomationError> failure;
    setMessageBoxHandler([&](const QString& text, int, const QString& title) {
        if (!failure) {
            failure.emplace(title.section(QLatin1Char(' '), -1).toInt(), text);
        }
        return vbOK;
    });
    {
        auto login = ZAV_Login::create();
        login->setAutoShutDown(false);
        login->setcRespEnable(rights);
        login->setDbPath(*invocation.dbPath);
        login->Terminate();
    }
    setMessageBoxHandler(nullptr);
    if (failure) {
        throw *failure;
    }
}

void RunAddLevel(const Invocation& invocation, QTextStream& out) {
    const QString& name = invocation.arguments[0];
    CheckNewName(name, QStringLiteral("a level"));
    int id = 0;
    try {
        id = manage::AddLevel(*invocation.dbPath, name);
    } catch (const store::DbError& error) {
        // A duplicate key means the name only when a level of that name is there.
        if (error.Number() == store::ErrDuplicateKey && manage::LevelIdByName(*invocation.dbPath, name)) {
            throw store::DbError(
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
    out << QStringLiteral("removed level %1 (%2) and %3 operator%4 of it\n")
               .arg(id)
               .arg(level->DBLevelName())
               .arg(operators)
               .arg(operators == 1 ? QString() : QStringLiteral("s"));
}

void RunSetRights(const Invocation& invocation, QTextStream& out) {
    const auto level = RequireLevel(*invocation.dbPath, invocation.arguments[0]);
    const int id = level->ID();
    auto rights = Class_LevelEnable::create();
    ParseRights(invocation.arguments.mid(1), *rights);
    const QString storedName = level->DBLevelName();
    if (!manage::StoreLevelRights(*invocation.dbPath, id, storedName, *rights)) {
        throw store::DbError(store::ErrNoCurrentRecord, NoSuchLevel(id));
    }
    // The renumbering may have given the level another place.
    if (const auto newId = manage::LevelIdByName(*invocation.dbPath, storedName)) {
        out << *newId << '\n';
    }
}

} // namespace zav::admin
