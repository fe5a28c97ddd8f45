#pragma once

// What zav-admin knows about each command: how it is called, its help, and the code that runs it.

#include "CommandLine.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <vector>

namespace zav::admin {

struct Command {
    QString name;
    QStringList synopses; // each follows "zav-admin --db PATH "
    QString summary;      // one line of the tool's help
    QString details;      // the rest of the command's help
    int minArguments = 0;
    int maxArguments = 0;
    QStringList options; // the options it takes besides --db and --help
    void (*run)(const Invocation&, QTextStream&) = nullptr;
    bool needsDatabase = true; // else the command itself asks for --db where it needs it
};

const std::vector<Command>& AllCommands();
const Command* FindCommand(const QString& name);

QString ToolHelp();
QString CommandHelp(const Command& command);

} // namespace zav::admin
