#include "PanelWindow.h"

#include "DatabaseFacts.h"
#include "PanelComponent.h"
#include "PanelRights.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace zav::panel {

namespace {

QString firstRunText(const QString& dbPath, const QString& levelName, int levelId) {
    return QStringLiteral(
               "<b>First run.</b> The credential database at <tt>%1</tt> holds only its built-in levels and "
               "no operators.<br>"
               "Nobody is logged in, so \"%2\" (ID %3), the level with the largest ID, is in force. "
               "<b>It has no password</b> and holds every right: press <i>Manage</i> to add levels and "
               "operators, then <i>Log out</i> to put the new lowest level in force. To get back to \"%2\", "
               "choose it under <i>Log in by level</i> and leave the password empty.")
        .arg(dbPath.toHtmlEscaped(), levelName.toHtmlEscaped())
        .arg(levelId);
}

QString describe(const AutomationError& e) {
    return QStringLiteral("Error %1: %2").arg(e.Number()).arg(e.Description());
}

QLabel* makeLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

PanelWindow::PanelWindow(const PanelOptions& options, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PanelWindow"));
    setWindowTitle(QStringLiteral("Operator panel - zav-panel"));
    buildControls(options.touch);
    StartedComponent started = startComponent(options);
    m_login = std::move(started.login);
    refresh();
}

PanelWindow::~PanelWindow() {
    // Releasing the component terminates it too, but say so explicitly: the desktop must come back.
    terminate();
}

void PanelWindow::buildControls(bool touch) {
    auto* layout = new QVBoxLayout(this);

    m_firstRunHint = makeLabel(this, QStringLiteral("FirstRunHint"));
    m_firstRunHint->setWordWrap(true);
    m_firstRunHint->setTextFormat(Qt::RichText);
    m_firstRunHint->setFrameShape(QFrame::StyledPanel);
    m_firstRunHint->setMargin(8);
    m_firstRunHint->setAutoFillBackground(true);
    QPalette hintPalette = m_firstRunHint->palette();
    hintPalette.setColor(QPalette::Window, QColor(0xff, 0xf4, 0xc8));
    hintPalette.setColor(QPalette::WindowText, Qt::black);
    m_firstRunHint->setPalette(hintPalette);
    m_firstRunHint->hide();
    layout->addWidget(m_firstRunHint);

    auto* columns = new QHBoxLayout;
    layout->addLayout(columns, 1);

    auto* state = new QGroupBox(QStringLiteral("Login state"), this);
    auto* stateLayout = new QVBoxLayout(state);
    m_operatorLabel = makeLabel(state, QStringLiteral("OperatorLabel"));
    m_levelLabel = makeLabel(state, QStringLiteral("LevelLabel"));
    m_logoutLevelLabel = makeLabel(state, QStringLiteral("LogoutLevelLabel"));
    QFont big = m_levelLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    m_operatorLabel->setFont(big);
    m_levelLabel->setFont(big);
    stateLayout->addWidget(m_operatorLabel);
    stateLayout->addWidget(m_levelLabel);
    stateLayout->addWidget(m_logoutLevelLabel);
    stateLayout->addWidget(new QLabel(QStringLiteral("Rights of this level:"), state));
    m_rightsList = new QListWidget(state);
    m_rightsList->setObjectName(QStringLiteral("RightsList"));
    m_rightsList->setSelectionMode(QAbstractItemView::NoSelection);
    m_rightsList->setFocusPolicy(Qt::NoFocus);
    stateLayout->addWidget(m_rightsList, 1);
    columns->addWidget(state, 1);

    auto* buttons = new QVBoxLayout;
    m_loginByOperator = addButton(QStringLiteral("LoginByOperatorButton"),
                                  QStringLiteral("Log in by operator"), &PanelWindow::loginByOperator);
    m_loginByLevel = addButton(QStringLiteral("LoginByLevelButton"), QStringLiteral("Log in by level"),
                               &PanelWindow::loginByLevel);
    m_logout = addButton(QStringLiteral("LogoutButton"), QStringLiteral("Log out"), &PanelWindow::logout);
    m_manage = addButton(QStringLiteral("ManageButton"), QStringLiteral("Manage"), &PanelWindow::manage);
    m_changePassword = addButton(QStringLiteral("ChangePasswordButton"), QStringLiteral("Change my password"),
                                 &PanelWindow::changePassword);
    m_quit = new QPushButton(QStringLiteral("Quit"), this);
    m_quit->setObjectName(QStringLiteral("QuitButton"));
    connect(m_quit, &QPushButton::clicked, this, &QWidget::close);
    for (QPushButton* b : {m_loginByOperator, m_loginByLevel, m_logout, m_manage, m_changePassword}) {
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    buttons->addWidget(m_quit);
    // Operator panels are used with gloves and fingers: bigger targets in touch mode.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setMinimumSize(touch ? 220 : 180, touch ? 64 : 36);
        if (touch) {
            QFont f = b->font();
            f.setPointSizeF(f.pointSizeF() * 1.4);
            b->setFont(f);
        }
    }
    columns->addLayout(buttons);

    m_statusLabel = makeLabel(this, QStringLiteral("StatusLabel"));
    layout->addWidget(m_statusLabel);
    resize(640, 480);
}

QPushButton* PanelWindow::addButton(const QString& name, const QString& text, void (PanelWindow::*slot)()) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, slot);
    return button;
}

void PanelWindow::refresh() {
    // Reading the captions or the database can fail (an unreadable file); the window must still come up.
    try {
        showState();
    } catch (const AutomationError& e) {
        m_statusLabel->setText(describe(e));
    } catch (const std::exception& e) {
        m_statusLabel->setText(QStringLiteral("Error: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

void PanelWindow::showState() {
    const std::shared_ptr<Class_Level> level = m_login ? m_login->CurrentLevel() : nullptr;
    if (m_terminated) {
        showNoComponent(QStringLiteral("Terminated: the desktop is shown again."));
        return;
    }
    if (!level) {
        showNoComponent(
            QStringLiteral("The credential database could not be opened (see the message shown)."));
        return;
    }
    const auto op = m_login->CurrentOperator();
    const QString operatorName = op ? op->OperatorNameText() : QString();
    const DatabaseFacts facts = readDatabaseFacts(m_login->DbPath());
    // The logout level is the one with the largest ID now, not the one the last logout found.
    const bool logoutLevel = level->ID() == facts.logoutLevelId;
    // A logout marks the level it puts in force as one that cannot have a password, a login as one that can.
    const bool loggedIn = level->CanHavePassword();
    const bool inForce = !loggedIn && logoutLevel; // what a logout would put in force is in force

    m_operatorLabel->setText(
        QStringLiteral("Operator: %1").arg(operatorName.isEmpty() ? QStringLiteral("(none)") : operatorName));
    m_levelLabel->setText(QStringLiteral("Level: %1 (ID %2)").arg(level->LevelName()).arg(level->ID()));
    if (inForce) {
        m_logoutLevelLabel->setText(QStringLiteral("Logout level: yes (nobody is logged in)"));
    } else if (!loggedIn) {
        m_logoutLevelLabel->setText(
            QStringLiteral(
                "Logout level: no, nobody is logged in but the levels have changed: log out to put "
                "level %1 in force")
                .arg(facts.logoutLevelId));
    } else {
        m_logoutLevelLabel->setText(logoutLevel ? QStringLiteral("Logout level: yes")
                                                : QStringLiteral("Logout level: no"));
    }
    m_firstRunHint->setText(firstRunText(m_login->DbPath(), level->LevelName(), level->ID()));
    m_firstRunHint->setVisible(inForce && facts.untouched());
    refreshRights(*m_login, *level);

    const auto rights = level->cLevelEnable();
    m_loginByOperator->setEnabled(true);
    m_loginByLevel->setEnabled(true);
    m_logout->setEnabled(!inForce);
    m_manage->setEnabled(rights && (rights->AllowManageLevel() || rights->AllowManageOperator()));
    m_changePassword->setEnabled(loggedIn);
}

void PanelWindow::refreshRights(const ZAV_Login& login, const Class_Level& level) {
    m_rightsList->clear();
    const auto rights = level.cLevelEnable();
    if (!rights) {
        return;
    }
    for (const RightState& right : rightsOf(login, *rights)) {
        auto* item = new QListWidgetItem(right.caption, m_rightsList);
        item->setFlags(Qt::ItemIsEnabled); // shown, not editable: rights change in the management window
        item->setCheckState(right.granted ? Qt::Checked : Qt::Unchecked);
    }
}

void PanelWindow::showNoComponent(const QString& reason) {
    m_operatorLabel->setText(QStringLiteral("Operator: -"));
    m_levelLabel->setText(QStringLiteral("Level: -"));
    m_logoutLevelLabel->clear();
    m_firstRunHint->hide();
    m_rightsList->clear();
    for (QPushButton* b : {m_loginByOperator, m_loginByLevel, m_logout, m_manage, m_changePassword}) {
        b->setEnabled(false);
    }
    m_statusLabel->setText(reason);
}

void PanelWindow::act(const std::function<QString()>& action) {
    try {
        m_statusLabel->setText(action());
    } catch (const AutomationError& e) {
        m_statusLabel->setText(describe(e));
        QMessageBox::warning(this, windowTitle(), m_statusLabel->text());
    } catch (const std::exception& e) {
        m_statusLabel->setText(QStringLiteral("Error: %1").arg(QString::fromLocal8Bit(e.what())));
        QMessageBox::warning(this, windowTitle(), m_statusLabel->text());
    }
    refresh();
}

void PanelWindow::loginByOperator() {
    act([this] {
        return m_login->LoginByOperator() ? QStringLiteral("Logged in.") : QStringLiteral("Login cancelled.");
    });
}

void PanelWindow::loginByLevel() {
    act([this] {
        return m_login->LoginByLevel() ? QStringLiteral("Logged in.") : QStringLiteral("Login cancelled.");
    });
}

void PanelWindow::logout() {
    act([this] {
        m_login->Logout();
        return QStringLiteral("Logged out.");
    });
}

void PanelWindow::manage() {
    act([this] {
        m_login->CurrentLevel()->ShowStructure();
        return QStringLiteral("Management window closed.");
    });
}

void PanelWindow::changePassword() {
    act([this] {
        // The operator's own password when an operator is logged in, else the level's.
        const auto op = m_login->CurrentOperator();
        const bool changed = op && !op->OperatorNameText().isEmpty()
                                 ? op->ChangePassword(false)
                                 : m_login->CurrentLevel()->ChangePassword(false);
        return changed ? QStringLiteral("Password changed.") : QStringLiteral("Password not changed.");
    });
}

void PanelWindow::terminate() {
    if (m_terminated) {
        return;
    }
    m_terminated = true;
    if (m_login) {
        m_login->Terminate();
    }
}

void PanelWindow::closeEvent(QCloseEvent* event) {
    terminate();
    refresh();
    event->accept();
}

} // namespace zav::panel
