#pragma once

#include "ZAV_Export.h"

#include <QString>
#include <stdexcept>

// The one error type of the component's automation surface: a number and a description, as an
// automation client sees them (9 "Subscript out of range", 3022 for a duplicate key, ...).
class ZAV_EXPORT AutomationError : public std::runtime_error {
public:
    AutomationError(int number, const QString& description);

    int Number() const noexcept { return m_number; }
    const QString& Description() const noexcept { return m_description; }

private:
    int m_number;
    QString m_description;
};

namespace zav {
// Automation error numbers the component raises itself.
inline constexpr int ErrSubscriptOutOfRange = 9;
inline constexpr int ErrTypeMismatch = 13;
inline constexpr int ErrObjectRequired = 424;
inline constexpr int ErrNotSupported = 438;
inline constexpr int ErrArgumentNotOptional = 449;
inline constexpr int ErrObjectVariableNotSet = 91;
} // namespace zav
