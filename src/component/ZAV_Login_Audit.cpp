// What the component writes to the audit trail itself: the logouts. The logins are recorded by the
// credential check, the changes by the operations that make them.

#include <ZAV_PrjLogin/ZAV_Login.h>

#include "operations/AuditTrail.h"

void ZAV_Login::recordLogout(const QString& how) noexcept {
    if (!m_audit) {
        return;
    }
    try {
        zav::manage::Policy policy;
        policy.audit = true;
        const zav::manage::AuditSubject who{m_currentOperator ? m_currentOperator->OperatorNameText()
                                                              : QString(),
                                            m_currentLevel ? m_currentLevel->DBLevelName() : QString()};
        zav::manage::RecordAuditEvent(m_dbPath, policy, {QStringLiteral("logout"), how, who});
    } catch (const std::exception& error) {
        qWarning("ZAV_Login: the logout (%s) could not be recorded in the audit trail: %s", qPrintable(how),
                 error.what());
    }
}
