#include "dialogs/KeyboardCall.h"

#include "base/Mod_Globali.h"
#include "outside/OutsideObjects.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <exception>

namespace zav {

namespace {
const char* const FilterName = "ScreenKeyboardOnClick";

class ClickFilter : public QObject {
public:
    explicit ClickFilter(QLineEdit* box) : QObject(box), m_box(box) { setObjectName(FilterName); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_box && event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && m_box->rect().contains(mouse->position().toPoint())) {
                // Queued, so the box finishes its own handling of the click before the keyboard opens.
                // The box is the call's context: if it is destroyed meanwhile, the call is dropped.
                QMetaObject::invokeMethod(
                    m_box, [box = m_box] { OfferScreenKeyboard(box); }, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    QLineEdit* m_box;
};
} // namespace

void OfferScreenKeyboard(QLineEdit* box) {
    if (!box || box->isReadOnly() || !box->isEnabled() || !Mod_Globali().touchScreen) {
        return;
    }
    try {
        // A new instance for this call only; it is released before the handler returns.
        const std::unique_ptr<outside::ScreenKeyboard> keyboard = outside::createScreenKeyboard();
        if (keyboard) {
            keyboard->ShowFor(box);
        }
    } catch (const std::exception& error) {
        qWarning("On-screen keyboard unavailable: %s", error.what());
    } catch (...) {
        qWarning("On-screen keyboard unavailable");
    }
}

void OfferKeyboardOnClick(QLineEdit* box) {
    if (!box || box->findChild<QObject*>(FilterName, Qt::FindDirectChildrenOnly)) {
        return;
    }
    box->installEventFilter(new ClickFilter(box));
}

} // namespace zav
