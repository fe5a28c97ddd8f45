// The Linux shell services. Desktop and panels: on X11 the desktop environment marks its desktop window
// and its panels with the window types _NET_WM_WINDOW_TYPE_DESKTOP and _NET_WM_WINDOW_TYPE_DOCK; hiding
// unmaps every such window and showing maps it again. Without an X server nothing happens. Under a
// Wayland compositor (a kiosk's cage, a Wayland desktop) nothing happens either, and the log says why.
// Log-off, shutdown, restart and power-off: systemd-logind on the system bus, never asking the user.
// Every failure is ignored.

#include "shell/PlatformShell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantList>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace zav::shell::platform {

namespace {

// ---- X11 ----

// Xlib's default handler ends the process; a window that goes away between listing it and mapping it
// must not take the host with it.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

std::vector<Window> childrenOf(Display* display, Window parent) {
    Window root = 0;
    Window grandParent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, parent, &root, &grandParent, &children, &count) != 0 && children != nullptr)
        result.assign(children, children + count);
    if (children != nullptr)
        XFree(children);
    return result;
}

// A property of 32-bit items (atoms, windows); Xlib hands each one over as a long.
std::vector<unsigned long> itemsOf(Display* display, Window window, Atom property, Atom type) {
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long bytesAfter = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> result;
    const int status = XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType,
                                          &actualFormat, &count, &bytesAfter, &data);
    if (status == Success && data != nullptr && actualType == type && actualFormat == 32) {
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        result.assign(items, items + count);
    }
    if (data != nullptr)
        XFree(data);
    return result;
}

// The top-level windows and, where a window manager keeps one, its list of clients: a reparenting
// manager puts client windows inside frames, out of reach of the root's children.
std::vector<Window> candidateWindows(Display* display, Window root) {
    std::vector<Window> windows = childrenOf(display, root);
    for (unsigned long client :
         itemsOf(display, root, XInternAtom(display, "_NET_CLIENT_LIST", False), XA_WINDOW))
        windows.push_back(client);
    std::sort(windows.begin(), windows.end());
    windows.erase(std::unique(windows.begin(), windows.end()), windows.end());
    return windows;
}

// A Wayland compositor draws any desktop and panels itself, and no client may hide them; a kiosk
// compositor shows nothing but its one program. The X server it may offer beside (Xwayland) holds only X
// programs' windows, and asking it would start it for nothing.
bool underWaylandCompositor() {
    const QByteArray compositor = qgetenv("WAYLAND_DISPLAY");
    if (compositor.isEmpty())
        return false;
    static std::once_flag told;
    std::call_once(told, [&] {
        qInfo("zav-prjlogin: under the Wayland compositor %s there is no desktop or taskbar to hide: "
              "hiding and showing them change nothing",
              compositor.constData());
    });
    return true;
}

void setShellWindowsMapped(bool mapped) {
    if (underWaylandCompositor())
        return;
    // No DISPLAY, or an empty one: there is no X server to ask.
    const char* displayName = std::getenv("DISPLAY");
    if (displayName == nullptr || *displayName == '\0')
        return;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return;
    const XErrorHandler previousHandler = XSetErrorHandler(ignoreXError);

    const Window root = XDefaultRootWindow(display);
    const Atom windowType = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom desktopType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    const Atom dockType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
    for (Window window : candidateWindows(display, root)) {
        const std::vector<unsigned long> types = itemsOf(display, window, windowType, XA_ATOM);
        const bool isShell = std::any_of(types.begin(), types.end(), [&](unsigned long type) {
            return type == desktopType || type == dockType;
        });
        if (!isShell)
            continue;
        if (mapped)
            XMapWindow(display, window);
        else
            XUnmapWindow(display, window);
    }

    // Errors of the requests above arrive during the sync, while the quiet handler is still in place.
    XSync(display, False);
    XSetErrorHandler(previousHandler);
    XCloseDisplay(display);
}

// ---- systemd-logind ----

// Long enough for logind and polkit to answer, short enough that a stuck bus never holds up termination.
constexpr int LogindTimeoutMs = 3000;

void callLogind(const QString& method, const QVariantList& arguments) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), method);
    call.setArguments(arguments);
    bus.call(call, QDBus::Block, LogindTimeoutMs); // the reply, or the error, is of no further use
}

// The forced log-off ends the login session this process belongs to, which pam_systemd names in
// XDG_SESSION_ID. A process started outside any session (a service, say) has none; logging its user off
// then means ending all of that user's sessions.
void logOff() {
    const QString session = qEnvironmentVariable("XDG_SESSION_ID");
    if (!session.isEmpty())
        callLogind(QStringLiteral("TerminateSession"), {session});
    else
        callLogind(QStringLiteral("TerminateUser"), {static_cast<uint>(getuid())});
}

} // namespace

void hideShell() {
    setShellWindowsMapped(false);
}

void showShell() {
    setShellWindowsMapped(true);
}

// Nothing to enable: logind asks polkit whether this user may shut the machine down.
void enableShutdownPrivilege() {}

void exitWindows(int option) {
    const bool interactive = false; // forced: the user is never asked
    switch (option) {
    case 0:
        logOff();
        break;
    case 1: // a shutdown switches the machine off, as it does on the Windows PCs of today
    case 8:
        callLogind(QStringLiteral("PowerOff"), {interactive});
        break;
    case 2:
        callLogind(QStringLiteral("Reboot"), {interactive});
        break;
    default:
        break;
    }
}

} // namespace zav::shell::platform
