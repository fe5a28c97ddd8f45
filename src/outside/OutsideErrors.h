#pragma once

#include <ZAV_PrjLogin/AutomationError.h>

#include <QString>

namespace zav::outside {

// Automation error numbers of the outside objects.
inline constexpr int ErrInvalidCall = 5;     // "Invalid procedure call or argument"
inline constexpr int ErrPathFileAccess = 75; // "Path/File access error"
inline constexpr int ErrCannotCreate = 429;  // "ActiveX component can't create object"

[[noreturn]] inline void failInvalidCall(const QString& what) {
    throw AutomationError(ErrInvalidCall, QStringLiteral("Invalid procedure call or argument: ") + what);
}

[[noreturn]] inline void failPathFileAccess(const QString& what) {
    throw AutomationError(ErrPathFileAccess, QStringLiteral("Path/File access error: ") + what);
}

[[noreturn]] inline void failCannotCreate(const QString& what) {
    throw AutomationError(ErrCannotCreate, QStringLiteral("ActiveX component can't create object: ") + what);
}

} // namespace zav::outside
