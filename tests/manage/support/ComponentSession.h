#pragma once

// A component working on a credential file that a test laid out: the levels (0 and 1 included) and
// operators given, stand-ins for the language provider and the registry (the one-time grants are
// marked as done), and the component's DbPath pointing at the file.

#include "CredentialFile.h"
#include "support/FakeOutside.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <memory>

namespace zav::test {

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

} // namespace zav::test
