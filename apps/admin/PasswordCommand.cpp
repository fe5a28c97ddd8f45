// passwd level ID | passwd operator NAME.

#include "AdminError.h"
#include "Commands.h"
#include "Lookups.h"
#include "PasswordInput.h"
#include "operations/CredentialDatabase.h"

namespace zav::admin {

namespace {

void setLevelPassword(const QString& dbPath, const QString& idOrName, bool fromStdin) {
    const auto level = RequireLevel(dbPath, idOrName);
    const int id = level->ID();
    const QString storedName = level->DBLevelName();
    const QString password = ReadNewPassword(fromStdin);
    // The management window offers no password for the level in force when nobody is logged in.
    if (!password.isEmpty() && LogoutLevelId(dbPath) == id) {
        throw AutomationError(
            ErrInvalidArgument,
            QStringLiteral("level %1 is in force when nobody is logged in and cannot have a "
                           "password")
                .arg(id));
    }
    manage::RefuseFaultyPassword(
        manage::CheckNewLevelPassword(dbPath, id, {storedName, level->LevelName()}, password),
        QStringLiteral("level %1 (\"%2\")").arg(id).arg(storedName));
    if (!manage::StoreLevelPassword(dbPath, id, storedName, password)) {
        throw manage::DbError(manage::ErrNoCurrentRecord, NoSuchLevel(id));
    }
}

void setOperatorPassword(const QString& dbPath, const QString& name, bool fromStdin) {
    RequireOperator(dbPath, name);
    const QString password = ReadNewPassword(fromStdin);
    manage::RefuseFaultyPassword(manage::CheckNewOperatorPassword(dbPath, name, password),
                                 QStringLiteral("operator \"%1\"").arg(name));
    if (!manage::StoreOperatorPassword(dbPath, name, password)) {
        throw manage::DbError(manage::ErrNoCurrentRecord, NoSuchOperator(name));
    }
}

} // namespace

void RunPasswd(const Invocation& invocation, QTextStream& /*out*/) {
    const QString& kind = invocation.arguments[0];
    if (kind == QLatin1String("level")) {
        setLevelPassword(*invocation.dbPath, invocation.arguments[1], invocation.fromStdin);
    } else if (kind == QLatin1String("operator")) {
        setOperatorPassword(*invocation.dbPath, invocation.arguments[1], invocation.fromStdin);
    } else {
        throw UsageError(QStringLiteral("passwd needs 'level LEVEL' or 'operator NAME', not '%1'").arg(kind));
    }
}

} // namespace zav::admin
