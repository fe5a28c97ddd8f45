#pragma once

// Desktop, taskbar and shutdown. The platform implementation is chosen at build time; tests install
// the recording stand-in (or set ZAV_SHELL_SERVICES=record in the environment) so that nothing hides a
// real desktop or shuts a real machine down.

#include <QString>
#include <memory>

namespace zav::shell {

// Options of ExitWindows.
inline constexpr int ExitLogoff = 0;
inline constexpr int ExitShutdown = 1;
inline constexpr int ExitRestart = 2;
inline constexpr int ExitPowerOff = 8;

class ShellServices {
public:
    virtual ~ShellServices() = default;
    virtual void HideShell() = 0;
    virtual void ShowShell() = 0;
    virtual void EnableShutdownPrivilege() = 0;
    // Option 0 log-off, 1 shutdown, 2 restart, 8 power-off (all forced); any other does nothing.
    virtual void ExitWindows(int option) = 0;
};

// The services in force on this thread.
ShellServices& shellServices();
void setShellServices(std::shared_ptr<ShellServices> services); // nullptr: back to the default

// The desktop visibility switch: true shows desktop and taskbar, false hides them. Never fails.
void ShowDesktop(bool show);
void HideShell();
void ShowShell();

// Shuts the machine down (or logs off, restarts, powers off) after enabling the shutdown privilege.
class WinExit_cls {
public:
    void ExitWindows(int aOption);

private:
    void EnableShutdownPrivilege();
};

} // namespace zav::shell
