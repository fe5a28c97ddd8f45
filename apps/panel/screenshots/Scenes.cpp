#include "Scenes.h"

#include "SampleData.h"
#include "SceneHelpers.h"
#include "Shooter.h"

#include "access/Class_Par.h"
#include "component/CredentialCheck.h"
#include "component/Frm_Login.h"
#include "dialogs/Frm_Badge.h"
#include "dialogs/Frm_ChangePwd.h"
#include "dialogs/Frm_LevModify.h"
#include "dialogs/Frm_Manage.h"
#include "dialogs/Frm_Name.h"
#include "dialogs/Frm_Pin.h"
#include "operations/CredentialDatabase.h"
#include "outside/ScreenKeyboardWidget.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>
#include <stdexcept>

namespace zav::screenshots {

namespace {

void selectInList(QComboBox* list, const QString& text) {
    list->setCurrentIndex(list->findText(text));
}

} // namespace

Scenes::Scenes(Shooter& shooter, const QString& workFolder) : m_shooter(shooter), m_workFolder(workFolder) {}

Scenes::~Scenes() = default;

panel::PanelOptions Scenes::optionsFor(const QString& name) const {
    panel::PanelOptions options;
    options.dbPath = m_workFolder + QLatin1Char('/') + name + QStringLiteral("/login.db");
    return options;
}

void Scenes::renderAll() {
    panelFirstRun();
    panelInUse();
    loginDialogs();
    changePasswordDialog();
    manageWindow();
    nameDialog();
    levelModifyDialog();
    keyboards();
    badgeDialogs();
}

void Scenes::panelFirstRun() {
    panel::PanelWindow window(optionsFor(QStringLiteral("first-run")));
    m_shooter.save(window, QStringLiteral("panel-first-run"));
    window.close();
}

void Scenes::panelInUse() {
    m_panel = std::make_unique<panel::PanelWindow>(optionsFor(QStringLiteral("in-use")));
    const auto login = m_panel->component();
    addSampleData(login->DbPath());
    login->Logout();
    if (CheckCredentials(LoginModeOperator, 0, SampleOperator, QString()) != CredentialOutcome::Accepted) {
        throw std::runtime_error("the sample operator cannot log in");
    }
    m_panel->refresh();
    m_shooter.save(*m_panel, QStringLiteral("panel"));
}

void Scenes::loginDialogs() {
    struct Shot {
        int mode;
        bool touch;
        QString select;
        const char* name;
    };
    const Shot shots[] = {{LoginModeOperator, false, SampleOperator, "login-operator"},
                          {LoginModeLevel, false, SampleLevel, "login-level"},
                          {LoginModeOperator, true, SampleOperator, "login-touch"}};
    for (const Shot& shot : shots) {
        m_panel->component()->setIsTouchScreen(shot.touch);
        Class_Par par;
        par.LoginMode = shot.mode;
        Frm_Login dialog(par);
        dialog.Form_Load();
        selectInList(child<QComboBox>(dialog, "Cbo_Login"), shot.select);
        child<QLineEdit>(dialog, "Text1")->setText(QStringLiteral("secret"));
        m_shooter.save(dialog, QString::fromLatin1(shot.name));
    }
    m_panel->component()->setIsTouchScreen(false);
}

void Scenes::changePasswordDialog() {
    Class_Par par;
    par.LoginMode = LoginModeOperator;
    Frm_ChangePwd dialog(par, nullptr, m_panel->component()->CurrentOperator());
    dialog.Form_Load();
    for (const char* box : {"Text_OldPWD", "Text_Pwd", "Text_Confirm"}) {
        child<QLineEdit>(dialog, box)->setText(QStringLiteral("secret"));
    }
    m_shooter.save(dialog, QStringLiteral("change-password"));
}

void Scenes::manageWindow() {
    manage::Frm_Manage window;
    window.cOwnerLevel = storedLevel(m_panel->component()->DbPath(), 1);
    window.show();
    auto* levels = child<QTreeWidget>(window, "Lv_Level");
    const auto service = levels->findItems(SampleLevel, Qt::MatchExactly);
    if (!service.isEmpty()) {
        levels->setCurrentItem(service.first());
    }
    m_shooter.save(window, QStringLiteral("manage"));
}

void Scenes::nameDialog() {
    manage::Frm_Name dialog;
    dialog.cPar = std::make_shared<Class_Par>();
    dialog.show();
    child<QLineEdit>(dialog, "Text1")->setText(QStringLiteral("dora"));
    m_shooter.save(dialog, QStringLiteral("name"));
}

void Scenes::levelModifyDialog() {
    const auto login = m_panel->component();
    // The shutdown right is offered only to hosts that shut down; the recording shell keeps that harmless.
    login->setAutoShutDown(true);
    manage::Frm_LevModify dialog;
    dialog.cPar = std::make_shared<Class_Par>();
    dialog.cPar->Title = SampleLevel;
    dialog.cOwnerEnable = storedLevel(login->DbPath(), 1)->cLevelEnable();
    dialog.cEditEnable = login->CurrentLevel()->cLevelEnable();
    m_shooter.save(dialog, QStringLiteral("level-modify"));
    login->setAutoShutDown(false);
}

void Scenes::keyboards() {
    QLineEdit letters;
    letters.setText(QStringLiteral("dora"));
    outside::ScreenKeyboardWidget letterKeyboard(&letters);
    m_shooter.save(letterKeyboard, QStringLiteral("keyboard"));

    QLineEdit digits;
    digits.setProperty("DigitsOnly", true);
    digits.setText(QStringLiteral("42"));
    outside::ScreenKeyboardWidget digitKeyboard(&digits);
    m_shooter.save(digitKeyboard, QStringLiteral("keyboard-digits"));
}

void Scenes::badgeDialogs() {
    Frm_Pin pad(SampleOperator);
    pad.Form_Load();
    m_shooter.save(pad, QStringLiteral("pin"));
    manage::Frm_Badge prompt(SampleOperator);
    m_shooter.save(prompt, QStringLiteral("badge"));
}

} // namespace zav::screenshots
