#pragma once

// Operator maintenance on the credential file, usable without any window (the management window and
// the command-line tool both call these).
//
// Every function opens the file at `dbPath` shared (read-only for the readers, read/write for the
// writers), works and closes it again. Operator names never become SQL text: they are bound to the
// statement's places. Names compare without regard to letter case. Failures throw
// zav::store::DbError (an AutomationError carrying the engine's number and description) or
// AutomationError; a writer that throws has changed nothing.

#include <QString>
#include <functional>
#include <optional>

namespace zav::manage {

// An operator row as stored.
struct OperatorRow {
    QString name;
    QString password; // "" when the row holds none (Null)
    int levelId = 0;
};

// Calls `visit` with the name of every operator of level `levelId`, in name order. What was visited
// before a failure stays visited.
void ForEachOperatorOf(const QString& dbPath, int levelId,
                       const std::function<void(const QString& name)>& visit);

// The row of the operator named `name`, whatever level it belongs to; nothing when there is none.
std::optional<OperatorRow> FindOperatorRow(const QString& dbPath, const QString& name);

// Adds operator `name` (as given) to level `levelId` with `password` (none when empty) in the form the
// file's policy stores. Fails with the engine's duplicate-key error when an operator of that name
// exists in any level, and with the engine's relation error when no level has that ID; with
// ErrInvalidArgument when the policy's password rules refuse `password` (PasswordRules.h). With
// `levelStoredName` (the stored name of the level the caller means) it fails with
// access::ErrLevelChanged, adding nothing, when level `levelId` is not that level any more.
void AddOperator(const QString& dbPath, int levelId, const QString& name,
                 const std::optional<QString>& levelStoredName = std::nullopt,
                 const QString& password = QString());

// Deletes operator `name`; nothing happens when there is none.
void RemoveOperator(const QString& dbPath, const QString& name);

// Moves operator `name` to level `levelId` (also when it is there already). Fails with the engine's
// relation error when no level has that ID; with `levelStoredName` as AddOperator does.
void MoveOperator(const QString& dbPath, const QString& name, int levelId,
                  const std::optional<QString>& levelStoredName = std::nullopt);

} // namespace zav::manage
