// add-operator, remove-operator, move-operator.

#include "AdminError.h"
#include "Commands.h"
#include "Lookups.h"

namespace zav::admin {

namespace {
int levelOption(const Invocation& invocation) {
    if (!invocation.level) {
        throw UsageError(QStringLiteral("%1 needs --level ID").arg(invocation.command));
    }
    return ParseLevelId(*invocation.level);
}
} // namespace

void RunAddOperator(const Invocation& invocation, QTextStream& /*out*/) {
    const QString& name = invocation.arguments[0];
    const int levelId = levelOption(invocation);
    CheckNewName(name, QStringLiteral("an operator"));
    ExplainKeyErrors([&] { manage::AddOperator(*invocation.dbPath, levelId, name); },
                     QStringLiteral("an operator named \"%1\" exists already (letter case aside)").arg(name),
                     NoSuchLevel(levelId));
}

void RunRemoveOperator(const Invocation& invocation, QTextStream& /*out*/) {
    const QString& name = invocation.arguments[0];
    RequireOperator(*invocation.dbPath, name);
    manage::RemoveOperator(*invocation.dbPath, name);
}

void RunMoveOperator(const Invocation& invocation, QTextStream& /*out*/) {
    const QString& name = invocation.arguments[0];
    const int levelId = levelOption(invocation);
    RequireOperator(*invocation.dbPath, name);
    ExplainKeyErrors([&] { manage::MoveOperator(*invocation.dbPath, name, levelId); }, QString(),
                     NoSuchLevel(levelId));
}

} // namespace zav::admin
