#pragma once

// The error numbers a late-bound client sees from the dispatch layer, with their usual descriptions.
// The component's own errors (9 from AllowCustom, the database's 3xxx) pass through unchanged.

#include <ZAV_PrjLogin/AutomationError.h>

namespace zav::automation {

inline constexpr int ErrOverflow = 6;
inline constexpr int ErrInvalidUseOfNull = 94;
inline constexpr int ErrCannotCreateObject = 429;
inline constexpr int ErrAutomation = 440;
inline constexpr int ErrWrongArgumentCount = 450;

// The usual description of a dispatch-layer error number ("Type mismatch" for 13).
QString StandardDescription(int number);

// Throws AutomationError(number, StandardDescription(number)).
[[noreturn]] void Raise(int number);

} // namespace zav::automation
