#pragma once

// The language provider every text and form translation goes through: one per thread, the standard
// provider unless a host or a test substituted another.

#include "outside/LanguageProvider.h"

#include <memory>

namespace zav::language {

// Throws AutomationError when no provider can be created.
outside::LanguageProvider& languageProvider();
// nullptr goes back to the standard provider on next use.
void setLanguageProvider(std::shared_ptr<outside::LanguageProvider> provider);

} // namespace zav::language
