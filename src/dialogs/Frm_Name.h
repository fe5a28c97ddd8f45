#pragma once

// The small modal dialog in which a new level or operator name is typed. The caller stores a parameter
// record in cPar, shows the dialog with exec() and then reads Result (true when a name was confirmed)
// and Text (the name exactly as typed). Enter in the name box moves the focus on and never confirms; a
// click on it offers the on-screen keyboard in touch-screen mode.

#include "access/Class_Par.h"
#include "dialogs/FormDialog.h"

#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zav::manage {

class Frm_Name : public FormDialog {
    Q_OBJECT

public:
    explicit Frm_Name(QWidget* parent = nullptr);
    ~Frm_Name() override;

    // Input and outcome; set before the dialog is shown (a record is made when none was given).
    std::shared_ptr<Class_Par> cPar;

public slots:
    // Refuses an empty or numeric text without a word and gives the focus back to the name box;
    // otherwise confirms the name and closes.
    void Cmd_Ok_Click();
    void Cmd_Undo_Click();

private:
    void Form_Load() override;

    QFrame* Shape1;
    QLineEdit* Text1;
    QLabel* Image1;
    QPushButton* Cmd_Undo;
    QPushButton* Cmd_Ok;
};

} // namespace zav::manage
