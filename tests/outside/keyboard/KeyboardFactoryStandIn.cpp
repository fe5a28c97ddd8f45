// Stands in for the outside-object registry when the keyboard test is built without the whole library:
// only the keyboard factory. Without a factory set, no keyboard can be made.

#include "outside/OutsideObjects.h"

namespace zav::outside {

namespace {
ScreenKeyboardFactory& keyboardFactory() {
    thread_local ScreenKeyboardFactory factory;
    return factory;
}
} // namespace

std::unique_ptr<ScreenKeyboard> createScreenKeyboard() {
    return keyboardFactory() ? keyboardFactory()() : nullptr;
}

void setScreenKeyboardFactory(ScreenKeyboardFactory factory) {
    keyboardFactory() = std::move(factory);
}

} // namespace zav::outside
