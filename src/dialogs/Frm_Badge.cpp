#include "dialogs/Frm_Badge.h"

#include "base/KeyBurst.h"
#include "base/Mod_Globali.h"
#include "base/PanelLook.h"
#include "base/ReportedErrors.h"
#include "base/SessionGuard.h"
#include "dialogs/DialogControls.h"
#include "dialogs/Frm_Pin.h"
#include "dialogs/KeyboardCall.h"
#include "language/BadgeTexts.h"
#include "language/CurrentLanguageProvider.h"
#include "language/TextLookup.h"
#include "operations/BadgeCodes.h"
#include "operations/OperationErrors.h"
#include "operations/Policy.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zav::manage {

using language::BadgeText;
using language::BadgeTextOf;

Frm_Badge::Frm_Badge(const QString& operatorName, QWidget* parent)
    : FormDialog(parent), m_operator(operatorName) {
    buildControls();
}

void Frm_Badge::buildControls() {
    setObjectName(QStringLiteral("Frm_Badge"));
    setWindowTitle(BadgeTextOf(BadgeText::BadgeTitle));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    // A panel without title bars still says whose badge it is.
    m_heading = MakeHeading(this, BadgeTextOf(BadgeText::BadgeOf).arg(m_operator));

    auto* methodCaption = new QLabel(BadgeTextOf(BadgeText::Method), this);
    methodCaption->setObjectName(QStringLiteral("Lbl_Method"));
    auto* methods = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    const std::pair<const char*, BadgeText> faces[] = {{"Opt_Password", BadgeText::MethodPassword},
                                                       {"Opt_Badge", BadgeText::MethodBadge},
                                                       {"Opt_BadgeAndPin", BadgeText::MethodBadgeAndPin}};
    for (int i = 0; i < 3; ++i) {
        m_methods[i] = new QRadioButton(BadgeTextOf(faces[i].second), this);
        m_methods[i]->setObjectName(QLatin1String(faces[i].first));
        group->addButton(m_methods[i], i);
        methods->addWidget(m_methods[i]);
    }
    methods->addStretch();

    m_prompt = new QLabel(BadgeTextOf(BadgeText::HoldBadge), this);
    m_prompt->setObjectName(QStringLiteral("Lbl_Prompt"));
    m_prompt->setWordWrap(true);
    m_reading = new QLineEdit(this);
    m_reading->setObjectName(QStringLiteral("Text_Badge"));
    m_reading->setEchoMode(QLineEdit::Password);   // a badge's number is as secret as a password
    m_reading->setMaxLength(LongestBadgeCode * 2); // room for a reader's prefix and suffix
    m_reading->setPlaceholderText(BadgeTextOf(BadgeText::BadgeNumber));
    OfferKeyboardOnClick(m_reading);

    const OkUndoRow okUndo = MakeOkUndoRow(
        this, [this] { Cmd_Ok_Click(); }, [this] { Cmd_Undo_Click(); });
    m_cmdOk = okUndo.ok;
    m_cmdUndo = okUndo.undo;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(methodCaption);
    layout->addLayout(methods);
    layout->addWidget(m_prompt);
    layout->addWidget(m_reading);
    layout->addLayout(okUndo.row);

    connect(group, &QButtonGroup::idToggled, this, [this](int, bool) {
        const bool badge = chosenMethod() != LoginMethod::Password;
        m_prompt->setEnabled(badge);
        m_reading->setEnabled(badge);
    });
    // Enter after the number takes the reading, as the reader's own Enter does.
    connect(m_reading, &QLineEdit::returnPressed, this,
            [this] { RunReportingErrors([this] { Cmd_Ok_Click(); }); });
}

void Frm_Badge::Form_Load() {
    language::languageProvider().TranslateForm(this, QString());
    NameForAccessibility(this);
    ApplyPanelLook(this);
    // An operator without a badge is here to get one.
    LoginMethod method = LoginMethod::Badge;
    try {
        const QString dbPath = RequireComponent()->DbPath();
        const Policy policy = ReadPolicy(dbPath);
        m_shortestPin = std::max(policy.pinMinLength, 1);
        // Wherever the focus is, a reader's burst is the reading.
        connect(new KeyBurst(this, policy.badgeMaxKeyGapMs), &KeyBurst::burst, this,
                [this](const QString& reading) {
                    m_reading->setText(reading);
                    if (chosenMethod() == LoginMethod::Password) {
                        choose(LoginMethod::Badge);
                    }
                    RunReportingErrors([this] { Cmd_Ok_Click(); });
                });
        const auto methods = ReadLoginMethods(dbPath);
        if (const auto found = methods.find(m_operator); found != methods.end()) {
            method = found->second;
        }
    } catch (const std::exception& error) {
        ShowError(error, LoginTitle);
    }
    choose(method);
    adjustSize();
    CentreOnScreen(this);
    m_reading->setFocus();
}

LoginMethod Frm_Badge::chosenMethod() const {
    for (int i = 0; i < 3; ++i) {
        if (m_methods[i]->isChecked()) {
            return static_cast<LoginMethod>(i);
        }
    }
    return LoginMethod::Password;
}

void Frm_Badge::choose(LoginMethod method) {
    m_methods[static_cast<int>(method)]->setChecked(true);
}

void Frm_Badge::Cmd_Ok_Click() {
    const LoginMethod method = chosenMethod();
    if (method == LoginMethod::Password) {
        RemoveBadge(DbPathForWriting(), m_operator);
        accept();
        return;
    }
    if (m_reading->text().isEmpty()) {
        m_reading->setFocus();
        return;
    }
    QString pin;
    if (method == LoginMethod::BadgeAndPin) {
        const std::optional<QString> asked = Frm_Pin::Ask(m_operator);
        if (!asked) {
            return;
        }
        pin = *asked;
    }
    try {
        SetBadge(DbPathForWriting(), m_operator, m_reading->text(), method, pin);
    } catch (const std::exception& error) {
        tellRefusal(error, pin);
        return;
    }
    accept();
}

void Frm_Badge::tellRefusal(const std::exception& error, const QString& pin) {
    const auto* refusal = dynamic_cast<const AutomationError*>(&error);
    const int number = refusal ? refusal->Number() : 0;
    const QString warning = language::LookupText(17, QStringLiteral("Warning"));
    if (number == ErrDuplicateKey) {
        MsgBox(BadgeTextOf(BadgeText::BadgeTaken), vbExclamation, warning);
        m_reading->clear();
        m_reading->setFocus();
    } else if (number == ErrInvalidArgument && chosenMethod() == LoginMethod::BadgeAndPin &&
               pin.size() < m_shortestPin) {
        MsgBox(BadgeTextOf(BadgeText::PinTooShort).arg(m_shortestPin), vbExclamation, warning);
    } else {
        ShowError(error, LoginTitle);
    }
    activateWindow(); // after the PIN pad and the message, ready for the next badge
}

void Frm_Badge::Cmd_Undo_Click() {
    reject();
}

} // namespace zav::manage
