#include "shell/ShellServices.h"

#include "shell/PlatformShell.h"
#include "shell/RecordingShell.h"

#include <QtGlobal>

namespace zav::shell {

namespace {

class PlatformShell final : public ShellServices {
public:
    void HideShell() override { platform::hideShell(); }
    void ShowShell() override { platform::showShell(); }
    void EnableShutdownPrivilege() override { platform::enableShutdownPrivilege(); }
    void ExitWindows(int option) override { platform::exitWindows(option); }
};

std::shared_ptr<ShellServices> createDefaultServices() {
    if (qEnvironmentVariable("ZAV_SHELL_SERVICES") == QLatin1String("record"))
        return std::make_shared<RecordingShell>();
    return std::make_shared<PlatformShell>();
}

thread_local std::shared_ptr<ShellServices> tServices;

// These run on termination paths, where nothing may escape; a substituted service that throws is ignored.
template <typename Action> void quietly(Action action) noexcept {
    try {
        action(shellServices());
    } catch (...) {
    }
}

bool isExitOption(int option) {
    return option == ExitLogoff || option == ExitShutdown || option == ExitRestart || option == ExitPowerOff;
}

} // namespace

ShellServices& shellServices() {
    if (!tServices)
        tServices = createDefaultServices();
    return *tServices;
}

void setShellServices(std::shared_ptr<ShellServices> services) {
    tServices = std::move(services);
}

void ShowDesktop(bool show) {
    if (show)
        ShowShell();
    else
        HideShell();
}

void HideShell() {
    quietly([](ShellServices& services) { services.HideShell(); });
}

void ShowShell() {
    quietly([](ShellServices& services) { services.ShowShell(); });
}

void WinExit_cls::ExitWindows(int aOption) {
    EnableShutdownPrivilege();
    // Options outside the table stop here, so no service ever sees them.
    if (isExitOption(aOption))
        quietly([aOption](ShellServices& services) { services.ExitWindows(aOption); });
}

void WinExit_cls::EnableShutdownPrivilege() {
    quietly([](ShellServices& services) { services.EnableShutdownPrivilege(); });
}

} // namespace zav::shell
