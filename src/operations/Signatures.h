#pragma once

// Electronic signatures, without widgets. An operator signs an action with their own password (level 0's
// password signs nothing); under the two-person rule a second, different operator who holds a given
// right confirms it with theirs. A signature is one audit row "signature", so it needs the audit on.
// Wrong passwords count toward the lockout as a login's do and are recorded as "signature-failed".

#include "operations/Lockout.h"
#include "operations/Policy.h"

#include <ZAV_PrjLogin/Class_LevelEnable.h>

#include <QDateTime>
#include <QString>
#include <optional>

namespace zav::manage {

// The rights a second person may be asked to hold: the custom rights 1 to 100, then the fixed ones.
inline constexpr int RightManageLevels = 101;
inline constexpr int RightManageOperators = 102;
inline constexpr int RightShutDown = 103;
inline constexpr int RightDesktop = 104;
bool IsRightNumber(int number);
// False for a number that names no right.
bool HoldsRight(const Class_LevelEnable& rights, int number);

struct SignatureParty {
    QString name;     // the operator's name
    QString password; // as typed
};

enum class SignatureOutcome {
    Signed,        // the password was right (a check), or the row is written
    WrongPassword, // counted; the dialog asks again
    LockedOut,     // too many wrong passwords: the entry is locked
    NoSuchOperator,
    NoPassword,    // the operator has no password to sign with (nothing is counted)
    NoAudit,       // the policy does not audit: a signature needs the trail
    ReasonMissing, // the policy requires a reason
    SameOperator,  // the second person is the signer
    LacksRight     // the second person does not hold the right
};

struct SignatureCheck {
    SignatureOutcome outcome = SignatureOutcome::WrongPassword;
    QString storedName;     // the operator as stored
    QString level;          // and the stored name of its level
    QDateTime lockedUntil;  // LockedOut: UTC; invalid while it lasts until a manager unlocks
    bool lockedNow = false; // LockedOut: this attempt locked it
};

// One party's password, compared with what the operator stores: a wrong one is counted (while the
// policy locks out) and recorded. A locked entry is refused whatever was typed. With `right` (a second
// person) a right password of an operator whose level lacks that right is LacksRight.
SignatureCheck CheckSignaturePassword(const QString& dbPath, const SignatureParty& party, int right = 0);

struct SignatureRequest {
    QString meaning; // "Approved", "Reviewed", "Performed", ...
    QString action;  // what is signed
    QString reason;
    QString signer;                  // the operators whose passwords were checked
    std::optional<QString> verifier; // the second person
    int right = 0;                   // the right the second person holds
};

struct SignatureRecord {
    SignatureOutcome outcome = SignatureOutcome::Signed;
    QString name;   // whose lock or right refused it
    QString detail; // Signed: the row's detail
};

// The signature row, after the passwords were checked: in one write transaction it checks again what
// may have changed since (the audit on, a required reason, two different operators that exist, no lock,
// the second person's right), starts the signers' failure counts again and writes the row.
SignatureRecord RecordSignature(const QString& dbPath, const SignatureRequest& request);

// What a signature row holds, its detail as one JSON object: the signer's printed name, when (ISO 8601
// with its zone), the meaning, the action, the reason and the second person's name ("" without one).
struct SignatureFields {
    QString name, time, meaning, action, reason, verifier;
};
QString SignatureDetail(const SignatureFields& fields);
// Nothing when `detail` is no complete signature detail.
std::optional<SignatureFields> ParseSignatureDetail(const QString& detail);

} // namespace zav::manage
