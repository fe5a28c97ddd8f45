#include "component/Mod_Globali.h"

#include "base/ReportedErrors.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

namespace zav {

ModuleState& Mod_Globali() {
    thread_local ModuleState state;
    return state;
}

std::shared_ptr<ZAV_Login> ModuleComponent() {
    std::shared_ptr<ZAV_Login> component = Mod_Globali().component.lock();
    return component && !component->Terminated() ? component : nullptr;
}

std::shared_ptr<ZAV_Login> RequireComponent() {
    if (std::shared_ptr<ZAV_Login> component = ModuleComponent()) {
        return component;
    }
    throw ObjectNotSetError();
}

} // namespace zav
