#include "base/Mod_Globali.h"

#include "base/ReportedErrors.h"

#include <atomic>

namespace zav {

namespace {
std::atomic<ComponentViewSource> g_viewSource = nullptr;
}

ModuleState& Mod_Globali() {
    thread_local ModuleState state;
    return state;
}

void setComponentViewSource(ComponentViewSource source) {
    g_viewSource.store(source);
}

std::shared_ptr<ComponentView> ComponentIfAny() {
    const ComponentViewSource source = g_viewSource.load();
    return source ? source() : nullptr;
}

std::shared_ptr<ComponentView> RequireComponent() {
    if (std::shared_ptr<ComponentView> view = ComponentIfAny()) {
        return view;
    }
    throw ObjectNotSetError();
}

} // namespace zav
