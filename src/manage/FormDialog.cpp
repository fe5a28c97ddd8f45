#include "manage/FormDialog.h"

namespace zav::manage {

void FormDialog::setVisible(bool visible) {
    if (visible && !m_loaded) {
        m_loaded = true;
        Form_Load();
    }
    QDialog::setVisible(visible);
}

} // namespace zav::manage
