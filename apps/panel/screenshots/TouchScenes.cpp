#include "TouchScenes.h"

#include "SampleData.h"
#include "SceneHelpers.h"
#include "Shooter.h"

#include "access/Class_Par.h"
#include "component/Frm_Login.h"
#include "dialogs/AutoLogoutWarning.h"
#include "dialogs/Frm_Badge.h"
#include "dialogs/Frm_ChangePwd.h"
#include "dialogs/Frm_LevModify.h"
#include "dialogs/Frm_Manage.h"
#include "dialogs/Frm_Name.h"
#include "dialogs/Frm_Pin.h"
#include "dialogs/Frm_Sign.h"
#include "operations/CredentialDatabase.h"
#include "outside/ScreenKeyboardWidget.h"

#include <ZAV_PrjLogin/Class_Language.h>
#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTreeWidget>
#include <stdexcept>

namespace zav::screenshots {

namespace {

// The management window with its pop-up menus opened beside the pointer without waiting for them.
class ManageWithOpenMenus : public manage::Frm_Manage {
public:
    QMenu* shownMenu = nullptr;

protected:
    void ShowPopupMenu(QMenu* menu) override {
        shownMenu = menu;
        const QTreeWidget* list = findChild<QTreeWidget*>(
            QLatin1String(menu->objectName() == QLatin1String("LevMnu") ? "Lv_Level" : "LV_Operator"));
        menu->popup(list->mapToGlobal(list->rect().center()));
    }
};

} // namespace

TouchScenes::TouchScenes(Shooter& shooter, const QString& workFolder, const QString& language,
                         bool touchScreen)
    : m_shooter(shooter) {
    m_login = ZAV_Login::create();
    m_login->setAutoShutDown(false);
    m_login->setIsTouchScreen(touchScreen);
    m_login->setEnableCount(CustomRights);
    m_login->cDrvLanguage()->setCurrentLanguage(language);
    const QString dbPath = QDir(workFolder).filePath(QStringLiteral("touch.db"));
    m_login->setDbPath(dbPath);
    for (short n = 1; n <= CustomRights; ++n) {
        m_login->setEnableDescription(n, QStringLiteral("Function %1").arg(n));
    }
    addSampleData(dbPath);
    m_login->Logout();
}

TouchScenes::~TouchScenes() {
    m_login->Terminate();
}

void TouchScenes::renderAll(const QString& prefix) {
    m_prefix = prefix;
    loginDialogs();
    changePasswordDialog();
    manageWindow();
    nameDialog();
    levelModifyDialog();
    autoLogoutWarning();
    signatureDialogs();
    badgeDialogs();
}

void TouchScenes::loginDialogs() {
    for (const int mode : {LoginModeOperator, LoginModeLevel}) {
        Class_Par par;
        par.LoginMode = mode;
        Frm_Login dialog(par);
        dialog.Form_Load();
        const QString name =
            mode == LoginModeOperator ? QStringLiteral("login-operator") : QStringLiteral("login-level");
        m_shooter.saveScreen({&dialog}, m_prefix + name);
        if (mode == LoginModeOperator) {
            auto* names = child<QComboBox>(dialog, "Cbo_Login");
            names->showPopup();
            m_shooter.saveScreen({&dialog, names->view()->window()},
                                 m_prefix + QStringLiteral("login-names"));
            names->hidePopup();
            names->setCurrentIndex(names->findText(SampleOperator));
            auto* box = child<QLineEdit>(dialog, "Text1");
            box->setText(QStringLiteral("secret"));
            outside::ScreenKeyboardWidget keyboard(box);
            m_shooter.saveScreen({&dialog, &keyboard}, m_prefix + QStringLiteral("login-keyboard"));
        }
    }
}

void TouchScenes::changePasswordDialog() {
    Class_Par par;
    par.LoginMode = LoginModeLevel;
    Frm_ChangePwd dialog(par, m_login->CurrentLevel(), nullptr);
    dialog.Form_Load();
    m_shooter.saveScreen({&dialog}, m_prefix + QStringLiteral("change-password"));
    // The lowest box leaves the least room below it.
    outside::ScreenKeyboardWidget keyboard(child<QLineEdit>(dialog, "Text_Confirm"));
    m_shooter.saveScreen({&dialog, &keyboard}, m_prefix + QStringLiteral("change-password-keyboard"));
}

void TouchScenes::manageWindow() {
    // The menus as a manager sees them while the policy locks out and takes badges: anna locked,
    // Service not.
    const QString dbPath = m_login->DbPath();
    manage::SetPolicyEntry(dbPath, QStringLiteral("lockout-attempts"), QStringLiteral("1"));
    manage::SetPolicyEntry(dbPath, QStringLiteral("badge-login"), QStringLiteral("on"));
    manage::RecordFailedLogin(dbPath, manage::AttemptAgainst({manage::LockoutKind::Operator, SampleOperator}),
                              manage::ReadPolicy(dbPath));
    ManageWithOpenMenus window;
    window.cOwnerLevel = storedLevel(m_login->DbPath(), 1);
    window.show();
    auto* levels = child<QTreeWidget>(window, "Lv_Level");
    const auto service = levels->findItems(SampleLevel, Qt::MatchExactly);
    if (!service.isEmpty()) {
        levels->setCurrentItem(service.first());
    }
    m_shooter.saveScreen({&window}, m_prefix + QStringLiteral("manage"));

    window.Lv_Level_MouseUp(2, 0, 0, 0);
    m_shooter.saveScreen({&window, window.shownMenu}, m_prefix + QStringLiteral("manage-level-menu"));
    window.shownMenu->hide();

    auto* operators = child<QTreeWidget>(window, "LV_Operator");
    operators->setCurrentItem(operators->topLevelItem(0));
    window.LV_Operator_MouseUp(2, 0, 0, 0);
    m_shooter.saveScreen({&window, window.shownMenu}, m_prefix + QStringLiteral("manage-operator-menu"));
    window.shownMenu->hide();
}

void TouchScenes::nameDialog() {
    manage::Frm_Name dialog;
    dialog.cPar = std::make_shared<Class_Par>();
    dialog.show();
    auto* box = child<QLineEdit>(dialog, "Text1");
    box->setText(QStringLiteral("dora"));
    m_shooter.saveScreen({&dialog}, m_prefix + QStringLiteral("name"));
    outside::ScreenKeyboardWidget keyboard(box);
    m_shooter.saveScreen({&dialog, &keyboard}, m_prefix + QStringLiteral("name-keyboard"));
}

void TouchScenes::levelModifyDialog() {
    // The shutdown right is offered only to hosts that shut down; the recording shell keeps that harmless.
    m_login->setAutoShutDown(true);
    manage::Frm_LevModify dialog;
    dialog.cPar = std::make_shared<Class_Par>();
    dialog.cPar->Title = SampleLevel;
    dialog.cOwnerEnable = storedLevel(m_login->DbPath(), 1)->cLevelEnable();
    std::optional<int> service = manage::LevelIdByName(m_login->DbPath(), SampleLevel);
    dialog.cEditEnable = storedLevel(m_login->DbPath(), service.value_or(1))->cLevelEnable();
    m_shooter.saveScreen({&dialog}, m_prefix + QStringLiteral("level-modify"));
    m_login->setAutoShutDown(false);
}

void TouchScenes::autoLogoutWarning() {
    dialogs::AutoLogoutWarning warning(30, 1000);
    m_shooter.saveScreen({&warning}, m_prefix + QStringLiteral("auto-logout"));
}

void TouchScenes::signatureDialogs() {
    // The first signing of a login, with a long action and the policy's reasons; then the second person.
    Frm_Sign::Setup setup{
        Frm_Sign::Role::Signer,
        QStringLiteral("Approved"),
        QStringLiteral("Release of batch 2026-1142 (filling line 3) to packaging"),
        SampleOperator,
        true,
        {QStringLiteral("Checked against the batch record"), QStringLiteral("Line clearance")},
        true};
    Frm_Sign signer(setup, [](const Frm_Sign::Entry&) { return false; });
    signer.Form_Load();
    m_shooter.saveScreen({&signer}, m_prefix + QStringLiteral("sign"));
    outside::ScreenKeyboardWidget keyboard(child<QLineEdit>(signer, "Text_Pwd"));
    m_shooter.saveScreen({&signer, &keyboard}, m_prefix + QStringLiteral("sign-keyboard"));
    setup.role = Frm_Sign::Role::SecondPerson;
    Frm_Sign second(setup, [](const Frm_Sign::Entry&) { return false; });
    second.Form_Load();
    m_shooter.saveScreen({&second}, m_prefix + QStringLiteral("sign-second-person"));
}

void TouchScenes::badgeDialogs() {
    // The PIN pad as the operator meets it after the badge; then the badge prompt of the management
    // window for badge and PIN, with the on-screen keyboard over its box.
    Frm_Pin pad(SampleOperator);
    pad.Form_Load();
    m_shooter.saveScreen({&pad}, m_prefix + QStringLiteral("pin"));

    manage::Frm_Badge prompt(SampleOperator);
    prompt.show();
    child<QRadioButton>(prompt, "Opt_BadgeAndPin")->setChecked(true);
    auto* box = child<QLineEdit>(prompt, "Text_Badge");
    box->setText(QStringLiteral("0012345678"));
    m_shooter.saveScreen({&prompt}, m_prefix + QStringLiteral("badge"));
    outside::ScreenKeyboardWidget keyboard(box);
    m_shooter.saveScreen({&prompt, &keyboard}, m_prefix + QStringLiteral("badge-keyboard"));
}

} // namespace zav::screenshots
