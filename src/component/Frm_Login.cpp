#include "component/Frm_Login.h"

#include "base/EnterMovesFocus.h"
#include "base/KeyBurst.h"
#include "base/Mod_Globali.h"
#include "base/PanelLook.h"
#include "base/ReportedErrors.h"
#include "base/Twips.h"
#include "component/BadgeLogin.h"
#include "component/CredentialCheck.h"
#include "component/ModuleComponent.h"
#include "component/OfflineMode.h"
#include "dialogs/DialogControls.h"
#include "dialogs/KeyboardCall.h"
#include "language/CurrentLanguageProvider.h"
#include "language/TextLookup.h"
#include "operations/LoginReads.h"
#include "operations/Policy.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>

namespace zav {

namespace {
// Designed geometry in twips: Left, Top, Width, Height.
constexpr double FormWidth = 4800, FormHeight = 1935;
constexpr double ImageSize = 480;

int bottomTwips(const QWidget* w) {
    return static_cast<int>(PixelsToTwipsY(w->y() + w->height(), w));
}
void setTopTwips(QWidget* w, double top) {
    w->move(w->x(), TwipsToPixelsY(top, w));
}
} // namespace

Frm_Login::Frm_Login(Class_Par& par, QWidget* parent) : PanelDialog(parent), m_par(par) {
    buildControls();
}

void Frm_Login::buildControls() {
    setWindowTitle(QStringLiteral("Login"));
    setProperty("Tag", QStringLiteral("|9"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    m_shape1 = new QFrame(this);
    m_shape1->setObjectName(QStringLiteral("Shape1"));
    m_shape1->setFrameShape(QFrame::Box);

    m_cboLogin = new QComboBox(this);
    m_cboLogin->setObjectName(QStringLiteral("Cbo_Login"));
    // The box has a designed width; measuring thousands of names for a size hint would only cost time.
    m_cboLogin->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cboLogin->setMinimumContentsLength(8);

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setEchoMode(QLineEdit::Password);

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));

    const manage::OkUndoButtons okUndo = manage::MakeOkUndoButtons(this);
    m_cmdOk = okUndo.ok;
    m_cmdUndo = okUndo.undo;

    PlaceInTwips(m_shape1, 60, 60, 4680, 1000);
    PlaceInTwips(m_cboLogin, 120, 120, 4560, 390);
    PlaceInTwips(m_text1, 120, 600, 4560, 390);
    PlaceInTwips(m_image1, 120, 1140, ImageSize, ImageSize);
    PlaceInTwips(m_cmdOk, 1500, 1140, 1560, 675);
    PlaceInTwips(m_cmdUndo, 3120, 1140, 1560, 675);
    setFixedSize(TwipsToPixelsX(FormWidth, this), TwipsToPixelsY(FormHeight, this));

    const int iconPixels = TwipsToPixelsX(ImageSize, this);
    m_image1->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(iconPixels, iconPixels));

    setTabOrder(m_cboLogin, m_text1);
    setTabOrder(m_text1, m_cmdOk);
    setTabOrder(m_cmdOk, m_cmdUndo);

    MoveFocusOnEnter(m_cboLogin);
    MoveFocusOnEnter(m_text1);
    OfferKeyboardOnClick(m_text1);

    connect(m_cmdOk, &QPushButton::clicked, this, [this] { RunReportingErrors([this] { Cmd_Ok_Click(); }); });
    connect(m_cmdUndo, &QPushButton::clicked, this,
            [this] { RunReportingErrors([this] { Cmd_Undo_Click(); }); });
}

void Frm_Login::Run(Class_Par& par) {
    Frm_Login dialog(par);
    dialog.Form_Load();
    dialog.exec();
}

void Frm_Login::Form_Load() {
    language::languageProvider().TranslateForm(this, QString());
    m_cboLogin->setPlaceholderText(m_par.LoginMode == LoginModeLevel
                                       ? language::LookupText(250, QStringLiteral("Level"))
                                       : language::LookupText(11, QStringLiteral("Name")));
    m_text1->setPlaceholderText(language::LookupText(15, QStringLiteral("Password")));
    NameForAccessibility(this);
    if (Mod_Globali().touchScreen) {
        enlargeForTouchScreen();
        ApplyPanelLook(this);
        FitCaptions(this);
    }
    m_par.Result = false;
    m_par.Text.clear();
    fillList();
    watchForBadges();
}

void Frm_Login::enlargeForTouchScreen() {
    for (QWidget* w : {static_cast<QWidget*>(m_cboLogin), static_cast<QWidget*>(m_text1)}) {
        QFont f = w->font();
        f.setPointSize(18);
        w->setFont(f);
    }
    m_cboLogin->resize(m_cboLogin->width(), std::max(m_cboLogin->height(), m_cboLogin->sizeHint().height()));
    m_text1->resize(m_text1->width(), m_cboLogin->height());
    setTopTwips(m_text1, bottomTwips(m_cboLogin) + 60);
    setTopTwips(m_image1, bottomTwips(m_text1) + 120);
    setTopTwips(m_cmdOk, bottomTwips(m_image1) + 180);
    const int moved = m_cmdOk->y() - m_cmdUndo->y();
    setFixedSize(width(), height() + moved);
    m_cmdUndo->move(m_cmdUndo->x(), m_cmdOk->y());
    m_shape1->hide();
}

void Frm_Login::fillList() {
    m_cboLogin->clear();
    // Entries are collected first and handed to the box in one go: adding them one by one makes the
    // box update itself for every operator.
    auto* entries = new QStandardItemModel(m_cboLogin);
    const auto addEntry = [entries](const QString& text, int itemValue) {
        auto* item = new QStandardItem(text);
        item->setData(itemValue, Qt::UserRole);
        entries->appendRow(item);
    };
    int count = 0;
    try {
        // Offline, the panel's copy offers what the server held when it was refreshed last.
        count =
            OfflineOf(*RequireModuleComponent()).Use(OfflineMode::Purpose::Read, [&](const QString& dbPath) {
                entries->clear();
                if (m_par.LoginMode == LoginModeLevel) {
                    return manage::ForEachLoginLevel(dbPath, [&](int id, const QString& storedName) {
                        addEntry(language::TranslateText(storedName), id);
                    });
                }
                return manage::ForEachLoginOperator(dbPath, addEntry);
            });
    } catch (const std::exception& error) {
        // A list that cannot be read leaves nothing to choose: the user can only cancel.
        entries->clear();
        count = 0;
        ShowError(error, LoginTitle);
    }
    m_cboLogin->setModel(entries);
    m_cboLogin->setEnabled(count >= 1);
    m_cmdOk->setEnabled(count >= 1);
    m_cboLogin->setCurrentIndex(-1);
}

void Frm_Login::watchForBadges() {
    manage::Policy policy;
    try {
        policy =
            OfflineOf(*RequireModuleComponent()).Use(OfflineMode::Purpose::Read, [](const QString& dbPath) {
                return manage::ReadPolicy(dbPath);
            });
    } catch (const std::exception& error) {
        // The list's read has told the operator already; passwords still work.
        qWarning("Could not read the policy for badges: %s", error.what());
        return;
    }
    if (policy.badgeLogin) {
        auto* burst = new KeyBurst(this, policy.badgeMaxKeyGapMs);
        connect(burst, &KeyBurst::burst, this, &Frm_Login::loginByBadge);
    }
}

void Frm_Login::loginByBadge(const QString& reading) {
    bool accepted = false;
    RunReportingErrors([&] { accepted = LoginWithBadge(reading); }, LoginTitle);
    if (!accepted) {
        // The PIN pad or a message had the keyboard: without a window manager to give it back, the
        // dialog takes it again for the next badge.
        activateWindow();
        return;
    }
    m_par.Result = true;
    const auto login = ModuleComponent();
    m_par.Text = login && login->CurrentOperator() ? login->CurrentOperator()->OperatorNameText() : QString();
    accept();
}

void Frm_Login::Cmd_Ok_Click() {
    // With nothing chosen, only level 0's password can open: the check compares it alone. An empty list
    // offers nothing, and an empty box with nothing chosen is no try at all.
    const bool nameChosen = !m_cboLogin->currentText().isEmpty();
    if (!nameChosen && (m_cboLogin->count() < 1 || m_text1->text().isEmpty())) {
        m_cboLogin->setFocus();
        return;
    }
    if (checkCredentials(nameChosen)) {
        m_par.Result = true;
        m_par.Text = m_cboLogin->currentText();
        accept();
    } else {
        m_text1->setFocus();
    }
}

void Frm_Login::Cmd_Undo_Click() {
    reject();
}

bool Frm_Login::checkCredentials(bool nameChosen) {
    // The whole check, its "Wrong password" included, runs under one handler titled "Login".
    bool accepted = false;
    RunReportingErrors([&] { accepted = runCheck(nameChosen); }, LoginTitle);
    return accepted;
}

bool Frm_Login::runCheck(bool nameChosen) {
    const CredentialVerdict verdict =
        CheckCredentials({m_par.LoginMode, nameChosen, m_cboLogin->currentData().toInt(),
                          m_cboLogin->currentText(), m_text1->text()});
    const QString warning = language::LookupText(17, QStringLiteral("Warning"));
    switch (verdict.outcome) {
    case CredentialOutcome::Accepted:
        return true;
    case CredentialOutcome::LockedOut:
        MsgBox(LockedOutMessage(verdict.lockedUntil), vbExclamation, warning);
        break;
    case CredentialOutcome::TopPasswordWaits:
        MsgBox(TopPasswordWaitMessage(verdict.waitSeconds), vbExclamation, warning);
        break;
    case CredentialOutcome::ChangeRefused:
        reject(); // no login: the level in force stays
        break;
    case CredentialOutcome::WrongPassword:
        MsgBox(language::LookupText(19, QStringLiteral("Wrong password")), vbExclamation, warning);
        break;
    }
    return false;
}

} // namespace zav
