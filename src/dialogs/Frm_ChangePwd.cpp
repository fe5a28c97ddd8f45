#include "dialogs/Frm_ChangePwd.h"

#include "base/SessionGuard.h"

#include "base/ReportedErrors.h"

#include "base/EnterMovesFocus.h"
#include "base/Mod_Globali.h"
#include "base/PanelLook.h"
#include "base/Twips.h"
#include "dialogs/DialogControls.h"
#include "dialogs/KeyboardCall.h"
#include "language/CurrentLanguageProvider.h"
#include "language/TextLookup.h"
#include "operations/PasswordHashing.h"
#include "operations/PasswordOperations.h"
#include "operations/PasswordRules.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <functional>

namespace zav {

Frm_ChangePwd::Frm_ChangePwd(Class_Par& par, std::shared_ptr<Class_Level> level,
                             std::shared_ptr<Class_Operator> op, QWidget* parent)
    : PanelDialog(parent), m_par(par), m_level(std::move(level)), m_operator(std::move(op)) {
    buildControls();
}

void Frm_ChangePwd::buildControls() {
    setWindowTitle(QStringLiteral("Change Password"));
    setProperty("Tag", QStringLiteral("|4"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    const struct {
        const char* caption;
        const char* tag;
        const char* box;
    } rows[] = {{"Current password", "|5", "Text_OldPWD"},
                {"New password", "|6", "Text_Pwd"},
                {"Confirm new password", "|7", "Text_Confirm"}};
    QLineEdit** boxes[] = {&m_oldPwd, &m_pwd, &m_confirm};
    double top = 120;
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromLatin1(rows[i].caption), this);
        label->setObjectName(QStringLiteral("Label1(%1)").arg(i));
        label->setProperty("Tag", QString::fromLatin1(rows[i].tag));
        PlaceInTwips(label, 120, top, 4560, 285);
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(rows[i].box));
        box->setEchoMode(QLineEdit::Password);
        label->setBuddy(box);
        PlaceInTwips(box, 120, top + 300, 4560, 390);
        MoveFocusOnEnter(box);
        OfferKeyboardOnClick(box);
        *boxes[i] = box;
        top += 780;
    }

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    PlaceInTwips(image, 120, top + 60, 480, 480);
    const int iconPixels = TwipsToPixelsX(480, this);
    image->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(iconPixels, iconPixels));

    const manage::OkUndoButtons okUndo = manage::MakeOkUndoButtons(this);
    m_cmdOk = okUndo.ok;
    m_cmdUndo = okUndo.undo;
    PlaceInTwips(m_cmdOk, 1500, top + 60, 1560, 675);
    PlaceInTwips(m_cmdUndo, 3120, top + 60, 1560, 675);
    setFixedSize(TwipsToPixelsX(4800, this), TwipsToPixelsY(top + 60 + 675 + 120, this));

    setTabOrder(m_oldPwd, m_pwd);
    setTabOrder(m_pwd, m_confirm);
    setTabOrder(m_confirm, m_cmdOk);
    setTabOrder(m_cmdOk, m_cmdUndo);

    // The checks' texts are looked up outside the save's handler: what fails there is shown under the
    // component's name.
    connect(m_cmdOk, &QPushButton::clicked, this, [this] { RunReportingErrors([this] { Cmd_Ok_Click(); }); });
    connect(m_cmdUndo, &QPushButton::clicked, this,
            [this] { RunReportingErrors([this] { Cmd_Undo_Click(); }); });
}

void Frm_ChangePwd::Run(Class_Par& par, const std::shared_ptr<Class_Level>& level,
                        const std::shared_ptr<Class_Operator>& op) {
    Frm_ChangePwd dialog(par, level, op);
    dialog.Form_Load();
    dialog.exec();
}

QString Frm_ChangePwd::currentPassword() const {
    return m_par.LoginMode == LoginModeLevel ? m_level->Password() : m_operator->Password();
}

void Frm_ChangePwd::setCurrentPassword(const QString& password) {
    if (m_par.LoginMode == LoginModeLevel) {
        m_level->setPassword(password);
    } else {
        m_operator->setPassword(password);
    }
}

void Frm_ChangePwd::arrangeForTouch() {
    // The touch-sized boxes and buttons are taller than designed: the rows are stacked anew, each
    // label right above its box.
    const int gap = TouchTargetPixels(this) / 4;
    int y = gap;
    for (int i = 0; i < 3; ++i) {
        auto* label = findChild<QLabel*>(QStringLiteral("Label1(%1)").arg(i));
        QLineEdit* box = i == 0 ? m_oldPwd : i == 1 ? m_pwd : m_confirm;
        label->setGeometry(label->x(), y, label->width(), label->sizeHint().height());
        y += label->height();
        box->move(box->x(), y);
        y += box->height() + gap;
    }
    auto* image = findChild<QLabel*>(QStringLiteral("Image1"));
    for (QWidget* bottom :
         {static_cast<QWidget*>(image), static_cast<QWidget*>(m_cmdOk), static_cast<QWidget*>(m_cmdUndo)}) {
        bottom->move(bottom->x(), y);
    }
    setFixedSize(width(), y + std::max(m_cmdOk->height(), image->height()) + gap);
}

void Frm_ChangePwd::Form_Load() {
    language::languageProvider().TranslateForm(this, QString());
    NameForAccessibility(this);
    if (TouchMode()) {
        ApplyPanelLook(this);
        FitCaptions(this);
        arrangeForTouch();
    }
    m_par.Result = false;
    m_par.Text.clear();
    if (m_par.LockOldPWD) {
        m_oldPwd->setText(currentPassword());
        m_oldPwd->setEnabled(false);
        m_oldPwd->setReadOnly(true);
    } else {
        m_oldPwd->setEnabled(true);
    }
    const QString name =
        m_par.LoginMode == LoginModeLevel ? m_level->LevelName() : m_operator->OperatorNameText();
    setWindowTitle(windowTitle() + QStringLiteral(" - ") + name);
}

void Frm_ChangePwd::Cmd_Ok_Click() {
    const QString current = currentPassword();
    const QString warning = language::LookupText(17, QStringLiteral("Warning"));
    // A locked current password is the one the object holds (a hash, under hashed storage): nothing to
    // check.
    if (!m_par.LockOldPWD) {
        const auto storage = passwordStorage();
        if (!storage) {
            accept(); // the failure has been shown, as a failed save is
            return;
        }
        if (!manage::PasswordMatches(m_oldPwd->text(), current, *storage)) {
            MsgBox(language::LookupText(19, QStringLiteral("Wrong password")), vbExclamation, warning);
            return;
        }
    }
    if (m_pwd->text() != m_confirm->text()) {
        MsgBox(language::LookupText(18, QStringLiteral("Wrong Confirm")), vbExclamation, warning);
        m_confirm->clear();
        m_pwd->setFocus();
        return;
    }
    const QString newPassword = m_pwd->text();
    if (newPassword.isEmpty() && !current.isEmpty() && !m_par.LockOldPWD) {
        m_confirm->clear();
        m_pwd->setFocus();
        return;
    }
    // A password the policy refuses is not stored, and the dialog stays open for another.
    const auto verdict = policyVerdict(newPassword);
    if (verdict && !verdict->faults.empty()) {
        MsgBox(refusalText(*verdict), vbExclamation, warning);
        m_pwd->clear();
        m_confirm->clear();
        m_pwd->setFocus();
        return;
    }
    // A policy that could not be read has been reported like a failed save. The object takes what the
    // file now holds (the hash, under hashed storage), never the typed text; after a failure it keeps
    // the password the file has.
    const std::optional<QString> stored = !verdict             ? std::nullopt
                                          : m_par.StoreNothing ? std::optional<QString>(newPassword)
                                          : m_par.LoginMode == LoginModeLevel ? saveLevel(newPassword)
                                                                              : saveOperator(newPassword);
    if (stored) {
        setCurrentPassword(*stored);
        m_par.Result = true;
        m_par.Text = *stored;
    }
    accept();
}

void Frm_ChangePwd::Cmd_Undo_Click() {
    reject();
}

namespace {
// Runs a save; a failure is shown titled "Login" and counts as not saved.
std::optional<QString>
reportingFailure(const std::function<std::optional<QString>(const QString& dbPath)>& save) {
    std::optional<QString> stored;
    RunReportingErrors([&] { stored = save(DbPathForWriting()); }, LoginTitle);
    return stored;
}
} // namespace

std::optional<manage::PasswordStorage> Frm_ChangePwd::passwordStorage() const {
    std::optional<manage::PasswordStorage> storage;
    RunReportingErrors([&] { storage = manage::ReadPolicy(RequireComponent()->DbPath()).passwordStorage; },
                       LoginTitle);
    return storage;
}

std::optional<manage::PasswordVerdict> Frm_ChangePwd::policyVerdict(const QString& password) const {
    std::optional<manage::PasswordVerdict> verdict;
    RunReportingErrors(
        [&] {
            const QString dbPath = RequireComponent()->DbPath();
            verdict =
                m_par.LoginMode == LoginModeLevel
                    ? manage::CheckNewLevelPassword(dbPath, m_level->ID(),
                                                    {m_level->DBLevelName(), m_level->LevelName()}, password)
                    : manage::CheckNewOperatorPassword(dbPath, m_operator->OperatorNameText(), password);
        },
        LoginTitle);
    return verdict;
}

QString Frm_ChangePwd::refusalText(const manage::PasswordVerdict& verdict) {
    using manage::PasswordFault;
    QStringList lines{
        language::LookupText(260, QStringLiteral("The new password does not meet the password rules:"))};
    for (const PasswordFault fault : verdict.faults) {
        switch (fault) {
        case PasswordFault::TooShort:
            lines << language::LookupText(261, QStringLiteral("It needs at least %1 characters."))
                         .arg(verdict.policy.passwordMinLength);
            break;
        case PasswordFault::NoDigit:
            lines << language::LookupText(262, QStringLiteral("It needs a digit."));
            break;
        case PasswordFault::NoLetter:
            lines << language::LookupText(263, QStringLiteral("It needs a letter."));
            break;
        case PasswordFault::SameAsName:
            lines << language::LookupText(264, QStringLiteral("It must not be the name."));
            break;
        case PasswordFault::SameAsFixedKey:
            lines << language::LookupText(265, QStringLiteral("It must not be the database's fixed key."));
            break;
        case PasswordFault::Reused:
            lines << language::LookupText(343, QStringLiteral("It must not be one of the last %1 passwords."))
                         .arg(verdict.policy.passwordHistory);
            break;
        }
    }
    return lines.join(QLatin1Char('\n'));
}

std::optional<QString> Frm_ChangePwd::saveLevel(const QString& password) {
    const int id = m_level->ID();
    const QString storedName = m_level->DBLevelName();
    // A password the owner typed the current one for is the owner's own; a locked one someone else's.
    return reportingFailure([&](const QString& dbPath) {
        return manage::StoreLevelPassword(dbPath, id, storedName, password, !m_par.LockOldPWD);
    });
}

std::optional<QString> Frm_ChangePwd::saveOperator(const QString& password) {
    const QString name = m_operator->OperatorNameText();
    return reportingFailure([&](const QString& dbPath) {
        return manage::StoreOperatorPassword(dbPath, name, password, !m_par.LockOldPWD);
    });
}

} // namespace zav
