#include "base/EnterMovesFocus.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace zav {

namespace {
const char* const FilterName = "EnterMovesFocus";

class EnterFilter : public QObject {
public:
    explicit EnterFilter(QWidget* control) : QObject(control) { setObjectName(FilterName); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) {
            return false;
        }
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(watched, &tab);
        return true;
    }
};
} // namespace

void MoveFocusOnEnter(QWidget* control) {
    if (!control || control->findChild<QObject*>(FilterName, Qt::FindDirectChildrenOnly)) {
        return;
    }
    control->installEventFilter(new EnterFilter(control));
}

} // namespace zav
