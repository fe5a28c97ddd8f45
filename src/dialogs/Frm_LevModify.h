#pragma once

// The modal dialog in which one level's rights are changed. A box is shown for every right that the
// owner's level or the edited level holds, and enabled only when the owner's level holds it, so nobody
// grants or withdraws a right their own level lacks. The shutdown box is inverted: checked means the
// automatic shutdown applies (DisShutDown false).
//
// The caller sets cPar (Title: appended to the caption), cOwnerEnable and cEditEnable, shows the
// dialog with exec() and afterwards reads cPar->Result and, when true, the choices in cEditEnable. When
// building the boxes failed (the failure is shown titled "Login"), OK hands nothing back.

#include "access/Class_Par.h"
#include "dialogs/FormDialog.h"
#include "dialogs/TwipsGeometry.h"

#include <ZAV_PrjLogin/Class_LevelEnable.h>

#include <array>
#include <memory>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace zav::manage {

class Frm_LevModify : public FormDialog {
    Q_OBJECT

public:
    explicit Frm_LevModify(QWidget* parent = nullptr);
    ~Frm_LevModify() override;

    std::shared_ptr<Class_Par> cPar;
    // The rights of the level that opened the management window; never changed.
    std::shared_ptr<Class_LevelEnable> cOwnerEnable;
    // The rights being edited: the boxes start from them and OK writes the choices back.
    std::shared_ptr<Class_LevelEnable> cEditEnable;

    // The twips the layout arithmetic used for a control of this dialog.
    TwipsRect TwipsOf(const QWidget* control) const { return m_twips.of(control); }
    double WindowHeightTwips() const { return m_windowHeightTwips; }

public slots:
    void Cmd_Ok_Click();
    void Cmd_Undo_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load() override;
    void Form_Activate();
    void BuildChecks();
    void ReadChecks();
    QCheckBox* makeCheck(const QString& name, const QString& caption, const TwipsRect& twips);
    QCheckBox* createCustomCheck(int k);
    void resizeWindowHeight(double heightTwips);
    // Touch-screen mode: the built boxes in finger-sized rows, as many columns as the screen takes, in a
    // scroll area above the buttons (Frm_LevModify_Touch.cpp).
    void arrangeForTouch();

    QGroupBox* Fra_Lev;
    std::array<QCheckBox*, 2> Check_Manage{};
    QCheckBox* Check_CustomTemplate;        // Check_Custom(0), never shown
    std::vector<QCheckBox*> m_customChecks; // Check_Custom(1), Check_Custom(2), ...
    QCheckBox* Check_Desktop;
    QCheckBox* Check_ShutDown;
    QPushButton* Cmd_Ok;
    QPushButton* Cmd_Undo;
    QLabel* Image1;

    TwipsLayout m_twips;
    double m_windowWidthTwips = 0;
    double m_windowHeightTwips = 0;
    bool bFirstActivate = false;
    bool m_built = false; // BuildChecks ran to its end
};

} // namespace zav::manage
