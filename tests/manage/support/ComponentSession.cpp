#include "ComponentSession.h"
#include "language/CurrentLanguageProvider.h"

#include "operations/LevelOperations.h"
#include "outside/OutsideObjects.h"

#include <numeric>
#include <stdexcept>

namespace zav::test {

LevelSpec AllRights(int id, const QString& name) {
    std::vector<int> customs(100);
    std::iota(customs.begin(), customs.end(), 1);
    return LevelSpec(id, name, true, true, true, true, customs);
}

std::shared_ptr<Class_LevelEnable> Rights(bool manageLevel, bool manageOperator, bool disShutDown,
                                          bool desktop, std::initializer_list<int> customs) {
    auto set = Class_LevelEnable::create();
    set->setAllowManageLevel(manageLevel);
    set->setAllowManageOperator(manageOperator);
    set->setDisShutDown(disShutDown);
    set->setAllowDesktop(desktop);
    for (int n : customs) {
        set->setAllowCustom(n, true);
    }
    return set;
}

int ErrorNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const AutomationError& error) {
        return error.Number();
    }
    return 0;
}

ComponentSession::ComponentSession(const std::vector<LevelSpec>& levels,
                                   const std::vector<std::pair<QString, int>>& operators) {
    language::setLanguageProvider(language);
    outside::setRegistryAccess(std::make_shared<GrantsDoneRegistry>());
    file.create();
    file.addLevels(levels);
    file.addOperators(operators);
    component = ZAV_Login::create();
    component->setAutoShutDown(false);
    component->setDbPath(file.path());
}

ComponentSession::~ComponentSession() {
    if (component) {
        component->setAutoShutDown(false);
    }
    component.reset();
    language::setLanguageProvider(nullptr);
    outside::setRegistryAccess(nullptr);
}

std::shared_ptr<Class_Level> ComponentSession::level(int id) const {
    auto result = Class_Level::create();
    if (!manage::LoadLevel(file.path(), id, *result)) {
        throw std::runtime_error("no such level");
    }
    return result;
}

} // namespace zav::test
