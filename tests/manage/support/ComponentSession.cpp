#include "ComponentSession.h"
#include "language/CurrentLanguageProvider.h"

#include "operations/LevelOperations.h"
#include "outside/OutsideObjects.h"

#include <numeric>
#include <stdexcept>

namespace zav::test {

namespace {
class GrantsDoneRegistry : public outside::RegistryAccess {
public:
    QString ReadValue(const QString&, const QString&, const QString&) override {
        return QStringLiteral("1.0.8");
    }
    void WriteValue(const QString&, const QString&, const QString&) override {}
};
} // namespace

LevelSpec AllRights(int id, const QString& name) {
    std::vector<int> customs(100);
    std::iota(customs.begin(), customs.end(), 1);
    return LevelSpec(id, name, true, true, true, true, customs);
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
