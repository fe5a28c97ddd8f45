// Hiding and showing the desktop and panels on a private X server: only windows typed as desktop or dock
// change, whether they sit at the top level or inside a window manager's frame. Without an X server or a
// system bus, every call of the shell returns at once and says nothing.

#include "shell/PlatformShell.h"
#include "support/XvfbServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Last: Xlib defines macros (None, Bool, Status) that clash with names in the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace zav::shell {
namespace {

class X11Shell : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_server.displayName.empty()) << "Xvfb did not start";
        m_display = XOpenDisplay(m_server.displayName.c_str());
        ASSERT_NE(m_display, nullptr);
        // The code under test finds the server the way a desktop program does.
        qputenv("DISPLAY", QByteArray::fromStdString(m_server.displayName));
        qunsetenv("WAYLAND_DISPLAY");
        m_root = XDefaultRootWindow(m_display);
    }
    void TearDown() override {
        qputenv("DISPLAY", "");
        if (m_display != nullptr)
            XCloseDisplay(m_display);
    }

    Atom atom(const char* name) { return XInternAtom(m_display, name, False); }

    Window createWindow(Window parent, std::initializer_list<const char*> types, bool mapped = true) {
        const Window window = XCreateSimpleWindow(m_display, parent, 0, 0, 50, 50, 0, 0, 0);
        std::vector<unsigned long> atoms;
        for (const char* type : types)
            atoms.push_back(atom(type));
        if (!atoms.empty())
            XChangeProperty(m_display, window, atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(atoms.data()),
                            static_cast<int>(atoms.size()));
        if (mapped)
            XMapWindow(m_display, window);
        XSync(m_display, False);
        return window;
    }

    void setClientList(std::initializer_list<Window> clients) {
        const std::vector<unsigned long> list(clients.begin(), clients.end());
        XChangeProperty(m_display, m_root, atom("_NET_CLIENT_LIST"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(list.data()), static_cast<int>(list.size()));
        XSync(m_display, False);
    }

    bool isMapped(Window window) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(m_display, window, &attributes);
        return attributes.map_state != IsUnmapped;
    }

    test::XvfbServer m_server{"320x240x24"};
    Display* m_display = nullptr;
    Window m_root = 0;
};

TEST_F(X11Shell, HidingUnmapsDesktopAndPanelsOnlyAndShowingMapsThemAgain) {
    const Window desktop = createWindow(m_root, {"_NET_WM_WINDOW_TYPE_DESKTOP"});
    const Window panel =
        createWindow(m_root, {"_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", "_NET_WM_WINDOW_TYPE_DOCK"});
    const Window frame = createWindow(m_root, {});
    const Window framedPanel = createWindow(frame, {"_NET_WM_WINDOW_TYPE_DOCK"});
    const Window normal = createWindow(m_root, {"_NET_WM_WINDOW_TYPE_NORMAL"});
    const Window untyped = createWindow(m_root, {});
    const Window closedDialog = createWindow(m_root, {"_NET_WM_WINDOW_TYPE_DIALOG"}, false);
    setClientList({framedPanel, normal});

    platform::hideShell();
    for (const Window hidden : {desktop, panel, framedPanel, closedDialog}) {
        EXPECT_FALSE(isMapped(hidden)) << hidden;
    }
    for (const Window shown : {frame, normal, untyped}) {
        EXPECT_TRUE(isMapped(shown)) << shown;
    }
    platform::hideShell(); // hiding what is hidden changes nothing
    platform::showShell();
    for (const Window shown : {desktop, panel, framedPanel, frame, normal, untyped}) {
        EXPECT_TRUE(isMapped(shown)) << shown;
    }
    EXPECT_FALSE(isMapped(closedDialog));
}

// Under a Wayland compositor the X server beside it (Xwayland) is left alone, and the log says once why.
std::vector<QString> messages;
TEST_F(X11Shell, UnderAWaylandCompositorNothingIsHiddenAndTheLogSaysSo) {
    const Window panel = createWindow(m_root, {"_NET_WM_WINDOW_TYPE_DOCK"});
    qputenv("WAYLAND_DISPLAY", "wayland-7");
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { messages.push_back(text); });
    platform::hideShell();
    platform::showShell();
    platform::hideShell();
    qInstallMessageHandler(previous);
    qunsetenv("WAYLAND_DISPLAY");
    EXPECT_TRUE(isMapped(panel));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0].toStdString(),
                ::testing::AllOf(::testing::HasSubstr("wayland-7"), ::testing::HasSubstr("no desktop")));
}

// A display name that no server answers on.
std::string unusedDisplayName() {
    struct stat info {};
    for (int number = 4000;; ++number) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        if (stat(socket.c_str(), &info) != 0 && stat(lock.c_str(), &info) != 0)
            return ":" + std::to_string(number);
    }
}

// Runs in a child process of the test; the exit code tells whether it was quick: well below the time
// the implementation would wait for an answer, as a server that is not there is never waited for.
[[noreturn]] void everyCallWithoutServers() {
    int argc = 1;
    char name[] = "shell_linux_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QElapsedTimer timer;
    timer.start();
    qunsetenv("DISPLAY");
    platform::hideShell();
    platform::showShell();
    qputenv("DISPLAY", "");
    platform::hideShell();
    qputenv("DISPLAY", QByteArray::fromStdString(unusedDisplayName()));
    platform::hideShell();
    platform::showShell();
    for (int option : {0, 1, 2, 8})
        platform::exitWindows(option);
    std::exit(timer.elapsed() < 1000 ? 0 : 1);
}

TEST(NoServers, ShellCallsReturnQuicklyAndQuietly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Never the machine's own bus, whoever runs this test.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + dir.filePath("no-bus")).toUtf8());
    EXPECT_EXIT(everyCallWithoutServers(), ::testing::ExitedWithCode(0), ::testing::IsEmpty());
}

} // namespace
} // namespace zav::shell
