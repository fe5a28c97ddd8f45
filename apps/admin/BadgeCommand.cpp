// badge init-key | badge set NAME [--stdin] [--pin] | badge remove NAME. A badge's number is read without
// echo and never printed: only its HMACs reach the database.

#include "AdminError.h"
#include "Commands.h"
#include "Lookups.h"
#include "PasswordInput.h"

namespace zav::admin {

namespace {

void setBadge(const Invocation& invocation) {
    const QString& dbPath = *invocation.dbPath;
    const QString name = RequireOperator(dbPath, invocation.arguments[1]).name;
    const manage::BadgeKey key = manage::ReadBadgeKey();
    if (!key.usable()) { // before anyone presents a badge
        throw AutomationError(ErrInvalidArgument,
                              key.why + QStringLiteral("; nothing was changed (badge init-key makes a key)"));
    }
    const QString reading = ReadSecretLine(
        invocation.fromStdin,
        QStringLiteral("Badge of \"%1\" (present it to the reader, or type its number): ").arg(name),
        QStringLiteral("badge"));
    const QString pin =
        invocation.pin ? ReadNewPassword(invocation.fromStdin, QStringLiteral("PIN")) : QString();
    manage::SetBadge(dbPath, name, reading,
                     invocation.pin ? manage::LoginMethod::BadgeAndPin : manage::LoginMethod::Badge, pin,
                     key);
}

} // namespace

void RunBadge(const Invocation& invocation, QTextStream& out) {
    const QString& action = invocation.arguments[0];
    const bool initKey = action == QLatin1String("init-key");
    if (!initKey && action != QLatin1String("set") && action != QLatin1String("remove")) {
        throw UsageError(
            QStringLiteral("badge takes init-key, set NAME or remove NAME, not '%1'").arg(action));
    }
    if (invocation.arguments.size() != (initKey ? 1 : 2)) {
        throw UsageError(initKey ? QStringLiteral("badge init-key takes no further argument")
                                 : QStringLiteral("badge %1 takes an operator's NAME").arg(action));
    }
    if ((invocation.fromStdin || invocation.pin) && action != QLatin1String("set")) {
        throw UsageError(QStringLiteral("--stdin and --pin apply to badge set only"));
    }
    if (initKey) {
        const QString path = manage::BadgeKeyPath();
        manage::CreateBadgeKey(path);
        out << path << '\n';
        return;
    }
    RequireDatabase(invocation, QStringLiteral("badge ") + action);
    if (action == QLatin1String("set")) {
        setBadge(invocation);
        return;
    }
    const QString name = RequireOperator(*invocation.dbPath, invocation.arguments[1]).name;
    out << QStringLiteral("operator \"%1\": ").arg(name)
        << (manage::RemoveBadge(*invocation.dbPath, name) ? "badge removed, logs in with its password\n"
                                                          : "had no badge\n");
}

} // namespace zav::admin
