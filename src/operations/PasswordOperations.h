#pragma once

// Storing a level's or an operator's password, without any window (the password dialog and the
// command-line tool both call these). Each opens the file shared and read/write, reads the policy and
// edits the one row in one transaction, and closes the file again. What is stored is the password's
// stored form under the file's policy (PasswordHashing.h): the text, or its hash. Failures throw
// AutomationError (the engine's number and description). While the file keeps the passwords' ages
// (PasswordAges.h) the same transaction notes the change, `byOwner` telling whether the level's or
// operator's owner made it (else someone else set it, and an operator changes it at the first login
// where the policy asks for that).

#include <QString>
#include <optional>

namespace zav::manage {

// Writes PWD of level `id`, the level stored as `storedName`, and returns what was written; nothing
// when that level is gone (nothing is written). Fails with ErrLevelChanged (access/LevelRecord.h),
// writing nothing, when the number now belongs to another level or the level has another number.
std::optional<QString> StoreLevelPassword(const QString& dbPath, int id, const QString& storedName,
                                          const QString& password, bool byOwner = false);
// Writes PWD of operator `name` (found without regard to letter case; the name is a bound value, never
// SQL text) and returns what was written; nothing when there is no such row.
std::optional<QString> StoreOperatorPassword(const QString& dbPath, const QString& name,
                                             const QString& password, bool byOwner = false);

} // namespace zav::manage
