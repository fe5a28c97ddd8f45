// Log-off, shutdown, restart and power-off reach logind's manager on the system bus, which here is a
// private bus with a stand-in for logind.

#include "LogindStandIn.h"
#include "shell/PlatformShell.h"
#include "shell/ShellServices.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace zav::shell {
namespace {

class LogindShell : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Whatever happens below, the machine's own bus is never used.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/zav-shell-test");
        static int argc = 1;
        static char name[] = "shell_logind_test";
        static char* argv[] = {name, nullptr};
        s_app = new QCoreApplication(argc, argv);
        s_bus = new test::PrivateBus;
        if (s_bus->address().isEmpty())
            return;
        s_logind = new test::LogindService(s_bus->address());
        // Before the first use of the system bus, which keeps the address it first found.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", s_bus->address().toUtf8());
    }
    static void TearDownTestSuite() {
        delete s_logind;
        delete s_bus;
        delete s_app;
    }

    void SetUp() override {
        ASSERT_FALSE(s_bus->address().isEmpty()) << "dbus-daemon did not start";
        ASSERT_TRUE(s_logind->isServing()) << "the stand-in could not take the logind name";
        s_logind->manager().takeCalls();
    }

    static QStringList callsFor(int option) {
        platform::exitWindows(option);
        return s_logind->manager().takeCalls();
    }

    static inline QCoreApplication* s_app = nullptr;
    static inline test::PrivateBus* s_bus = nullptr;
    static inline test::LogindService* s_logind = nullptr;
};

TEST_F(LogindShell, ShutdownRestartAndPowerOffAreForcedAndOtherOptionsCallNothing) {
    EXPECT_EQ(callsFor(ExitShutdown), QStringList({"PowerOff false"}));
    EXPECT_EQ(callsFor(ExitRestart), QStringList({"Reboot false"}));
    EXPECT_EQ(callsFor(ExitPowerOff), QStringList({"PowerOff false"}));
    for (int option : {3, 4, 5, 6, 7, 9, -1})
        EXPECT_EQ(callsFor(option), QStringList()) << "option " << option;
}

TEST_F(LogindShell, LogOffEndsTheOwnSessionOrElseTheUser) {
    const QByteArray saved = qgetenv("XDG_SESSION_ID");
    qputenv("XDG_SESSION_ID", "c7");
    EXPECT_EQ(callsFor(ExitLogoff), QStringList({"TerminateSession c7"}));
    qunsetenv("XDG_SESSION_ID");
    EXPECT_EQ(callsFor(ExitLogoff), QStringList({"TerminateUser " + QString::number(getuid())}));
    if (!saved.isEmpty())
        qputenv("XDG_SESSION_ID", saved);
}

} // namespace
} // namespace zav::shell
