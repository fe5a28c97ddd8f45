#include "PopupCatchers.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMenu>

namespace zav::test {

PopupCatcher::PopupCatcher() {
    qApp->installEventFilter(this);
}

PopupCatcher::~PopupCatcher() {
    qApp->removeEventFilter(this);
}

bool PopupCatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show) {
        return false;
    }
    if (auto* box = qobject_cast<QMessageBox*>(watched)) {
        messages.append({box->text(), box->windowTitle()});
        QMetaObject::invokeMethod(box, "done", Qt::QueuedConnection, Q_ARG(int, QMessageBox::Ok));
    } else if (auto* menu = qobject_cast<QMenu*>(watched)) {
        ShownMenu shown{menu->objectName(), menu->menuAction()->isEnabled() && menu->isEnabled(), {}};
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator()) {
                shown.itemsEnabled.insert(action->objectName(), action->isEnabled());
            }
        }
        menus.append(shown);
        QMetaObject::invokeMethod(
            menu, [menu] { menu->close(); }, Qt::QueuedConnection);
    } else if (auto* dialog = qobject_cast<QDialog*>(watched)) {
        dialogs.append(dialog->objectName());
    }
    return false;
}

} // namespace zav::test
