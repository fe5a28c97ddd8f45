#pragma once

// What badge and PIN logins show and say, in the current language.

#include <QString>

namespace zav::language {

enum class BadgeText {
    NotAvailable, // %1: why, as the operations say it (English)
    Unknown,      // no operator has the badge
    PanelLocked,  // %1: until when
    PanelLockedUntilUnlocked,
    WrongPin,
    PinTitle,   // the PIN pad
    PinOf,      // %1: the operator
    BadgeTitle, // the badge prompt of the management window
    HoldBadge,  // what the badge prompt asks
    Method,     // the login method's caption
    MethodPassword,
    MethodBadge,
    MethodBadgeAndPin,
    PinTooShort, // %1: the shortest PIN
    BadgeTaken,  // another operator has the badge
    BadgeMenu,   // "Badge..." in the operator menu
    Clear,       // the PIN pad's key that clears
    BadgeOf,     // the badge prompt's heading; %1: the operator
    BadgeNumber, // the badge prompt's box
    Back,        // the PIN pad's key that takes the last digit back
};

QString BadgeTextOf(BadgeText text);

} // namespace zav::language
