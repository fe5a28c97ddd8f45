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

} // namespace zav::manage
