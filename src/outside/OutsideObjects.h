#pragma once

// The outside objects of the component: one of each per thread, created on first use and kept. The
// language provider is reached through language/CurrentLanguageProvider.h.
// Tests substitute their own with the setters (nullptr goes back to the default on next use).

#include "outside/DbUtility.h"
#include "outside/NumberUtility.h"
#include "outside/ProfileStore.h"
#include "outside/RegistryAccess.h"
#include "outside/ScreenKeyboard.h"

#include <functional>
#include <memory>

namespace zav::outside {

DbUtility& dbUtility();
ProfileStore& profileStore();
RegistryAccess& registryAccess();
NumberUtility& numberUtility();

void setDbUtility(std::shared_ptr<DbUtility> object);
void setProfileStore(std::shared_ptr<ProfileStore> object);
void setRegistryAccess(std::shared_ptr<RegistryAccess> object);
void setNumberUtility(std::shared_ptr<NumberUtility> object);

// The keyboard is not shared: every use creates a new instance through this factory.
using ScreenKeyboardFactory = std::function<std::unique_ptr<ScreenKeyboard>()>;
std::unique_ptr<ScreenKeyboard> createScreenKeyboard();
void setScreenKeyboardFactory(ScreenKeyboardFactory factory);

} // namespace zav::outside
