#include "DisplayCheck.h"

namespace zav::panel {

namespace {
bool needsDesktopDisplay(const QString& platform) {
    return platform.isEmpty() || platform.startsWith(QLatin1String("xcb")) ||
           platform.startsWith(QLatin1String("wayland"));
}
} // namespace

bool displayAvailable(const QStringList& arguments) {
    QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const qsizetype option = arguments.indexOf(QStringLiteral("-platform"));
    if (option >= 0 && option + 1 < arguments.size()) {
        platform = arguments[option + 1];
    }
    if (!needsDesktopDisplay(platform)) {
        return true;
    }
    return !qEnvironmentVariable("DISPLAY").isEmpty() || !qEnvironmentVariable("WAYLAND_DISPLAY").isEmpty();
}

QString noDisplayAdvice() {
    return QStringLiteral(
        "zav-panel: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
        "The demo panel is a window and needs a graphical session. Either\n"
        "  - run scripts/demo from a terminal of a desktop session,\n"
        "  - log in with X forwarding (ssh -X user@machine) and run scripts/demo there,\n"
        "  - check that it starts on a virtual display you cannot see: xvfb-run -a scripts/demo\n"
        "    (end it with Ctrl+C), or\n"
        "  - look at pictures of the panel and its dialogs instead: scripts/screenshots writes "
        "docs/*.png.\n");
}

} // namespace zav::panel
