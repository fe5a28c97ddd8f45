// policy [set KEY VALUE] and check.

#include "AdminError.h"
#include "Commands.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <utility>

namespace zav::admin {

namespace {

// The database path as a shell reads it, for the commands a finding names.
QString shellWord(const QString& word) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=+-]+$"));
    if (plain.match(word).hasMatch()) {
        return word;
    }
    return QLatin1Char('\'') + QString(word).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
           QLatin1Char('\'');
}

// A name as the last word of a command: one that starts with "-" after "--".
QString nameWord(const QString& name) {
    return (name.startsWith(QLatin1Char('-')) ? QStringLiteral("-- ") : QString()) + shellWord(name);
}

// "levels "A", "B"; operators "c"": who a finding names, by stored name.
QString namedEntries(const manage::SafetyFinding& found) {
    QStringList parts;
    for (const auto& [kind, names] : {std::pair{QStringLiteral("levels "), &found.levelNames},
                                      std::pair{QStringLiteral("operators "), &found.operatorNames}}) {
        if (!names->isEmpty()) {
            parts << kind + QLatin1Char('"') + names->join(QStringLiteral("\", \"")) + QLatin1Char('"');
        }
    }
    return parts.join(QStringLiteral("; "));
}

struct Explained {
    QString code; // stable, for --json readers
    QString problem;
    QString fix; // a command, or what to do
};

Explained explain(const manage::SafetyFinding& found, const QString& dbPath) {
    using manage::Finding;
    // Never a server's password: the command is to be completed from the user's own settings.
    const QString admin =
        QStringLiteral("zav-admin --db ") + shellWord(manage::ShownDatabasePath(dbPath)) + QLatin1Char(' ');
    const QString policySet = admin + QStringLiteral("policy set ");
    switch (found.finding) {
    case Finding::TopPasswordIsFixedKey:
        return {QStringLiteral("top-password-fixed-key"),
                QStringLiteral("the top level 0 still has the database's fixed key as its password"),
                admin + QStringLiteral("passwd level 0")};
    case Finding::TopPasswordEmpty:
        return {QStringLiteral("top-password-empty"), QStringLiteral("the top level 0 has no password"),
                admin + QStringLiteral("passwd level 0")};
    case Finding::LevelWithoutPassword:
        return {QStringLiteral("level-without-password"),
                QStringLiteral("level %1 (\"%2\") can be chosen at login without a password")
                    .arg(found.levelId)
                    .arg(found.levelName),
                admin + QStringLiteral("passwd level %1").arg(found.levelId)};
    case Finding::FileOpenToOthers:
    case Finding::LockFileOpenToOthers:
        return {found.finding == Finding::FileOpenToOthers ? QStringLiteral("file-readable")
                                                           : QStringLiteral("lock-file-readable"),
                QStringLiteral("%1 can be read by its group or by others").arg(found.path),
                QStringLiteral("chmod go-rwx ") + shellWord(found.path)};
    case Finding::LockoutOff:
        return {QStringLiteral("lockout-off"), QStringLiteral("wrong passwords may be tried without end"),
                policySet + QStringLiteral("lockout-attempts 5")};
    case Finding::AutoLogoutOff:
        return {QStringLiteral("auto-logout-off"), QStringLiteral("nobody is logged out when idle"),
                policySet + QStringLiteral("auto-logout-minutes 15")};
    case Finding::AuditOff:
        return {QStringLiteral("audit-off"), QStringLiteral("nothing records who logged in or what changed"),
                policySet + QStringLiteral("audit on")};
    case Finding::PasswordStoragePlain:
        return {QStringLiteral("password-storage-plain"), QStringLiteral("password storage is plain"),
                policySet + QStringLiteral("password-storage hashed")};
    case Finding::OfflineReplicaPlain:
        return {QStringLiteral("offline-replica-plain"),
                QStringLiteral("offline-login-days is %1 and passwords are stored as text: every panel keeps "
                               "them as text in its local copy")
                    .arg(found.count),
                policySet + QStringLiteral("password-storage hashed")};
    case Finding::PasswordsStoredAsText:
        return {QStringLiteral("passwords-stored-as-text"),
                QStringLiteral("%1 stored as text in a hashed database")
                    .arg(manage::CountOf(found.count, QStringLiteral("password"))),
                policySet + QStringLiteral("password-storage hashed")};
    case Finding::PasswordHashesOld:
        return {QStringLiteral("password-hashes-old"),
                QStringLiteral("%1 in an older, weaker form: %2")
                    .arg(manage::CountOf(found.count, QStringLiteral("password hash"),
                                         QStringLiteral("password hashes")),
                         namedEntries(found)),
                QStringLiteral("each is replaced by today's form at its next login or password change")};
    case Finding::PasswordsExpired:
        return {QStringLiteral("passwords-expired"),
                QStringLiteral("%1 older than password-max-age-days: %2")
                    .arg(manage::CountOf(found.count, QStringLiteral("password")), namedEntries(found)),
                QStringLiteral("each is changed at its next login, or set anew with ") + admin +
                    QStringLiteral("passwd")};
    case Finding::PasswordsNeverChanged:
        return {QStringLiteral("passwords-never-changed"),
                QStringLiteral("%1 never chose a password of their own: %2")
                    .arg(manage::CountOf(found.count, QStringLiteral("level or operator"),
                                         QStringLiteral("levels and operators")),
                         namedEntries(found)),
                policySet + QStringLiteral("password-change-at-first-login on")};
    case Finding::OperatorWithoutPassword:
        return {QStringLiteral("operator-without-password"),
                QStringLiteral(
                    "operator \"%1\" has no password: choosing it with an empty password opens its level")
                    .arg(found.operatorName),
                admin + QStringLiteral("passwd operator ") + nameWord(found.operatorName)};
    case Finding::PasswordAgainstRules:
        if (!found.operatorName.isEmpty()) {
            return {QStringLiteral("password-against-rules"),
                    QStringLiteral("the password of operator \"%1\" is refused by the policy: %2")
                        .arg(found.operatorName, found.faults),
                    admin + QStringLiteral("passwd operator ") + nameWord(found.operatorName)};
        }
        return {QStringLiteral("password-against-rules"),
                QStringLiteral("the password of level %1 (\"%2\") is refused by the policy: %3")
                    .arg(found.levelId)
                    .arg(found.levelName, found.faults),
                admin + QStringLiteral("passwd level %1").arg(found.levelId)};
    case Finding::NoPasswordRule:
        break;
    }
    return {QStringLiteral("no-password-rule"), QStringLiteral("any password is accepted"),
            policySet + QStringLiteral("password-min-length 8")};
}

void printPolicy(const QString& dbPath, bool json, QTextStream& out) {
    const manage::PolicyEntries entries = manage::PolicyAsText(manage::ReadPolicy(dbPath));
    if (json) {
        QJsonObject object;
        for (const auto& [key, value] : entries) {
            bool isNumber = false;
            const int number = value.toInt(&isNumber);
            // A list of texts stays text, whatever its one entry looks like.
            object.insert(key, key == QLatin1String("signature-reasons") ? QJsonValue(value)
                               : value == QLatin1String("on")            ? QJsonValue(true)
                               : value == QLatin1String("off")           ? QJsonValue(false)
                               : isNumber                                ? QJsonValue(number)
                                                                         : QJsonValue(value));
        }
        out << QJsonDocument(object).toJson(QJsonDocument::Indented);
        return;
    }
    for (const auto& [key, value] : entries) {
        out << key << (value.isEmpty() ? QString() : QLatin1Char(' ') + value) << '\n';
    }
}

} // namespace

void PrintFindings(const std::vector<manage::SafetyFinding>& findings, const QString& dbPath,
                   QTextStream& out) {
    for (const auto& found : findings) {
        const Explained text = explain(found, dbPath);
        out << text.problem << "\n  fix: " << text.fix << '\n';
    }
}

void RunPolicy(const Invocation& invocation, QTextStream& out) {
    const QStringList& arguments = invocation.arguments;
    if (arguments.isEmpty()) {
        printPolicy(*invocation.dbPath, invocation.json, out);
        return;
    }
    if (arguments[0] != QLatin1String("set") || arguments.size() != 3) {
        throw UsageError(QStringLiteral("policy takes no argument, or 'set KEY VALUE'"));
    }
    if (invocation.json) {
        throw UsageError(QStringLiteral("--json does not apply to policy set"));
    }
    manage::SetPolicyEntry(*invocation.dbPath, arguments[1], arguments[2]);
}

void RunCheck(const Invocation& invocation, QTextStream& out) {
    const QString& dbPath = *invocation.dbPath;
    const auto findings = manage::FindUnsafeSettings(dbPath);
    if (invocation.json) {
        QJsonArray array;
        for (const auto& found : findings) {
            const Explained text = explain(found, dbPath);
            array.append(QJsonObject{{QStringLiteral("finding"), text.code},
                                     {QStringLiteral("problem"), text.problem},
                                     {QStringLiteral("fix"), text.fix}});
        }
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    } else {
        PrintFindings(findings, dbPath, out);
        if (findings.empty()) {
            out << "nothing found\n";
        }
    }
    if (!findings.empty()) {
        throw FindingsReported();
    }
}

} // namespace zav::admin
