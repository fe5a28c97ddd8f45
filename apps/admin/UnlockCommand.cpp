// unlock NAME | unlock --level LEVEL | unlock --panel HOST.

#include "AdminError.h"
#include "Commands.h"
#include "Lookups.h"

namespace zav::admin {

void RunUnlock(const Invocation& invocation, QTextStream& out) {
    const QString& dbPath = *invocation.dbPath;
    if (int(invocation.level.has_value()) + int(invocation.panel.has_value()) +
            int(!invocation.arguments.isEmpty()) !=
        1) {
        throw UsageError(QStringLiteral("unlock takes an operator's NAME, --level LEVEL or --panel HOST"));
    }
    manage::LockoutEntry entry;
    QString who;
    if (invocation.panel) {
        entry = {manage::LockoutKind::Panel, *invocation.panel};
        who = QStringLiteral("the badge reader of panel \"%1\"").arg(entry.name);
    } else if (invocation.level) {
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
