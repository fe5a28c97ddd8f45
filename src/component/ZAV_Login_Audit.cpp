// What the component writes to the audit trail itself: the logouts. The logins are recorded by the
// credential check, the changes by the operations that make them.

#include <ZAV_PrjLogin/ZAV_Login.h>

#include "component/OfflineMode.h"
#include "operations/AuditTrail.h"
#include "operations/Clock.h"

namespace {
// Logouts kept for a trail that cannot be reached are few; beyond this the oldest go (with a warning).
constexpr std::size_t MostPendingLogouts = 100;
} // namespace

void ZAV_Login::recordLogout(const QString& how) noexcept {
    try {
        const QString name = m_currentOperator ? m_currentOperator->OperatorNameText() : QString();
        const QString level = m_currentLevel ? m_currentLevel->DBLevelName() : QString();
        if (m_pendingLogouts.size() >= MostPendingLogouts) {
            qWarning("ZAV_Login: a logout of %s could not be recorded in the audit trail and is dropped",
                     qPrintable(m_pendingLogouts.front().operatorName));
            m_pendingLogouts.erase(m_pendingLogouts.begin());
        }
        m_pendingLogouts.push_back({m_dbPath, name, level, how});
    } catch (...) {
        return;
    }
    recordPendingLogouts();
}

void ZAV_Login::recordPendingLogouts() noexcept {
    while (!m_pendingLogouts.empty()) {
        PendingLogout& next = m_pendingLogouts.front();
        try {
            const auto record = [&next](const QString& path) {
                // The policy in the file decides, read again inside the write.
                const zav::manage::Policy policy = zav::manage::ReadPolicy(path);
                zav::manage::RecordAuditEvent(
                    path, policy, {QStringLiteral("logout"), next.how, {{next.operatorName, next.level}}});
            };
            // Offline, a logout of this database waits in its copy's queue for the server.
            if (next.dbPath == m_dbPath) {
                m_offline->Use(zav::OfflineMode::Purpose::Queue, record);
            } else {
                record(next.dbPath);
            }
        } catch (const std::exception& error) {
            if (!next.how.contains(QLatin1String("recorded late"))) {
                next.how += QStringLiteral(", at %1, recorded late")
                                .arg(zav::manage::AuditTimeText(zav::manage::NowUtc()));
            }
            qWarning("ZAV_Login: a logout (%s) could not be recorded in the audit trail yet: %s; it will be "
                     "once the database can be reached",
                     qPrintable(next.how), error.what());
            return;
        }
        m_pendingLogouts.erase(m_pendingLogouts.begin());
    }
}
