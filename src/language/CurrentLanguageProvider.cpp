#include "language/CurrentLanguageProvider.h"

#include "language/StandardLanguageProvider.h"

namespace zav::language {

namespace {
thread_local std::shared_ptr<outside::LanguageProvider> t_provider;
}

outside::LanguageProvider& languageProvider() {
    if (!t_provider) {
        t_provider = std::make_shared<StandardLanguageProvider>();
    }
    return *t_provider;
}

void setLanguageProvider(std::shared_ptr<outside::LanguageProvider> provider) {
    t_provider = std::move(provider);
}

} // namespace zav::language
