#pragma once

// Benchmarks run sealed as the tests do: a private home and settings folder, and no reachable bus.

#include <QTemporaryDir>

namespace zav::bench {

inline void sealHome(const QTemporaryDir& home) {
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system-bus");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/session-bus");
    qputenv("ZAV_SYSTEM_LOG_SOCKET", (home.path() + QStringLiteral("/no-system-log")).toLocal8Bit());
}

} // namespace zav::bench
