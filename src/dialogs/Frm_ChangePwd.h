#pragma once

// The dialog that changes the password of one level or one operator. With LockOldPWD the current
// password is filled in and cannot be edited, so a manager can set a password without knowing it.

#include "access/Class_Par.h"

#include <ZAV_PrjLogin/Class_Level.h>
#include <ZAV_PrjLogin/Class_Operator.h>

#include "base/PanelDialog.h"
#include "operations/PasswordRules.h"

#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zav {

class Frm_ChangePwd : public PanelDialog {
    Q_OBJECT

public:
    Frm_ChangePwd(Class_Par& par, std::shared_ptr<Class_Level> level, std::shared_ptr<Class_Operator> op,
                  QWidget* parent = nullptr);

    // Shows a new dialog modally for the record and the level (LoginMode 0) or operator (1).
    static void Run(Class_Par& par, const std::shared_ptr<Class_Level>& level,
                    const std::shared_ptr<Class_Operator>& op);

    void Form_Load();

public Q_SLOTS:
    void Cmd_Ok_Click();
    void Cmd_Undo_Click();

private:
    // In touch-screen mode: the rows and buttons stacked for their touch sizes.
    void arrangeForTouch();
    void buildControls();
    // What the object holds: the stored form of its password.
    QString currentPassword() const;
    void setCurrentPassword(const QString& password);
    // How the file stores passwords; nothing when its policy could not be read (the failure is shown).
    std::optional<manage::PasswordStorage> passwordStorage() const;
    // The policy's verdict on a new password; nothing when it could not be read (the failure is shown).
    std::optional<manage::PasswordVerdict> policyVerdict(const QString& password) const;
    static QString refusalText(const manage::PasswordVerdict& verdict);
    // What was stored; nothing when it was not (the failure is shown).
    std::optional<QString> saveLevel(const QString& password);
    std::optional<QString> saveOperator(const QString& password);

    Class_Par& m_par;
    std::shared_ptr<Class_Level> m_level;
    std::shared_ptr<Class_Operator> m_operator;
    QLineEdit* m_oldPwd = nullptr;
    QLineEdit* m_pwd = nullptr;
    QLineEdit* m_confirm = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdUndo = nullptr;
};

} // namespace zav
