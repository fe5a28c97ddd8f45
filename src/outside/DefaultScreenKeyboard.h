#pragma once

// The keyboard the component ships: a modal ScreenKeyboardWidget for a QLineEdit.

#include "outside/ScreenKeyboard.h"

#include <memory>

namespace zav::outside {

class DefaultScreenKeyboard final : public ScreenKeyboard {
public:
    // Shows the keyboard for a QLineEdit that accepts input and returns when the user closes it. Any other
    // widget, and a read-only or disabled box, is left alone. The result is always empty.
    QVariant ShowFor(QWidget* box) override;
};

std::unique_ptr<ScreenKeyboard> makeDefaultScreenKeyboard();

} // namespace zav::outside
