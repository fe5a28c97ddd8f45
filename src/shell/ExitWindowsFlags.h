#pragma once

// The ExitWindowsEx flags for each option of ExitWindows, every one of them forced (EWX_FORCE 4).
// Kept apart from the Win32 file so that the table can be checked on any platform.

namespace zav::shell {

inline constexpr unsigned NoExitFlags = 0;

constexpr unsigned exitWindowsExFlags(int option) {
    switch (option) {
    case 0: // EWX_LOGOFF
        return 0x4;
    case 1: // EWX_SHUTDOWN
        return 0x1 | 0x4;
    case 2: // EWX_SHUTDOWN | EWX_REBOOT
        return 0x1 | 0x2 | 0x4;
    case 8: // EWX_POWEROFF
        return 0x8 | 0x4;
    default:
        return NoExitFlags;
    }
}

} // namespace zav::shell
