#pragma once

// The login dialog: lists operators (or levels), takes a password, checks it against the database and,
// on success, makes the chosen level and operator the component's current ones. While the policy takes
// badges, a badge reader's burst of keys logs its operator in instead, and lands in no box.

#include "access/Class_Par.h"

#include "base/PanelDialog.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zav {

class Frm_Login : public PanelDialog {
    Q_OBJECT

public:
    explicit Frm_Login(Class_Par& par, QWidget* parent = nullptr);

    // Shows a new dialog modally for the record and returns when it closes.
    static void Run(Class_Par& par);

    // Translation, touch-screen enlargement, record reset, list fill.
    void Form_Load();

public Q_SLOTS:
    void Cmd_Ok_Click();
    void Cmd_Undo_Click();

private:
    void buildControls();
    void enlargeForTouchScreen();
    void fillList();
    bool checkCredentials(bool nameChosen);
    bool runCheck(bool nameChosen);
    // While the policy takes badges, a reader's burst in the dialog is a badge login.
    void watchForBadges();
    void loginByBadge(const QString& reading);

    Class_Par& m_par;
    QComboBox* m_cboLogin = nullptr;
    QLineEdit* m_text1 = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdUndo = nullptr;
    QFrame* m_shape1 = nullptr;
    QLabel* m_image1 = nullptr;
};

} // namespace zav
