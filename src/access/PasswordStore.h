#pragma once

// Storing a level's or an operator's password, without any window (the password dialog and the
// command-line tool both call these). Each opens the file shared and read/write, edits the one row and
// closes the file again. Failures throw AutomationError (the engine's number and description).

#include <QString>

namespace zav::access {

// Writes PWD of level `id`; false when there is no such row (nothing is written).
bool StoreLevelPassword(const QString& dbPath, int id, const QString& password);
// Writes PWD of operator `name` (found without regard to letter case; the name reaches the SQL text
// only through SqlQuote); false when there is no such row.
bool StoreOperatorPassword(const QString& dbPath, const QString& name, const QString& password);

} // namespace zav::access
