#include "Run.h"

#include "AdminError.h"
#include "CommandTable.h"
#include "Commands.h"

#include <QTextStream>

namespace zav::admin {

namespace {

// Only what a command may be given reaches it.
void checkUsage(const Invocation& invocation, const Command& command) {
    for (const QString& option : invocation.commandOptions) {
        if (!command.options.contains(option)) {
            throw UsageError(QStringLiteral("%1 does not apply to %2").arg(option, command.name));
        }
    }
    const auto count = invocation.arguments.size();
    if (count < command.minArguments) {
        throw UsageError(QStringLiteral("%1: too few arguments").arg(command.name));
    }
    if (command.maxArguments >= 0 && count > command.maxArguments) {
        throw UsageError(QStringLiteral("%1: too many arguments ('%2')")
                             .arg(command.name, invocation.arguments[command.maxArguments]));
    }
    if (command.needsDatabase) {
        RequireDatabase(invocation, command.name);
    }
}

int runCommand(const Invocation& invocation, QTextStream& out) {
    if (invocation.command.isEmpty() && !invocation.help) {
        throw UsageError(QStringLiteral("no command given"));
    }
    if (invocation.command.isEmpty() || invocation.command == QLatin1String("help")) {
        if (invocation.arguments.isEmpty()) {
            out << ToolHelp();
            return ExitSuccess;
        }
        const Command* about = FindCommand(invocation.arguments.front());
        if (!about) {
            throw UsageError(QStringLiteral("unknown command '%1'").arg(invocation.arguments.front()));
        }
        out << CommandHelp(*about);
        return ExitSuccess;
    }
    const Command* command = FindCommand(invocation.command);
    if (!command) {
        throw UsageError(QStringLiteral("unknown command '%1'").arg(invocation.command));
    }
    if (invocation.help) {
        out << CommandHelp(*command);
        return ExitSuccess;
    }
    checkUsage(invocation, *command);
    command->run(invocation, out);
    return ExitSuccess;
}

} // namespace

void RequireDatabase(const Invocation& invocation, const QString& what) {
    if (!invocation.dbPath) {
        throw UsageError(QStringLiteral("%1 needs --db PATH (or the environment variable ZAV_DB)").arg(what));
    }
}

int Run(const CommandLineWords& commandLine) {
    QTextStream err(stderr);
    if (commandLine.passwordRemoved) {
        err << "zav-admin: warning: the password of the server address was removed from this program's "
               "arguments, which every local user can read while it runs; keep it in ~/.pgpass (or the "
               "file PGPASSFILE names) instead\n";
    }
    if (!commandLine.fault.isEmpty()) {
        err << "zav-admin: " << commandLine.fault << " (" << ErrInvalidArgument << ")\n";
        return ExitFailure;
    }
    err.flush();
    return Run(commandLine.words);
}

int Run(const QStringList& words) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString command;
    try {
        const Invocation invocation = ParseCommandLine(words);
        command = FindCommand(invocation.command) ? invocation.command : QString();
        return runCommand(invocation, out);
    } catch (const FindingsReported&) {
        return ExitFailure;
    } catch (const UsageError& error) {
        out.flush();
        err << "zav-admin: " << error.Message() << "\nTry 'zav-admin "
            << (command.isEmpty() ? QString() : command + QLatin1Char(' ')) << "--help'.\n";
        return ExitUsage;
    } catch (const AutomationError& error) {
        out.flush();
        err << "zav-admin: " << error.Description() << " (" << error.Number() << ")\n";
        return ExitFailure;
    } catch (const std::exception& error) {
        out.flush();
        err << "zav-admin: " << QString::fromLocal8Bit(error.what()) << "\n";
        return ExitFailure;
    }
}

} // namespace zav::admin
