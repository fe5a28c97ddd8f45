#include "dialogs/ShowManageWindow.h"

#include "dialogs/Frm_Manage.h"

#include <QApplication>

namespace zav::manage {

void ShowManageWindow(const std::shared_ptr<Class_Level>& owner) {
    Frm_Manage window(QApplication::activeWindow());
    window.cOwnerLevel = owner;
    window.exec();
}

} // namespace zav::manage
