#include "outside/DefaultScreenKeyboard.h"

#include "outside/ScreenKeyboardWidget.h"

#include <QLineEdit>
#include <QPointer>

namespace zav::outside {

QVariant DefaultScreenKeyboard::ShowFor(QWidget* box) {
    auto* lineEdit = qobject_cast<QLineEdit*>(box);
    if (!lineEdit || lineEdit->isReadOnly() || !lineEdit->isEnabled()) {
        return {};
    }
    // A child of the box's window stays above it; the guard covers that window closing meanwhile.
    QPointer<ScreenKeyboardWidget> keyboard = new ScreenKeyboardWidget(lineEdit, lineEdit->window());
    keyboard->exec();
    delete keyboard.data();
    return {};
}

std::unique_ptr<ScreenKeyboard> makeDefaultScreenKeyboard() {
    return std::make_unique<DefaultScreenKeyboard>();
}

} // namespace zav::outside
