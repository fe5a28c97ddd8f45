#include "dialogs/FormDialog.h"

#include "base/PanelLook.h"
#include "base/ReportedErrors.h"

namespace zav::manage {

void FormDialog::load() {
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
        NameForAccessibility(this);
        ApplyPanelLook(this);
    }
}

int FormDialog::exec() {
    load();
    return QDialog::exec();
}

void FormDialog::setVisible(bool visible) {
    if (visible) {
        RunReportingErrors([this] { load(); });
    }
    QDialog::setVisible(visible);
}

void FormDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    KeepOnScreen(this);
}

} // namespace zav::manage
