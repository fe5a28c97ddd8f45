#include "outside/KeyboardLayout.h"

#include <atomic>

namespace zav::outside {

namespace {
std::atomic<KeyboardLayoutSource> layoutSource{nullptr};
} // namespace

void setKeyboardLayoutSource(KeyboardLayoutSource source) {
    layoutSource.store(source);
}

KeyboardLayout currentKeyboardLayout() noexcept {
    try {
        if (const KeyboardLayoutSource source = layoutSource.load()) {
            return source();
        }
    } catch (...) {
        // A language that cannot be read must not take the keyboard away: English keys remain.
    }
    return {};
}

} // namespace zav::outside
