#pragma once

// How zav-admin fails. A failure of the work itself is an AutomationError (the engine's errors are
// such errors too): its description and number go to standard error and the status is 1. Wrong
// arguments are a UsageError: status 2.

#include "operations/CredentialDatabase.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QString>
#include <stdexcept>

namespace zav::admin {

inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;

// Numbers of the failures the tool finds itself, taken from the classic runtime where one fits; the
// database's own faults keep the engine's numbers (3021 no such row, 3022 duplicate name, 3201 no
// such level, 3204 database exists, 3315 empty name, 3349 number out of range).
using manage::ErrInvalidArgument;     // 5 "Invalid procedure call or argument"
inline constexpr int ErrBadFile = 13; // "Type mismatch": a document that is not what it should be
inline constexpr int ErrFileNotFound = 53;
using manage::ErrFileAccess; // 75 "Path/File access error"

class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& Message() const noexcept { return m_message; }

private:
    QString m_message;
};

// A command that reported what it found (check): status 1 without a further message.
struct FindingsReported {};

} // namespace zav::admin
