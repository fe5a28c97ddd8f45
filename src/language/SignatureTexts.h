#pragma once

// What the signature dialogs show and say, in the current language.

#include <QString>

namespace zav::language {

enum class SignatureText {
    SignerTitle,       // the signer's dialog
    SecondPersonTitle, // the second person's dialog
    SignedBy,
    Meaning,
    Action,
    Reason,
    NotByOperator,  // a login by level, or nobody logged in
    NeedsAudit,     // the policy does not audit
    ReasonRequired, // the policy requires a reason
    NameMismatch,   // the name typed is not the signer's
    SameOperator,   // the second person is the signer
    LacksRight,     // %1: the second person
    NoPassword,     // the operator has no password
    Offline,        // the server cannot be reached
    NoSuchOperator, // %1: a signer removed meanwhile
};

QString SignatureTextOf(SignatureText text);

} // namespace zav::language
