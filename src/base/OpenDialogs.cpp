#include "base/OpenDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace zav {

namespace {
thread_local std::vector<QPointer<QDialog>> openDialogs;
}

OpenDialogScope::OpenDialogScope(QDialog* dialog) : m_dialog(dialog) {
    openDialogs.emplace_back(dialog);
}

OpenDialogScope::~OpenDialogScope() {
    const auto found = std::find(openDialogs.rbegin(), openDialogs.rend(), m_dialog);
    if (found != openDialogs.rend()) {
        openDialogs.erase(std::next(found).base());
    }
}

void CloseOpenDialogs() noexcept {
    try {
        while (QWidget* popup = QApplication::activePopupWidget()) {
            if (!popup->close()) {
                break;
            }
        }
        // A copy: rejecting runs the dialogs' handlers, which may open or end others.
        const std::vector<QPointer<QDialog>> open = openDialogs;
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            if (QDialog* dialog = it->data()) {
                dialog->reject();
            }
        }
    } catch (...) {
        // A window that cannot be closed must not stop the logout.
    }
}

} // namespace zav
