#pragma once

// The small modal dialog in which a new level or operator name is typed. The caller stores a parameter
// record in cPar, shows the dialog with exec() and then reads Result (true when a name was confirmed)
// and Text (the name exactly as typed).

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
    // Offers the on-screen keyboard for the name box in touch-screen mode.
    void Text1_Click();
    // Enter (13) in the name box moves the focus on like Tab and never confirms; true when the key was
    // used up.
    bool Text1_KeyPress(int keyAscii);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load() override;

    QFrame* Shape1;
    QLineEdit* Text1;
    QLabel* Image1;
    QPushButton* Cmd_Undo;
    QPushButton* Cmd_Ok;
};

} // namespace zav::manage
