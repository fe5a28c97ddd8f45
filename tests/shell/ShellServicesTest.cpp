// The desktop switch and the exit class reach whatever services are in force; the recording stand-in
// keeps what it was asked, in order, in memory and in the file the environment names.

#include "shell/ShellServices.h"
#include "shell/ExitWindowsFlags.h"
#include "shell/RecordingShell.h"

#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace zav::shell {
namespace {

class ShellServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("ZAV_SHELL_SERVICES", "record");
        qunsetenv(RecordFileVariable);
        setShellServices(m_shell);
    }
    void TearDown() override {
        qunsetenv(RecordFileVariable);
        setShellServices(nullptr);
    }

    std::shared_ptr<RecordingShell> m_shell = std::make_shared<RecordingShell>();
};

TEST_F(ShellServicesTest, ExitEnablesThePrivilegeAndPassesOnlyKnownOptions) {
    for (int option : {ExitLogoff, ExitShutdown, ExitRestart, ExitPowerOff}) {
        m_shell->clear();
        WinExit_cls().ExitWindows(option);
        EXPECT_EQ(m_shell->calls(),
                  QStringList({"EnableShutdownPrivilege", QString("ExitWindows %1").arg(option)}))
            << "option " << option;
    }
    for (int option : {3, 4, 7, 9, 12, -1, INT_MIN, INT_MAX}) {
        m_shell->clear();
        WinExit_cls().ExitWindows(option);
        EXPECT_EQ(m_shell->calls(), QStringList({"EnableShutdownPrivilege"})) << "option " << option;
    }
}

TEST_F(ShellServicesTest, EnvironmentChoosesTheStandInAsDefault) {
    setShellServices(nullptr);
    EXPECT_NE(dynamic_cast<RecordingShell*>(&shellServices()), nullptr);

    // Only the type is looked at: the platform services must not act in a test.
    qunsetenv("ZAV_SHELL_SERVICES");
    setShellServices(nullptr);
    EXPECT_EQ(dynamic_cast<RecordingShell*>(&shellServices()), nullptr);
    qputenv("ZAV_SHELL_SERVICES", "record");
    setShellServices(nullptr);
}

class ThrowingShell final : public ShellServices {
public:
    void HideShell() override { throw std::runtime_error("hide"); }
    void ShowShell() override { throw std::runtime_error("show"); }
    void EnableShutdownPrivilege() override { throw std::runtime_error("privilege"); }
    void ExitWindows(int) override { throw std::runtime_error("exit"); }
};

TEST_F(ShellServicesTest, FailingServicesAreNeverReported) {
    setShellServices(std::make_shared<ThrowingShell>());
    EXPECT_NO_THROW(ShowDesktop(false));
    EXPECT_NO_THROW(ShowDesktop(true));
    EXPECT_NO_THROW(WinExit_cls().ExitWindows(ExitShutdown));
}

TEST(ExitWindowsExFlags, ForcedActionPerOption) {
    EXPECT_EQ(exitWindowsExFlags(ExitLogoff), 4u);
    EXPECT_EQ(exitWindowsExFlags(ExitShutdown), 5u);
    EXPECT_EQ(exitWindowsExFlags(ExitRestart), 7u);
    EXPECT_EQ(exitWindowsExFlags(ExitPowerOff), 12u);
    for (int option : {3, 4, 5, 6, 7, 9, -1})
        EXPECT_EQ(exitWindowsExFlags(option), NoExitFlags) << "option " << option;
}

} // namespace
} // namespace zav::shell
