#include "dialogs/ShowManageWindow.h"

#include "base/SessionGuard.h"
#include "dialogs/Frm_Manage.h"

#include <QApplication>

namespace zav::manage {

void ShowManageWindow(const std::shared_ptr<Class_Level>& owner) {
    // Opened for the level in force, the window (and every dialog it opens) stops writing once that
    // login has ended.
    const SessionGuard session(owner.get());
    Frm_Manage window(QApplication::activeWindow());
    window.cOwnerLevel = owner;
    window.exec();
}

} // namespace zav::manage
