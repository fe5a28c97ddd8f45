#pragma once

// The signature dialogs. The signer's shows the printed name of the operator logged in, the meaning and
// the action signed, the name box (only on the first signing of a login, when both parts are asked), the
// password and the reason: free text, or one of the policy's reasons. The second person's asks for a
// name and a password. The dialog decides nothing itself: on Ok the caller's check says whether it
// closes or stays for another try (telling the operator why).

#include "base/PanelDialog.h"

#include <QStringList>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zav {

class Frm_Sign : public PanelDialog {
    Q_OBJECT

public:
    enum class Role { Signer, SecondPerson };
    struct Setup {
        Role role = Role::Signer;
        QString meaning;
        QString action;
        QString printedName;  // the signer
        bool askName = false; // the signer types the name as well
        QStringList reasons;  // offered; none: the reason is free text
        bool reasonRequired = false;
    };
    struct Entry {
        QString name;
        QString password;
        QString reason;
    };
    // True: the entry is accepted and the dialog closes.
    using Check = std::function<bool(const Entry& entry)>;

    Frm_Sign(Setup setup, Check check, QWidget* parent = nullptr);

    // Translates the dialog and gives it the panel look in touch-screen mode.
    void Form_Load();

public Q_SLOTS:
    void Cmd_Ok_Click();
    void Cmd_Undo_Click();

private:
    void buildControls();

    Setup m_setup;
    Check m_check;
    QLabel* m_meaning = nullptr;
    QLabel* m_action = nullptr;
    QLabel* m_signedBy = nullptr;
    QLineEdit* m_name = nullptr; // null when the name is not asked
    QLineEdit* m_password = nullptr;
    QComboBox* m_reasonChoice = nullptr; // the policy's reasons
    QLineEdit* m_reasonText = nullptr;   // a free reason
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdUndo = nullptr;
};

} // namespace zav
