#pragma once

// The PIN pad that follows a badge of an operator who logs in with badge and PIN: ten digit keys, a key
// that clears and one that takes the last digit back, the digits masked. Sized for a finger on a touch
// screen; a keyboard's digits and Enter work as well.

#include "base/PanelDialog.h"

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zav {

class Frm_Pin : public PanelDialog {
    Q_OBJECT

public:
    explicit Frm_Pin(const QString& operatorName, QWidget* parent = nullptr);

    // Translates the dialog and gives it the panel look in touch-screen mode.
    void Form_Load();
    QString Pin() const;

    // Shows the pad modally: the PIN typed, or nothing when it was closed without one.
    static std::optional<QString> Ask(const QString& operatorName);

public Q_SLOTS:
    void Cmd_Ok_Click();
    void Cmd_Undo_Click();

private:
    void buildControls(const QString& operatorName);
    void press(const QString& key);

    QLabel* m_heading = nullptr;
    QLineEdit* m_pin = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdUndo = nullptr;
};

} // namespace zav
