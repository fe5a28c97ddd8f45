#pragma once

// Level maintenance on the credential file, usable without any window (the management window and the
// command-line tool both call these).
//
// Every function opens the file at `dbPath` shared (read-only for the readers, read/write for the
// writers), works and closes it again. Failures throw zav::store::DbError (an AutomationError carrying
// the engine's number and description) or AutomationError; a writer that throws has changed nothing.
//
// Level numbers: 0 is the top level, a larger ID a lower level, and the level with the largest ID is
// the one in force when nobody is logged in. IDs are 16-bit in the file.

#include <ZAV_PrjLogin/Class_Level.h>
#include <ZAV_PrjLogin/Class_LevelEnable.h>

#include <QString>
#include <functional>
#include <optional>

namespace zav::manage {

// The largest number a level can carry (the ID column is a 16-bit integer).
inline constexpr int LargestLevelId = 32767;

// Calls `visit` with the ID and the stored name of every level whose ID is greater than `ownerId`,
// in ascending ID order. What was visited before a failure stays visited.
void ForEachLevelBelow(const QString& dbPath, int ownerId,
                       const std::function<void(int id, const QString& storedName)>& visit);

// Fills `level` from the row of level `id`: ID, DBLevelName, LevelName (the stored name translated),
// the rights, then Password (a Null password reads as ""). CanHavePassword is left to the caller.
// Returns false, touching nothing, when there is no such row. After a failure `level` holds what was
// read so far.
bool LoadLevel(const QString& dbPath, int id, Class_Level& level);

// Levels are renumbered elsewhere while a caller holds the numbers it read. Every function below that
// takes the ID of an existing level also takes `storedName`, the stored name (DBLevelName) of the
// level the caller means, and checks in its own transaction that the row still holds it: when the
// number now belongs to another level, or the level has another number, it fails with
// access::ErrLevelChanged ("The level was changed elsewhere.") and changes nothing.

// Reads the four fixed and the 100 custom rights of level `id`, stored as `storedName`, into
// `rights`; false when that level is gone.
bool ReadLevelRights(const QString& dbPath, int id, const QString& storedName, Class_LevelEnable& rights);

// Adds a level named `name` (as given) without password and without rights, numbered one above the
// largest ID in the table (2 when the table is empty), and returns its ID. The largest ID is read
// under the write lock, so concurrent additions take different numbers. The new level holds no
// rights, so it is the lowest one and no renumbering follows. Fails with the engine's duplicate-key
// error when another level has that name, and with ErrFieldOverflow when the next number would not
// fit the ID column.
int AddLevel(const QString& dbPath, const QString& name);

// Deletes level `id`, stored as `storedName` (its operators go with it through the relation), and
// renumbers the rest, all in one transaction; returns how many operators went with it. A level that is
// gone counts as changed elsewhere.
int RemoveLevel(const QString& dbPath, int id, const QString& storedName);

// Renumbers every level 0, 1, 2, ... without gaps in rank order: a level holding ManageLevel comes
// first, then ManageOperator, DisShutDown and Desktop decide in that order, then more custom rights
// (NEnable), then the smaller old ID. Operators follow their level. All or nothing.
void RenumberLevels(const QString& dbPath);

// Stores the four fixed and the 100 custom rights of level `id`, stored as `storedName`, with NEnable
// = the number of custom rights that are true, then renumbers, all in one transaction. When the level
// is gone nothing is stored and the levels are still renumbered; the result tells which happened.
bool StoreLevelRights(const QString& dbPath, int id, const QString& storedName,
                      const Class_LevelEnable& rights);

// The ID the level named `storedName` (letter case aside) has now; nothing when there is none.
std::optional<int> LevelIdByName(const QString& dbPath, const QString& storedName);

} // namespace zav::manage
