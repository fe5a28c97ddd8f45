#include "base/PanelDialog.h"

#include "base/PanelLook.h"

namespace zav {

void PanelDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    KeepOnScreen(this);
}

} // namespace zav
