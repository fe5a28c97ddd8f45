#pragma once

// The base of the management dialogs: a form is loaded (Form_Load) once, right before it is first
// shown, after the caller has set its public inputs. exec() loads it before Qt takes over, so a
// failure while loading reaches exec's caller; shown otherwise, the form loads under the guard of
// base/ReportedErrors.h.

#include "base/PanelDialog.h"

namespace zav::manage {

class FormDialog : public PanelDialog {
    Q_OBJECT

public:
    using PanelDialog::PanelDialog;

    int exec() override;
    void setVisible(bool visible) override;

protected:
    virtual void Form_Load() = 0;

private:
    void load();

    bool m_loaded = false;
};

} // namespace zav::manage
