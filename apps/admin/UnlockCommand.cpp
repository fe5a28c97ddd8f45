// unlock NAME | unlock --level LEVEL.

#include "AdminError.h"
#include "Commands.h"
#include "Lookups.h"

namespace zav::admin {

void RunUnlock(const Invocation& invocation, QTextStream& out) {
    const QString& dbPath = *invocation.dbPath;
    if (invocation.level.has_value() == !invocation.arguments.isEmpty()) {
        throw UsageError(QStringLiteral("unlock takes an operator's NAME or --level LEVEL"));
    }
    manage::LockoutEntry entry;
    QString who;
    if (invocation.level) {
        const auto level = RequireLevel(dbPath, *invocation.level);
        entry = {manage::LockoutKind::Level, level->DBLevelName()};
        who = QStringLiteral("level %1 (\"%2\")").arg(level->ID()).arg(entry.name);
    } else {
        entry = {manage::LockoutKind::Operator, RequireOperator(dbPath, invocation.arguments[0]).name};
        who = QStringLiteral("operator \"%1\"").arg(entry.name);
    }
    const manage::LockState before = manage::ClearFailedLogins(dbPath, entry);
    if (before.locked) {
        out << who << ": unlocked (it was locked "
            << (before.until.isValid() ? QStringLiteral("until ") + before.until.toString(Qt::ISODate)
                                       : QStringLiteral("until unlocked"))
            << ")\n";
    } else if (before.failures > 0) {
        out << who << ": not locked; " << before.failures << " failed logins forgotten\n";
    } else {
        out << who << ": not locked\n";
    }
}

} // namespace zav::admin
