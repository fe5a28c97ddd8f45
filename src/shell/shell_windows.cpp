// The Windows shell services: the desktop window ("Progman"), the taskbar ("Shell_traywnd") and
// ExitWindowsEx after enabling the shutdown privilege. Results are ignored throughout: a window that is not
// there gives a null handle, and the call on it fails without effect.

#include "shell/ExitWindowsFlags.h"
#include "shell/PlatformShell.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace zav::shell::platform {

namespace {

// Commands and flags exactly as the shell expects them.
constexpr int HideCommand = 0;              // SW_HIDE
constexpr int ShowNormalCommand = 1;        // SW_SHOWNORMAL
constexpr UINT HideWindowFlag = 0x80;       // SWP_HIDEWINDOW
constexpr UINT ShowWindowFlag = 0x40;       // SWP_SHOWWINDOW
constexpr DWORD AdjustAndQueryToken = 0x28; // TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY
constexpr DWORD PrivilegeEnabled = 2;       // SE_PRIVILEGE_ENABLED
constexpr DWORD AnyReason = 0xFFFFFFFF;

static_assert(sizeof(TOKEN_PRIVILEGES) == 16, "a privilege set of one entry is 16 bytes");

HWND desktopWindow() {
    return FindWindowExA(nullptr, nullptr, "Progman", nullptr);
}

// The empty title (not a null pointer) only matches a taskbar window whose title is empty.
HWND taskbarWindow() {
    return FindWindowA("Shell_traywnd", "");
}

void setShell(int desktopCommand, UINT taskbarFlags) {
    ShowWindow(desktopWindow(), desktopCommand);
    SetWindowPos(taskbarWindow(), nullptr, 0, 0, 0, 0, taskbarFlags);
}

} // namespace

void hideShell() {
    setShell(HideCommand, HideWindowFlag);
}

void showShell() {
    setShell(ShowNormalCommand, ShowWindowFlag);
}

void enableShutdownPrivilege() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), AdjustAndQueryToken, &token);

    TOKEN_PRIVILEGES wanted{};
    LookupPrivilegeValueA("", "SeShutdownPrivilege", &wanted.Privileges[0].Luid);
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = PrivilegeEnabled;

    TOKEN_PRIVILEGES previous{};
    DWORD previousLength = 0;
    AdjustTokenPrivileges(token, FALSE, &wanted, sizeof previous, &previous, &previousLength);

    // The privilege stays enabled on the process token; only our handle to it goes.
    if (token != nullptr)
        CloseHandle(token);
}

void exitWindows(int option) {
    const unsigned flags = exitWindowsExFlags(option);
    if (flags == NoExitFlags)
        return;
    ExitWindowsEx(flags, AnyReason);
}

} // namespace zav::shell::platform
