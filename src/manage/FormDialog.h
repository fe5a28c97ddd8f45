#pragma once

// The base of the management dialogs: a form is loaded (Form_Load) once, right before it is first
// shown, after the caller has set its public inputs.

#include <QDialog>

namespace zav::manage {

class FormDialog : public QDialog {
    Q_OBJECT

public:
    using QDialog::QDialog;

    void setVisible(bool visible) override;

protected:
    virtual void Form_Load() = 0;

private:
    bool m_loaded = false;
};

} // namespace zav::manage
