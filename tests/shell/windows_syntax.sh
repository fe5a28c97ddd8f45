#!/bin/sh
# Checks that the Win32 files (shell services, the store's file system calls) compile with the MinGW cross compiler, warnings as errors.
# Usage: windows_syntax.sh <src dir> [warning flags...]; exits 77 (skipped) when the compiler is missing.
compiler=${MINGW_CXX:-x86_64-w64-mingw32-g++}
if ! command -v "$compiler" >/dev/null 2>&1; then
  echo "$compiler not installed: skipped"
  exit 77
fi
src=$1
shift
exec "$compiler" -std=c++20 -fsyntax-only "$@" -I "$src" "$src/shell/shell_windows.cpp" \
  "$src/store/platform/file_system_windows.cpp"
