#include "component/AutoLogout.h"

#include "base/ReportedErrors.h"
#include "dialogs/AutoLogoutWarning.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QCoreApplication>
#include <QEvent>
#include <atomic>

namespace zav {

namespace {
std::atomic<int> testMinuteMs = 0;
std::atomic<int> testSecondMs = 0;

int countdownSecondMs() {
    return testSecondMs > 0 ? testSecondMs.load() : 1000;
}

bool isOperatorInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}
} // namespace

void SetAutoLogoutTimingForTests(int minuteMs, int secondMs) {
    testMinuteMs = minuteMs;
    testSecondMs = secondMs;
}

int AutoLogoutWarningSeconds(int idleMinutes, int warningSeconds) {
    const int idleSeconds = idleMinutes * 60;
    return warningSeconds < idleSeconds ? warningSeconds : idleSeconds / 2;
}

bool AutoLogoutArmed(const ZAV_Login& component) {
    const auto* watch = component.findChild<AutoLogoutWatch*>(QString(), Qt::FindDirectChildrenOnly);
    return watch && watch->Armed();
}

AutoLogoutWatch::AutoLogoutWatch(Callbacks callbacks, QObject* parent)
    : QObject(parent), m_callbacks(std::move(callbacks)) {
    m_idle.setSingleShot(true);
    // A coarse timer may fire 5 % early: half a minute before the tenth minute the policy names.
    m_idle.setTimerType(Qt::PreciseTimer);
    connect(&m_idle, &QTimer::timeout, this, [this] { RunReportingErrors([this] { idleTimeReached(); }); });
}

AutoLogoutWatch::~AutoLogoutWatch() {
    watchInput(false);
}

void AutoLogoutWatch::Arm(int idleMinutes, int warningSeconds) {
    Disarm();
    // The logout comes at the minute the policy names; the warning takes the last seconds of it.
    m_warningSeconds = AutoLogoutWarningSeconds(idleMinutes, warningSeconds);
    const qint64 minuteMs = testMinuteMs > 0 ? testMinuteMs.load() : 60 * 1000;
    m_idle.setInterval(
        std::chrono::milliseconds(idleMinutes * minuteMs - qint64(m_warningSeconds) * countdownSecondMs()));
    m_armed = true;
    watchInput(true);
    m_idle.start();
}

void AutoLogoutWatch::Disarm() {
    m_armed = false;
    m_idle.stop();
    watchInput(false);
    if (dialogs::AutoLogoutWarning* open = m_warning.data()) {
        open->reject();
    }
}

void AutoLogoutWatch::watchInput(bool on) {
    if (on == m_filtering || !QCoreApplication::instance()) {
        return;
    }
    if (on) {
        QCoreApplication::instance()->installEventFilter(this);
    } else {
        QCoreApplication::instance()->removeEventFilter(this);
    }
    m_filtering = on;
}

bool AutoLogoutWatch::eventFilter(QObject* watched, QEvent* event) {
    if (m_armed && m_idle.isActive() && isOperatorInput(event->type())) {
        m_idle.start();
    }
    return QObject::eventFilter(watched, event);
}

void AutoLogoutWatch::idleTimeReached() {
    if (!m_armed) {
        return;
    }
    // The warning watches its own input; the idle timer waits until the operator stayed.
    watchInput(false);
    // The host's slots run in here and may release the component, and this watch with it.
    const QPointer<AutoLogoutWatch> self(this);
    bool ranOut = true;
    if (m_warningSeconds > 0) {
        dialogs::AutoLogoutWarning warning(m_warningSeconds, countdownSecondMs());
        m_warning = &warning;
        if (m_callbacks.warningShown) {
            m_callbacks.warningShown(m_warningSeconds);
        }
        if (self && m_armed) {
            warning.exec();
        }
        ranOut = warning.RanOut();
        if (self) {
            m_warning = nullptr;
        }
    }
    if (!self || !m_armed) {
        return; // a logout, a login or the termination came first
    }
    if (!ranOut) {
        watchInput(true);
        m_idle.start();
        return;
    }
    Disarm();
    if (m_callbacks.ranOut) {
        m_callbacks.ranOut();
    }
}

} // namespace zav
