// Without a reachable system bus, logging off, shutting down, restarting and powering off return at once
// and say nothing.

#include "shell/PlatformShell.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zav::shell {
namespace {

// Well below the time the implementation would wait for an answer: a bus that is not there is never
// waited for.
constexpr qint64 QuickMs = 1000;

// Runs in a child process of the test; the exit code tells whether it was quick.
[[noreturn]] void exitWindowsWithEveryOption() {
    int argc = 1;
    char name[] = "shell_linux_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QElapsedTimer timer;
    timer.start();
    for (int option : {0, 1, 2, 8})
        platform::exitWindows(option);
    std::exit(timer.elapsed() < QuickMs ? 0 : 1);
}

TEST(NoSystemBus, ExitWindowsReturnsQuicklyAndQuietly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Never the machine's own bus, whoever runs this test.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + dir.filePath("no-bus")).toUtf8());
    EXPECT_EXIT(exitWindowsWithEveryOption(), ::testing::ExitedWithCode(0), ::testing::IsEmpty());
}

} // namespace
} // namespace zav::shell
