// zav-admin: keeps the levels and operators of a credential database from the command line.

#include "Arguments.h"
#include "Run.h"
#include "shell/RecordingShell.h"
#include "shell/ShellServices.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    // Before anything else: no password stays readable in the process's arguments a moment longer.
    const zav::admin::CommandLineWords commandLine = zav::admin::TakeCommandLine(argc, argv);
    QCoreApplication app(argc, argv);
    // Initialising a database logs out, which would show or hide the desktop; a provisioning tool must
    // never touch the screen or shut anything down.
    zav::shell::setShellServices(std::make_shared<zav::shell::RecordingShell>());
    return zav::admin::Run(commandLine);
}
