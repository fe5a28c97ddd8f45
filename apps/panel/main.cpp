// zav-panel: the demo host of the login component, a window in the manner of a machine's operator
// panel. This file only reads the command line and starts the window.

#include "DisplayCheck.h"
#include "PanelOptions.h"
#include "PanelWindow.h"
#include "TerminationSignals.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QApplication>
#include <QScreen>
#include <QTextStream>

using namespace zav::panel;

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QCoreApplication::setApplicationName(QStringLiteral("zav-panel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZAV_PANEL_VERSION));
    const ParsedOptions parsed = parsePanelOptions(arguments);
    if (!parsed.options) {
        QTextStream(parsed.exitCode == 0 ? stdout : stderr) << parsed.message << "\n";
        return parsed.exitCode;
    }
    if (!displayAvailable(arguments)) {
        QTextStream(stderr) << noDisplayAdvice();
        return 2;
    }

    QApplication app(argc, argv);
    // Installed before the window: from now on Ctrl+C closes the window, which terminates the component.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, [](int signalNumber) {
        QTextStream(stderr) << "zav-panel: " << TerminationSignals::name(signalNumber) << ", quitting\n";
        QApplication::closeAllWindows();
    });

    try {
        PanelWindow window(*parsed.options);
        if (parsed.options->fullscreen) {
            // A window manager makes a window full screen when asked; without one (a bare X server) nobody
            // does, so the window takes the screen's place and size itself as well. A kiosk compositor may
            // only maximize it: no title bar of its own then either.
            window.setWindowFlag(Qt::FramelessWindowHint);
            window.setGeometry(window.screen()->geometry());
            window.showFullScreen();
        } else {
            window.show();
        }
        return QApplication::exec();
    } catch (const AutomationError& e) {
        QTextStream err(stderr);
        err << "zav-panel: " << e.Description() << " (error " << e.Number() << ")\n";
        if (!parsed.options->language.isEmpty() || !parsed.options->languageFile.isEmpty()) {
            err << "Languages on offer: "
                << Class_Language::create()->EnumLanguages().join(QStringLiteral(", ")) << "\n";
        }
        return 1;
    }
}
