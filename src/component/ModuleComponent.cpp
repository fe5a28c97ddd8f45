#include "component/ModuleComponent.h"

#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

namespace zav {

namespace {
class LoginView final : public ComponentView {
public:
    explicit LoginView(std::shared_ptr<ZAV_Login> login) : m_login(std::move(login)) {}
    QString DbPath() const override { return m_login->DbPath(); }
    void FollowRenumbering() override { m_login->FollowRenumbering(); }
    bool AutoShutDown() const override { return m_login->AutoShutDown(); }
    int EnableCount() const override { return m_login->EnableCount(); }
    QString ManageLevelDescription() const override { return m_login->ManageLevelDescription(); }
    QString ManageOperatorDescription() const override { return m_login->ManageOperatorDescription(); }
    QString DisShutDownDescription() const override { return m_login->DisShutDownDescription(); }
    QString AllowDesktopDescription() const override { return m_login->AllowDesktopDescription(); }
    QString EnableDescription(short index) const override { return m_login->EnableDescription(index); }

private:
    std::shared_ptr<ZAV_Login> m_login;
};

std::shared_ptr<ComponentView> viewOfModuleComponent() {
    std::shared_ptr<ZAV_Login> login = ModuleComponent();
    return login ? std::make_shared<LoginView>(std::move(login)) : nullptr;
}
} // namespace

std::shared_ptr<ZAV_Login> ModuleComponent() {
    std::shared_ptr<ZAV_Login> component = Mod_Globali().component.lock();
    return component && !component->Terminated() ? component : nullptr;
}

std::shared_ptr<ZAV_Login> RequireModuleComponent() {
    if (std::shared_ptr<ZAV_Login> component = ModuleComponent()) {
        return component;
    }
    throw ObjectNotSetError();
}

void InstallComponentView() {
    setComponentViewSource(&viewOfModuleComponent);
}

} // namespace zav
