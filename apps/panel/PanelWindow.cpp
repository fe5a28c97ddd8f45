#include "PanelWindow.h"

#include "PanelComponent.h"
#include "PanelRights.h"
#include "PanelTexts.h"

#include <ZAV_PrjLogin/AutomationError.h>
#include <ZAV_PrjLogin/CredentialFacts.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

namespace zav::panel {

namespace {

QLabel* makeLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A finger's button: about 15 mm on a 96-dpi panel, and five of them with the row below fit 480 pixels.
constexpr int TouchButtonHeight = 56;

// Long texts wrap within the width the window has, instead of asking for more.
void wrapWithin(QLabel* label) {
    label->setWordWrap(true);
    QSizePolicy policy = label->sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Ignored);
    label->setSizePolicy(policy);
}

// A line across the window on a background of its own, hidden until it has something to say.
QLabel* makeBanner(QWidget* parent, const QString& name, const QColor& background) {
    QLabel* banner = makeLabel(parent, name);
    banner->setWordWrap(true);
    banner->setAutoFillBackground(true);
    QPalette palette = banner->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, Qt::black);
    banner->setPalette(palette);
    banner->hide();
    return banner;
}

} // namespace

PanelWindow::PanelWindow(const PanelOptions& options, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PanelWindow"));
    buildControls(options.touch);
    StartedComponent started = startComponent(options);
    m_login = std::move(started.login);
    if (m_login) {
        // An automatic logout comes without a button: the window follows every change of the state,
        // once the component has finished making it.
        const auto refreshLater = [this] { QTimer::singleShot(0, this, [this] { refresh(); }); };
        connect(m_login.get(), &ZAV_Login::loggedOut, this, refreshLater);
        connect(m_login.get(), &ZAV_Login::loggedIn, this, refreshLater);
        connect(m_login.get(), &ZAV_Login::connectionChanged, this, refreshLater);
    }
    fillLanguages();
    retranslate();
}

QString PanelWindow::text(PanelText which) const {
    return panelText(which, m_language);
}

QString PanelWindow::describe(const AutomationError& e) const {
    return text(PanelText::Error).arg(e.Number()).arg(e.Description());
}

void PanelWindow::fillLanguages() {
    const auto language = m_login ? m_login->cDrvLanguage() : nullptr;
    if (!language) {
        m_languageBox->setEnabled(false);
        return;
    }
    m_language = language->CurrentLanguage();
    const QSignalBlocker quiet(m_languageBox);
    m_languageBox->clear();
    m_languageBox->addItems(language->EnumLanguages());
    m_languageBox->setCurrentText(m_language);
}

void PanelWindow::chooseLanguage(const QString& name) {
    const auto language = m_login ? m_login->cDrvLanguage() : nullptr;
    if (!language || name.isEmpty()) {
        return;
    }
    try {
        language->setCurrentLanguage(name);
        m_language = language->CurrentLanguage();
    } catch (const AutomationError& e) {
        // A language file removed meanwhile: the list is read again and shows what is on offer now.
        m_status.reset();
        m_statusLabel->setText(describe(e));
        fillLanguages();
    }
    retranslate();
}

void PanelWindow::retranslate() {
    setWindowTitle(text(PanelText::WindowTitle));
    m_stateBox->setTitle(text(PanelText::LoginState));
    m_rightsLabel->setText(text(PanelText::RightsOfLevel));
    m_languageLabel->setText(text(PanelText::Language));
    m_loginByOperator->setText(text(PanelText::LoginByOperator));
    m_loginByLevel->setText(text(PanelText::LoginByLevel));
    m_logout->setText(text(PanelText::Logout));
    m_manage->setText(text(PanelText::Manage));
    m_changePassword->setText(text(PanelText::ChangePassword));
    m_quit->setText(text(PanelText::Quit));
    if (m_status) {
        m_statusLabel->setText(text(*m_status));
    }
    refresh();
}

PanelWindow::~PanelWindow() {
    // Releasing the component terminates it too, but say so explicitly: the desktop must come back.
    terminate();
}

// The window fits the smallest panels (800x480) in touch mode: the state on the left with the first-run
// hint over it, the action buttons on the right, the language and Quit in a row below, and the outcome of
// the last action under everything, wrapped, so that no long text widens the window past the screen.
void PanelWindow::buildControls(bool touch) {
    auto* layout = new QVBoxLayout(this);

    m_offlineLabel = makeBanner(this, QStringLiteral("OfflineLabel"), QColor(0xf8, 0xd0, 0xc8));
    layout->addWidget(m_offlineLabel);

    auto* columns = new QHBoxLayout;
    layout->addLayout(columns, 1);
    auto* left = new QVBoxLayout;
    columns->addLayout(left, 1);
    m_firstRunHint = makeBanner(this, QStringLiteral("FirstRunHint"), QColor(0xff, 0xf4, 0xc8));
    m_firstRunHint->setTextFormat(Qt::RichText);
    m_firstRunHint->setFrameShape(QFrame::StyledPanel);
    m_firstRunHint->setMargin(4);
    wrapWithin(m_firstRunHint);
    left->addWidget(m_firstRunHint);

    auto* state = new QGroupBox(this);
    m_stateBox = state;
    auto* stateLayout = new QVBoxLayout(state);
    m_operatorLabel = makeLabel(state, QStringLiteral("OperatorLabel"));
    m_levelLabel = makeLabel(state, QStringLiteral("LevelLabel"));
    m_logoutLevelLabel = makeLabel(state, QStringLiteral("LogoutLevelLabel"));
    QFont big = m_levelLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    m_operatorLabel->setFont(big);
    m_levelLabel->setFont(big);
    for (QLabel* label : {m_operatorLabel, m_levelLabel, m_logoutLevelLabel}) {
        wrapWithin(label); // a long name or a long reason why the database cannot be read
        stateLayout->addWidget(label);
    }
    m_rightsLabel = new QLabel(state);
    stateLayout->addWidget(m_rightsLabel);
    m_rightsList = new QListWidget(state);
    m_rightsList->setObjectName(QStringLiteral("RightsList"));
    m_rightsList->setSelectionMode(QAbstractItemView::NoSelection);
    m_rightsList->setFocusPolicy(Qt::NoFocus);
    m_rightsList->setMinimumHeight(48); // scrolls rather than making the window taller than a panel
    stateLayout->addWidget(m_rightsList, 1);
    left->addWidget(state, 1);

    auto* buttons = new QVBoxLayout;
    // Captions are set by retranslate(), once the component's language is known.
    m_loginByOperator = addButton(QStringLiteral("LoginByOperatorButton"), &PanelWindow::loginByOperator);
    m_loginByLevel = addButton(QStringLiteral("LoginByLevelButton"), &PanelWindow::loginByLevel);
    m_logout = addButton(QStringLiteral("LogoutButton"), &PanelWindow::logout);
    m_manage = addButton(QStringLiteral("ManageButton"), &PanelWindow::manage);
    m_changePassword = addButton(QStringLiteral("ChangePasswordButton"), &PanelWindow::changePassword);
    m_quit = new QPushButton(this);
    m_quit->setObjectName(QStringLiteral("QuitButton"));
    connect(m_quit, &QPushButton::clicked, this, &QWidget::close);
    for (QPushButton* b : {m_loginByOperator, m_loginByLevel, m_logout, m_manage, m_changePassword}) {
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    columns->addLayout(buttons);

    auto* bottom = new QHBoxLayout;
    layout->addLayout(bottom);
    m_languageLabel = new QLabel(this);
    m_languageBox = new QComboBox(this);
    m_languageBox->setObjectName(QStringLiteral("LanguageBox"));
    m_languageLabel->setBuddy(m_languageBox);
    m_languageBox->setMinimumHeight(touch ? TouchButtonHeight : 0);
    m_languageBox->setMinimumContentsLength(10);
    connect(m_languageBox, &QComboBox::currentTextChanged, this, &PanelWindow::chooseLanguage);
    bottom->addWidget(m_languageLabel);
    bottom->addWidget(m_languageBox);
    bottom->addStretch(1);
    bottom->addWidget(m_quit);
    // Operator panels are used with gloves and fingers: bigger targets in touch mode.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setMinimumSize(touch ? 220 : 180, touch ? TouchButtonHeight : 36);
        if (touch) {
            QFont f = b->font();
            f.setPointSizeF(f.pointSizeF() * 1.4);
            b->setFont(f);
        }
    }

    m_statusLabel = makeLabel(this, QStringLiteral("StatusLabel"));
    wrapWithin(m_statusLabel);
    layout->addWidget(m_statusLabel);
    resize(640, 480);
}

QPushButton* PanelWindow::addButton(const QString& name, void (PanelWindow::*slot)()) {
    auto* button = new QPushButton(this);
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
        m_statusLabel->setText(text(PanelText::ErrorText).arg(QString::fromLocal8Bit(e.what())));
    }
}

void PanelWindow::showState() {
    const std::shared_ptr<Class_Level> level = m_login ? m_login->CurrentLevel() : nullptr;
    if (m_terminated) {
        showNoComponent(PanelText::Terminated);
        return;
    }
    if (!level) {
        showNoComponent(PanelText::NotOpened);
        return;
    }
    const auto op = m_login->CurrentOperator();
    const QString operatorName = op ? op->OperatorNameText() : QString();
    // The component's state is shown as it is, even while the database cannot be read.
    // What the database says now, read afresh, shared and read-only: the component remembers the logout
    // level of its last logout, and the management window or zav-admin may have changed the levels since.
    std::optional<CredentialFacts> facts;
    QString unreadable;
    // Offline the server is not asked (the component knows what its copy holds).
    const bool offline = m_login->IsOffline();
    m_offlineLabel->setText(text(PanelText::Offline));
    m_offlineLabel->setVisible(offline);
    try {
        if (!offline) {
            facts = ReadCredentialFacts(m_login->DbPath());
        }
    } catch (const AutomationError& e) {
        unreadable = describe(e);
    }
    // The logout level is the one with the largest ID now, not the one the last logout found.
    const bool logoutLevel = facts ? level->ID() == facts->logoutLevelId : m_login->IsLogoutLevel();
    // A logout marks the level it puts in force as one that cannot have a password, a login as one that can.
    const bool loggedIn = level->CanHavePassword();
    const bool inForce = !loggedIn && logoutLevel; // what a logout would put in force is in force

    m_operatorLabel->setText(
        text(PanelText::Operator).arg(operatorName.isEmpty() ? text(PanelText::NoOperator) : operatorName));
    // The built-in levels' names in the language chosen now, not in the one of the last login.
    const QString levelName =
        level->DBLevelName().isEmpty() ? level->LevelName() : ShownLevelName(level->DBLevelName());
    m_levelLabel->setText(text(PanelText::Level).arg(levelName).arg(level->ID()));
    if (!facts && offline) {
        m_logoutLevelLabel->setText(text(logoutLevel ? PanelText::LogoutLevelYes : PanelText::LogoutLevelNo));
    } else if (!facts) {
        m_logoutLevelLabel->setText(text(PanelText::LogoutLevelUnreadable).arg(unreadable));
    } else if (inForce) {
        m_logoutLevelLabel->setText(text(PanelText::LogoutLevelNobody));
    } else if (!loggedIn) {
        m_logoutLevelLabel->setText(text(PanelText::LogoutLevelChanged).arg(facts->logoutLevelId));
    } else {
        m_logoutLevelLabel->setText(text(logoutLevel ? PanelText::LogoutLevelYes : PanelText::LogoutLevelNo));
    }
    // As long as level 1 opens everything to anyone, whoever is logged in now.
    m_firstRunHint->setText(
        text(PanelText::FirstRun)
            .arg(m_login->DbPath().toHtmlEscaped(),
                 ShownLevelName(facts ? facts->levelOneName : QStringLiteral("|1")).toHtmlEscaped()));
    m_firstRunHint->setVisible(facts && facts->levelOneOpen);
    refreshRights(*m_login, *level);

    const auto rights = level->cLevelEnable();
    m_loginByOperator->setEnabled(true);
    m_loginByLevel->setEnabled(true);
    m_logout->setEnabled(!inForce);
    m_manage->setEnabled(!offline && rights && (rights->AllowManageLevel() || rights->AllowManageOperator()));
    m_changePassword->setEnabled(!offline && loggedIn);
}

void PanelWindow::refreshRights(const ZAV_Login& login, const Class_Level& level) {
    m_rightsList->clear();
    const auto rights = level.cLevelEnable();
    if (!rights) {
        return;
    }
    for (const RightState& right : rightsOf(login, *rights, m_language)) {
        auto* item = new QListWidgetItem(right.caption, m_rightsList);
        item->setFlags(Qt::ItemIsEnabled); // shown, not editable: rights change in the management window
        item->setCheckState(right.granted ? Qt::Checked : Qt::Unchecked);
    }
}

void PanelWindow::showNoComponent(PanelText reason) {
    m_operatorLabel->setText(text(PanelText::NoOperatorShown));
    m_levelLabel->setText(text(PanelText::NoLevelShown));
    m_logoutLevelLabel->clear();
    m_firstRunHint->hide();
    m_offlineLabel->hide();
    m_rightsList->clear();
    for (QPushButton* b : {m_loginByOperator, m_loginByLevel, m_logout, m_manage, m_changePassword}) {
        b->setEnabled(false);
    }
    m_statusLabel->setText(text(reason));
}

void PanelWindow::act(const std::function<PanelText()>& action) {
    try {
        m_status = action();
        m_statusLabel->setText(text(*m_status));
    } catch (const AutomationError& e) {
        m_status.reset();
        m_statusLabel->setText(describe(e));
        QMessageBox::warning(this, windowTitle(), m_statusLabel->text());
    } catch (const std::exception& e) {
        m_status.reset();
        m_statusLabel->setText(text(PanelText::ErrorText).arg(QString::fromLocal8Bit(e.what())));
        QMessageBox::warning(this, windowTitle(), m_statusLabel->text());
    }
    refresh();
}

void PanelWindow::loginByOperator() {
    act([this] { return m_login->LoginByOperator() ? PanelText::LoggedIn : PanelText::LoginCancelled; });
}

void PanelWindow::loginByLevel() {
    act([this] { return m_login->LoginByLevel() ? PanelText::LoggedIn : PanelText::LoginCancelled; });
}

void PanelWindow::logout() {
    act([this] {
        m_login->Logout();
        return PanelText::LoggedOut;
    });
}

void PanelWindow::manage() {
    act([this] {
        m_login->CurrentLevel()->ShowStructure();
        return PanelText::ManagementClosed;
    });
}

void PanelWindow::changePassword() {
    act([this] {
        // The operator's own password when an operator is logged in, else the level's.
        const auto op = m_login->CurrentOperator();
        const bool changed = op && !op->OperatorNameText().isEmpty()
                                 ? op->ChangePassword(false)
                                 : m_login->CurrentLevel()->ChangePassword(false);
        return changed ? PanelText::PasswordChanged : PanelText::PasswordNotChanged;
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
