#include "dialogs/AutoLogoutWarning.h"

#include "base/PanelLook.h"
#include "base/ReportedErrors.h"
#include "language/TextLookup.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace zav::dialogs {

namespace {
bool isOperatorInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
        return true;
    default:
        return false;
    }
}
} // namespace

AutoLogoutWarning::AutoLogoutWarning(int seconds, int stepMs, QWidget* parent)
    : PanelDialog(parent), m_text(new QLabel(this)), m_countdown(new QTimer(this)), m_secondsLeft(seconds) {
    setObjectName(QStringLiteral("Frm_AutoLogout"));
    setWindowTitle(language::LookupText(272, QStringLiteral("Automatic logout")));
    m_text->setObjectName(QStringLiteral("Lbl_Countdown"));
    auto* stay = new QPushButton(language::LookupText(271, QStringLiteral("Stay logged in")), this);
    stay->setObjectName(QStringLiteral("Cmd_Stay"));
    stay->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(stay);
    connect(stay, &QPushButton::clicked, this, &QDialog::reject);
    // Input anywhere on the dialog means the operator is there; the button is a child like the text.
    installEventFilter(this);
    m_text->installEventFilter(this);
    stay->installEventFilter(this);
    m_countdown->setInterval(stepMs);
    m_countdown->setTimerType(Qt::PreciseTimer); // the seconds shown are the seconds left
    connect(m_countdown, &QTimer::timeout, this, [this] { RunReportingErrors([this] { step(); }); });
    showSecondsLeft();
    ApplyPanelLook(this);
    NameForAccessibility(this);
    m_countdown->start();
}

bool AutoLogoutWarning::eventFilter(QObject* watched, QEvent* event) {
    if (isOperatorInput(event->type()) && isVisible()) {
        reject();
        return true;
    }
    return PanelDialog::eventFilter(watched, event);
}

void AutoLogoutWarning::step() {
    if (--m_secondsLeft > 0) {
        showSecondsLeft();
        return;
    }
    m_countdown->stop();
    m_ranOut = true;
    accept();
}

void AutoLogoutWarning::showSecondsLeft() {
    m_text->setText(
        language::LookupText(270, QStringLiteral("You will be logged out in %1 s.")).arg(m_secondsLeft));
}

} // namespace zav::dialogs
