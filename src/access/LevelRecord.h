#pragma once

// Moving a level's rights and names between a Levels row and the access objects.

#include "store/Engine.h"

#include <memory>

#include <ZAV_PrjLogin/Class_Level.h>
#include <ZAV_PrjLogin/Class_LevelEnable.h>

namespace zav::access {

// ManageLevel, ManageOperator, DisShutDown, Desktop and Custom1..Custom100 of the current row.
void ReadRights(const store::Recordset& rs, Class_LevelEnable& rights);
// Writes the four fixed and the 100 custom fields of the row being edited or added; returns the
// number of custom rights that are true (the row's NEnable).
int WriteRights(store::Recordset& rs, const Class_LevelEnable& rights);

// ID, DBLevelName, LevelName (the stored name through the text translation) and the rights of the
// current row. Password and CanHavePassword are the caller's. A level without its rights object fails
// with automation error 91 and is left as it was.
void ReadLevel(const store::Recordset& rs, Class_Level& level);
// The same taken from another level object: ID, names and rights (a source without its rights object
// gives none). Fails with automation error 91 when `to` has no rights object.
void CopyLevel(const Class_Level& from, Class_Level& to);

// The text of a field that may be Null (Null reads as "").
QString TextOrEmpty(const QVariant& value);

// Levels are renumbered by other windows and programs while a caller still holds the number it read;
// a level's stored name is unique and stays, so every write that addresses a level by number also
// names the level it means. The number of the error such a write fails with when the number now
// belongs to another level, or the level has moved to another number (the classic engine's number for
// data another user changed in between); nothing is written then.
inline constexpr int ErrLevelChanged = 3197;
store::DbError LevelChangedError();
bool IsLevelChanged(const std::exception& error);

// Opens the row of level `id` ("Select * from Levels where ID = " followed by the number) and makes
// sure it holds the level stored as `storedName`. Run it inside the caller's transaction, so that the
// row cannot change until the write is done. Returns the recordset positioned on that row, or nullptr
// when neither the number nor the name belongs to any level (the level is gone); fails with
// ErrLevelChanged when the number belongs to another level or the name to another number.
std::unique_ptr<store::Recordset> OpenMeantLevel(store::Database& db, int id, const QString& storedName);

} // namespace zav::access
