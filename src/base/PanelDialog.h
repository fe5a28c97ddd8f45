#pragma once

// A dialog that keeps itself on its screen whenever it is shown (see KeepOnScreen in base/PanelLook.h).

#include <QDialog>

namespace zav {

class PanelDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace zav
