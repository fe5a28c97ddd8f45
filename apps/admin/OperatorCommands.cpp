// add-operator, remove-operator, move-operator.

#include "AdminError.h"
#include "Commands.h"
#include "Lookups.h"
#include "PasswordInput.h"

namespace zav::admin {

namespace {

struct LevelOption {
    int id = 0;
    QString storedName; // when the level was named: the write checks it is still that level
};

LevelOption levelOption(const Invocation& invocation) {
    if (!invocation.level) {
        throw UsageError(QStringLiteral("%1 needs --level ID").arg(invocation.command));
    }
    bool isNumber = false;
    invocation.level->toLongLong(&isNumber);
    if (isNumber) {
        return {ParseLevelId(*invocation.level), QString()}; // one that names no level fails at the write
    }
    const auto level = RequireLevel(*invocation.dbPath, *invocation.level);
    return {level->ID(), level->DBLevelName()};
}

std::optional<QString> namedOrNot(const LevelOption& level) {
    return level.storedName.isEmpty() ? std::nullopt : std::optional<QString>(level.storedName);
}

} // namespace

void RunAddOperator(const Invocation& invocation, QTextStream& /*out*/) {
    const QString& name = invocation.arguments[0];
    const LevelOption level = levelOption(invocation);
    CheckNewName(name, QStringLiteral("an operator"));
    QString password;
    if (invocation.passwordFromStdin) {
        password = ReadNewPassword(true);
    } else if (manage::ReadPolicy(*invocation.dbPath).AnyPasswordRule()) {
        throw AutomationError(
            ErrInvalidArgument,
            QStringLiteral("the policy sets password rules, so operator \"%1\" needs a password: "
                           "give it on standard input with --password-stdin; nothing was added")
                .arg(name));
    }
    ExplainKeyErrors(
        [&] { manage::AddOperator(*invocation.dbPath, level.id, name, namedOrNot(level), password); },
        QStringLiteral("an operator named \"%1\" exists already (letter case aside)").arg(name),
        NoSuchLevel(level.id));
}

void RunRemoveOperator(const Invocation& invocation, QTextStream& /*out*/) {
    const QString& name = invocation.arguments[0];
    RequireOperator(*invocation.dbPath, name);
    manage::RemoveOperator(*invocation.dbPath, name);
}

void RunMoveOperator(const Invocation& invocation, QTextStream& /*out*/) {
    const QString& name = invocation.arguments[0];
    const LevelOption level = levelOption(invocation);
    RequireOperator(*invocation.dbPath, name);
    ExplainKeyErrors([&] { manage::MoveOperator(*invocation.dbPath, name, level.id, namedOrNot(level)); },
                     QString(), NoSuchLevel(level.id));
}

} // namespace zav::admin
