#pragma once

// A component on a credential file holding the levels (0 and 1 included) and operators given, with a
// stand-in language provider and a registry whose one-time grants are done.

#include "CredentialFile.h"
#include "outside/RegistryAccess.h"
#include "support/FakeOutside.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <functional>
#include <memory>

namespace zav::test {

// Every one-time grant counts as done: a grant would rewrite every level behind a test's back.
class GrantsDoneRegistry : public outside::RegistryAccess {
public:
    QString ReadValue(const QString&, const QString&, const QString&) override { return "done"; }
    void WriteValue(const QString&, const QString&, const QString&) override {}
};

class ComponentSession {
public:
    ComponentSession(const std::vector<LevelSpec>& levels,
                     const std::vector<std::pair<QString, int>>& operators);
    ~ComponentSession();
    ComponentSession(const ComponentSession&) = delete;
    ComponentSession& operator=(const ComponentSession&) = delete;

    // Level `id` as stored, as the window's owner.
    std::shared_ptr<Class_Level> level(int id) const;

    CredentialFile file;
    std::shared_ptr<FakeLanguageProvider> language = std::make_shared<FakeLanguageProvider>();
    std::shared_ptr<ZAV_Login> component;
};

// Every right, fixed and custom.
LevelSpec AllRights(int id, const QString& name);
// A set of rights: the fixed ones, then the custom ones that are true.
std::shared_ptr<Class_LevelEnable> Rights(bool manageLevel, bool manageOperator, bool disShutDown,
                                          bool desktop, std::initializer_list<int> customs = {});
// The number of the AutomationError `action` throws; 0 when it throws none.
int ErrorNumber(const std::function<void()>& action);

} // namespace zav::test
