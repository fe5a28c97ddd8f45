#include "component/ModuleComponent.h"
#include "component/RightCaptions.h"

#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "component/OfflineMode.h"
#include "language/OfflineTexts.h"
#include "language/TextLookup.h"
#include "operations/AuditTrail.h"

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
    // The rights dialog shows the language's caption where the host would read the built-in one.
    QString ManageLevelDescription() const override {
        return ShownCaption(ManageLevelCaption, m_login->ManageLevelDescription());
    }
    QString ManageOperatorDescription() const override {
        return ShownCaption(ManageOperatorCaption, m_login->ManageOperatorDescription());
    }
    QString DisShutDownDescription() const override {
        return ShownCaption(ShutDownCaption, m_login->DisShutDownDescription());
    }
    QString AllowDesktopDescription() const override {
        return ShownCaption(DesktopCaption, m_login->AllowDesktopDescription());
    }
    QString EnableDescription(short index) const override { return m_login->EnableDescription(index); }
    const QObject* CurrentLevelObject() const override { return m_login->CurrentLevel().get(); }
    quint64 SessionSerial() const override { return m_login->SessionSerial(); }
    bool IsOffline() const override { return m_login->IsOffline(); }
    QString OfflineRefusal() const override { return language::OfflineChangeRefused(); }
    void DatabaseChanged() override { OfflineOf(*m_login).RequestRefresh(); }

private:
    std::shared_ptr<ZAV_Login> m_login;
};

std::shared_ptr<ComponentView> viewOfModuleComponent() {
    std::shared_ptr<ZAV_Login> login = ModuleComponent();
    return login ? std::make_shared<LoginView>(std::move(login)) : nullptr;
}
} // namespace

QString ShownCaption(const RightCaption& caption, const QString& value) noexcept {
    try {
        if (value == QLatin1String(caption.builtIn)) {
            return language::LookupText(caption.textNumber, value);
        }
    } catch (...) {
        // The language cannot be read: the caption shows as the host reads it.
    }
    return value;
}

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
    // A change made on this panel names whoever is logged in on it.
    manage::SetAuditActorSource([] {
        manage::AuditSubject who;
        if (const auto component = ModuleComponent()) {
            if (const auto op = component->CurrentOperator()) {
                who.operatorName = op->OperatorNameText();
            }
            if (const auto level = component->CurrentLevel()) {
                who.level = level->DBLevelName();
            }
        }
        return who;
    });
}

} // namespace zav
