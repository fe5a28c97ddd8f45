#pragma once

// Benchmarks run sealed as the tests do: a private home and settings folder, and no reachable bus.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace zav::bench {

inline void sealHome(const QTemporaryDir& home) {
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", (home.path() + QStringLiteral("/state")).toLocal8Bit());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system-bus");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/session-bus");
    qputenv("ZAV_SYSTEM_LOG_SOCKET", (home.path() + QStringLiteral("/no-system-log")).toLocal8Bit());
}

// The benchmarks the command line names, run in a sealed home with an application object (no screen).
inline int runSealedBenchmarks(int argc, char** argv) {
    QTemporaryDir home;
    sealHome(home);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace zav::bench
