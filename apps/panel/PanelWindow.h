#pragma once

// The demo host's window, laid out like a machine's operator panel: who is logged in, at which level,
// what that level may do, and buttons for every action of the login component. It owns the component;
// closing the window (Quit, the window's close button, a termination signal) terminates it, which shows
// the desktop again and shuts the machine down only when --auto-shutdown was given.

#include "PanelOptions.h"
#include "PanelTexts.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class AutomationError;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace zav::panel {

class PanelWindow : public QWidget {
    Q_OBJECT

public:
    // Starts the component (see startComponent); a language that is not on offer throws AutomationError.
    explicit PanelWindow(const PanelOptions& options, QWidget* parent = nullptr);
    ~PanelWindow() override;

    std::shared_ptr<ZAV_Login> component() const { return m_login; }

    // Runs the component's termination once; afterwards only Quit is left.
    void terminate();

public Q_SLOTS:
    // Reads the login state afresh into the labels, the rights list and the buttons.
    void refresh();
    void loginByOperator();
    void loginByLevel();
    void logout();
    void manage();
    void changePassword();
    // Makes `name` the component's current language and shows the panel in it.
    void chooseLanguage(const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls(bool touch);
    QPushButton* addButton(const QString& name, void (PanelWindow::*slot)());
    // Runs one action of the component, reports a failure in a message box, and refreshes.
    void act(const std::function<PanelText()>& action);
    // The languages on offer, the current one chosen.
    void fillLanguages();
    // Every caption and status line again, in the current language.
    void retranslate();
    QString text(PanelText which) const;
    QString describe(const AutomationError& e) const;
    void showState();
    void refreshRights(const ZAV_Login& login, const Class_Level& level);
    void showNoComponent(PanelText reason);

    std::shared_ptr<ZAV_Login> m_login;
    bool m_terminated = false;
    // Kept here: the component lets go of its language object when it terminates.
    QString m_language;
    std::optional<PanelText> m_status; // the last action's outcome, shown again after a language switch

    QLabel* m_firstRunHint = nullptr;
    QLabel* m_offlineLabel = nullptr;
    QLabel* m_operatorLabel = nullptr;
    QLabel* m_levelLabel = nullptr;
    QLabel* m_logoutLevelLabel = nullptr;
    QListWidget* m_rightsList = nullptr;
    QLabel* m_statusLabel = nullptr;
    QGroupBox* m_stateBox = nullptr;
    QLabel* m_rightsLabel = nullptr;
    QLabel* m_languageLabel = nullptr;
    QComboBox* m_languageBox = nullptr;
    QPushButton* m_loginByOperator = nullptr;
    QPushButton* m_loginByLevel = nullptr;
    QPushButton* m_logout = nullptr;
    QPushButton* m_manage = nullptr;
    QPushButton* m_changePassword = nullptr;
    QPushButton* m_quit = nullptr;
};

} // namespace zav::panel
