#pragma once

// A dialog that keeps itself on its screen whenever it is shown (see KeepOnScreen in base/PanelLook.h)
// and that a logout closes (base/OpenDialogs.h).

#include "base/OpenDialogs.h"

#include <QDialog>

namespace zav {

class PanelDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void showEvent(QShowEvent* event) override;

private:
    OpenDialogScope m_open{this};
};

} // namespace zav
