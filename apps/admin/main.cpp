// zav-admin: keeps the levels and operators of a credential database from the command line.

#include "Arguments.h"
#include "Run.h"
#include "shell/RecordingShell.h"
#include "shell/ShellServices.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

namespace {

// A report is painted, which takes the GUI application; everything else runs without one.
bool paints(const QStringList& words) {
    for (const QString& word : words) {
        if (word == QLatin1String("--")) {
            break;
        }
        if (word == QLatin1String("--pdf") || word.startsWith(QLatin1String("--pdf="))) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Before anything else: no password stays readable in the process's arguments a moment longer.
    const zav::admin::CommandLineWords commandLine = zav::admin::TakeCommandLine(argc, argv);
    std::unique_ptr<QCoreApplication> app;
    if (paints(commandLine.words)) {
        // A PDF needs no screen: without a platform chosen, none is looked for.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    // Initialising a database logs out, which would show or hide the desktop; a provisioning tool must
    // never touch the screen or shut anything down.
    zav::shell::setShellServices(std::make_shared<zav::shell::RecordingShell>());
    return zav::admin::Run(commandLine);
}
