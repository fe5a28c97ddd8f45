#pragma once

// The component of this thread's module state, as the component layer itself reaches it.

#include <memory>

class ZAV_Login;

namespace zav {

// Held for the length of a use; nullptr when there is none, when it has been released (on any
// thread) or when it has terminated.
std::shared_ptr<ZAV_Login> ModuleComponent();
// The same, failing with automation error 91 when there is none.
std::shared_ptr<ZAV_Login> RequireModuleComponent();
// Lets the layers below reach this thread's component through base's RequireComponent.
void InstallComponentView();

} // namespace zav
