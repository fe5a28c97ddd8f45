#pragma once

#include <QVariant>

class QWidget;

namespace zav::outside {

// The on-screen keyboard: typing on it lands in the box it was shown for.
// A new instance is made for every use.
class ScreenKeyboard {
public:
    virtual ~ScreenKeyboard() = default;
    virtual QVariant ShowFor(QWidget* box) = 0;
};

} // namespace zav::outside
