#pragma once

// The base of the management dialogs: a form is loaded (Form_Load) once, right before it is first
// shown, after the caller has set its public inputs. exec() loads it before Qt takes over, so a
// failure while loading reaches exec's caller; shown otherwise, the form loads under the guard of
// base/ReportedErrors.h.

#include <QDialog>

namespace zav::manage {

class FormDialog : public QDialog {
    Q_OBJECT

public:
    using QDialog::QDialog;

    int exec() override;
    void setVisible(bool visible) override;

protected:
    virtual void Form_Load() = 0;
    // Keeps the shown window on its screen (scrolling a content too large for it).
    void showEvent(QShowEvent* event) override;

private:
    void load();

    bool m_loaded = false;
};

} // namespace zav::manage
