#pragma once

// The shell services of the operating system the component is built for. One source file per platform
// implements these (shell_windows.cpp, shell_linux.cpp); this header stays free of Qt so that the Win32
// file builds with nothing but the Windows headers.

namespace zav::shell::platform {

void hideShell();
void showShell();
void enableShutdownPrivilege();
// Only the options 0, 1, 2 and 8 act; any other returns at once.
void exitWindows(int option);

} // namespace zav::shell::platform
