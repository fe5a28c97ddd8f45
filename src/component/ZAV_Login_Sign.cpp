#include <ZAV_PrjLogin/ZAV_Login.h>

#include "base/MessageBox.h"
#include "base/ReportedErrors.h"
#include "component/CredentialCheck.h"
#include "component/HostSignals.h"
#include "dialogs/Frm_Sign.h"
#include "language/SignatureTexts.h"
#include "language/TextLookup.h"
#include "operations/Signatures.h"

#include <ZAV_PrjLogin/AutomationError.h>

namespace {

using zav::language::SignatureText;
using zav::language::SignatureTextOf;
using zav::manage::SignatureOutcome;

void warn(const QString& text) {
    zav::MsgBox(text, zav::vbExclamation, zav::language::LookupText(17, QStringLiteral("Warning")));
}

// What the operator reads when the signature row was refused after the dialogs.
QString refusalText(const zav::manage::SignatureRecord& record) {
    switch (record.outcome) {
    case SignatureOutcome::NoAudit:
        return SignatureTextOf(SignatureText::NeedsAudit);
    case SignatureOutcome::ReasonMissing:
        return SignatureTextOf(SignatureText::ReasonRequired);
    case SignatureOutcome::SameOperator:
        return SignatureTextOf(SignatureText::SameOperator);
    case SignatureOutcome::LacksRight:
        return SignatureTextOf(SignatureText::LacksRight).arg(record.name);
    case SignatureOutcome::LockedOut:
        return zav::LockedOutMessage({});
    default:
        return SignatureTextOf(SignatureText::NoSuchOperator).arg(record.name);
    }
}

} // namespace

bool ZAV_Login::Sign(const QString& Meaning, const QString& Action) {
    return sign(Meaning, Action, 0);
}

bool ZAV_Login::Verify(const QString& Meaning, const QString& Action, short RightNumber) {
    if (!zav::manage::IsRightNumber(RightNumber)) {
        throw AutomationError(zav::ErrSubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    }
    return sign(Meaning, Action, RightNumber);
}

bool ZAV_Login::sign(const QString& meaning, const QString& action, int right) {
    using zav::Frm_Sign;
    zav::RequireGuiApplication();
    // A login by level names nobody, and nobody logged in is the logout level's nameless operator.
    const QString signer = m_currentOperator ? m_currentOperator->OperatorNameText() : QString();
    if (signer.isEmpty() || !someoneLoggedIn()) {
        warn(SignatureTextOf(SignatureText::NotByOperator));
        return false;
    }
    if (IsOffline()) {
        warn(SignatureTextOf(SignatureText::Offline));
        return false;
    }
    zav::manage::Policy policy;
    if (!zav::RunReportingErrors([&] { policy = zav::manage::ReadPolicy(m_dbPath); }, zav::LoginTitle)) {
        return false;
    }
    if (!policy.audit) {
        warn(SignatureTextOf(SignatureText::NeedsAudit));
        return false;
    }
    const quint64 session = m_sessionSerial;
    const bool askName = m_signedSession != session;
    bool ended = false; // a lock ended the signature: the dialog closes without it
    // True when the password is accepted; a wrong one is told and asked again.
    const auto passwordAccepted = [&](const zav::manage::SignatureParty& party, int wanted) {
        zav::manage::SignatureCheck check;
        if (!zav::RunReportingErrors([&] { check = CheckSignaturePassword(m_dbPath, party, wanted); },
                                     zav::LoginTitle)) {
            return false;
        }
        switch (check.outcome) {
        case SignatureOutcome::Signed:
            return true;
        case SignatureOutcome::LacksRight:
            warn(SignatureTextOf(SignatureText::LacksRight).arg(check.storedName));
            return false;
        case SignatureOutcome::NoPassword:
            warn(SignatureTextOf(SignatureText::NoPassword));
            return false;
        case SignatureOutcome::LockedOut:
            warn(zav::LockedOutMessage(check.lockedUntil));
            if (check.lockedNow) {
                const QString message = zav::LockedOutMessage(check.lockedUntil) + QStringLiteral(" (") +
                                        check.storedName + QLatin1Char(')');
                zav::TellHost("securityAlert", [&] { Q_EMIT securityAlert(message); });
            }
            ended = true;
            return true;
        default:
            warn(zav::language::LookupText(19, QStringLiteral("Wrong password")));
            return false;
        }
    };

    Frm_Sign::Setup setup{
        Frm_Sign::Role::Signer,        meaning, action, signer, askName, policy.signatureReasons,
        policy.signatureReasonRequired};
    QString reason;
    Frm_Sign first(setup, [&](const Frm_Sign::Entry& entry) {
        if (policy.signatureReasonRequired && entry.reason.trimmed().isEmpty()) {
            warn(SignatureTextOf(SignatureText::ReasonRequired));
            return false;
        }
        if (entry.name.trimmed().compare(signer, Qt::CaseInsensitive) != 0) {
            warn(SignatureTextOf(SignatureText::NameMismatch));
            return false;
        }
        reason = entry.reason;
        return passwordAccepted({signer, entry.password}, 0);
    });
    first.Form_Load();
    if (first.exec() != QDialog::Accepted || ended) {
        return false;
    }
    std::optional<QString> verifier;
    if (right != 0) {
        setup.role = Frm_Sign::Role::SecondPerson;
        Frm_Sign second(setup, [&](const Frm_Sign::Entry& entry) {
            const QString name = entry.name.trimmed();
            if (name.compare(signer, Qt::CaseInsensitive) == 0) {
                warn(SignatureTextOf(SignatureText::SameOperator));
                return false;
            }
            verifier = name;
            return passwordAccepted({name, entry.password}, right);
        });
        second.Form_Load();
        if (second.exec() != QDialog::Accepted || ended) {
            return false;
        }
    }
    // A logout while the dialogs were open closed them; one between them ends the signature too.
    if (m_sessionSerial != session) {
        return false;
    }
    zav::manage::SignatureRecord record;
    if (!zav::RunReportingErrors(
            [&] {
                record = zav::manage::RecordSignature(m_dbPath,
                                                      {meaning, action, reason, signer, verifier, right});
            },
            zav::LoginTitle)) {
        return false;
    }
    if (record.outcome != SignatureOutcome::Signed) {
        warn(refusalText(record));
        return false;
    }
    m_signedSession = session;
    return true;
}
