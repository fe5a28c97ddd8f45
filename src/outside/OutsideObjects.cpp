#include "outside/OutsideObjects.h"

#include "outside/DatabaseProfileStore.h"
#include "outside/DefaultDbUtility.h"
#include "outside/DefaultScreenKeyboard.h"
#include "outside/PlainNumberUtility.h"
#include "outside/SettingsRegistryAccess.h"

namespace zav::outside {

namespace {

// One object per thread, made by `makeDefault` on first use unless a substitute was set.
template <typename T> class PerThread {
public:
    template <typename MakeDefault> T& get(MakeDefault makeDefault) {
        if (!m_object) {
            m_object = makeDefault();
        }
        return *m_object;
    }
    void set(std::shared_ptr<T> object) { m_object = std::move(object); }

private:
    std::shared_ptr<T> m_object;
};

thread_local PerThread<DbUtility> t_dbUtility;
thread_local PerThread<ProfileStore> t_profileStore;
thread_local PerThread<RegistryAccess> t_registryAccess;
thread_local PerThread<NumberUtility> t_numberUtility;
thread_local ScreenKeyboardFactory t_screenKeyboardFactory;

} // namespace

DbUtility& dbUtility() {
    return t_dbUtility.get([]() -> std::shared_ptr<DbUtility> { return makeDefaultDbUtility(); });
}

ProfileStore& profileStore() {
    return t_profileStore.get([] { return std::make_shared<DefaultProfileStore>(); });
}

RegistryAccess& registryAccess() {
    return t_registryAccess.get([] { return std::make_shared<SettingsRegistryAccess>(); });
}

NumberUtility& numberUtility() {
    return t_numberUtility.get([] { return std::make_shared<PlainNumberUtility>(); });
}

void setDbUtility(std::shared_ptr<DbUtility> object) {
    t_dbUtility.set(std::move(object));
}
void setProfileStore(std::shared_ptr<ProfileStore> object) {
    t_profileStore.set(std::move(object));
}
void setRegistryAccess(std::shared_ptr<RegistryAccess> object) {
    t_registryAccess.set(std::move(object));
}
void setNumberUtility(std::shared_ptr<NumberUtility> object) {
    t_numberUtility.set(std::move(object));
}

std::unique_ptr<ScreenKeyboard> createScreenKeyboard() {
    // The touch-friendly keyboard of the component unless a host or a test plugged in another.
    return t_screenKeyboardFactory ? t_screenKeyboardFactory() : makeDefaultScreenKeyboard();
}

void setScreenKeyboardFactory(ScreenKeyboardFactory factory) {
    t_screenKeyboardFactory = std::move(factory);
}

} // namespace zav::outside
