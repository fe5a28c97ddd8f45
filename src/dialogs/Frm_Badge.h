#pragma once

// The badge of one operator, given from the management window: the login method (password, badge, or
// badge and PIN), the badge held to the reader (or its number typed, then Enter) into a masked box and,
// for badge and PIN, the PIN on the PIN pad. Ok stores them through the operations, or, for the
// password, takes the badge away; what they refuse is told and the dialog stays open.

#include "dialogs/FormDialog.h"
#include "operations/Badges.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zav::manage {

class Frm_Badge : public FormDialog {
    Q_OBJECT

public:
    explicit Frm_Badge(const QString& operatorName, QWidget* parent = nullptr);

public Q_SLOTS:
    void Cmd_Ok_Click();
    void Cmd_Undo_Click();

private:
    void Form_Load() override;
    void buildControls();
    LoginMethod chosenMethod() const;
    void choose(LoginMethod method);
    // Tells why the operations refused the badge.
    void tellRefusal(const std::exception& error, const QString& pin);

    QString m_operator;
    int m_shortestPin = 1;
    QLabel* m_heading = nullptr;
    QRadioButton* m_methods[3] = {}; // by LoginMethod
    QLabel* m_prompt = nullptr;
    QLineEdit* m_reading = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdUndo = nullptr;
};

} // namespace zav::manage
