// The automatic logout after the policy's idle minutes: armed by a successful login while a level other
// than the logout level is in force, disarmed by Logout, a new DbPath and the termination.

#include <ZAV_PrjLogin/ZAV_Login.h>

#include "component/AutoLogout.h"
#include "component/HostSignals.h"
#include "component/OfflineMode.h"
#include "operations/Policy.h"

#include <QThread>

void ZAV_Login::readAutoLogoutPolicy() {
    bool fromServer = false;
    const zav::manage::Policy policy =
        m_offline->Use(zav::OfflineMode::Purpose::Read, [&](const QString& path) {
            fromServer = path == m_dbPath;
            return zav::manage::ReadPolicy(path);
        });
    m_autoLogoutMinutes = policy.autoLogoutMinutes;
    m_autoLogoutWarningSeconds = policy.autoLogoutWarningSeconds;
    // Read from the server (on DbPath and after each login): the local copy is kept, refreshed or removed.
    if (fromServer) {
        m_offline->PolicyRead(policy);
    }
}

void ZAV_Login::armAutoLogout() {
    if (m_autoLogoutMinutes <= 0 || !someoneLoggedIn()) {
        disarmAutoLogout();
        return;
    }
    if (!m_autoLogout) {
        m_autoLogout = new zav::AutoLogoutWatch(
            {[this](int seconds) {
                 zav::TellHost("autoLogoutWarning", [&] { Q_EMIT autoLogoutWarning(seconds); });
             },
             [this] { logOutIdle(); }},
            this);
    }
    m_autoLogout->Arm(m_autoLogoutMinutes, m_autoLogoutWarningSeconds);
}

void ZAV_Login::armAutoLogoutAfterLogin() noexcept {
    // The login stands whatever happens here; a policy that cannot be read now keeps the one read last.
    try {
        readAutoLogoutPolicy();
    } catch (const std::exception& error) {
        qWarning("ZAV_Login: the policy could not be read after the login (%s); the last one read holds",
                 error.what());
    }
    try {
        armAutoLogout();
    } catch (const std::exception& error) {
        qWarning("ZAV_Login: the automatic logout could not be armed (%s)", error.what());
    }
}

void ZAV_Login::disarmAutoLogout() noexcept {
    if (!m_autoLogout) {
        return;
    }
    // A release on another thread leaves the timer and the filter to the thread that owns them.
    if (m_autoLogout->thread() == QThread::currentThread()) {
        m_autoLogout->Disarm();
    } else {
        QMetaObject::invokeMethod(m_autoLogout, &zav::AutoLogoutWatch::Disarm, Qt::QueuedConnection);
    }
}

void ZAV_Login::logOutIdle() {
    if (m_terminated || !someoneLoggedIn()) {
        return;
    }
    logOut(LogoutReason::AutoLogout, QStringLiteral("auto-logout"));
}
