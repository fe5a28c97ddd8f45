#pragma once

// Moving a level's rights and names between a Levels row and the access objects.

#include "store/Engine.h"

#include <ZAV_PrjLogin/Class_Level.h>
#include <ZAV_PrjLogin/Class_LevelEnable.h>

namespace zav::access {

// The column of custom right n ("Custom" followed by n).
QString CustomField(int n);

// ManageLevel, ManageOperator, DisShutDown, Desktop and Custom1..Custom100 of the current row.
void ReadRights(const store::Recordset& rs, Class_LevelEnable& rights);
// Writes the four fixed and the 100 custom fields of the row being edited or added; returns the
// number of custom rights that are true (the row's NEnable).
int WriteRights(store::Recordset& rs, const Class_LevelEnable& rights);

// ID, DBLevelName, LevelName (the stored name through the text translation) and the rights of the
// current row. Password and CanHavePassword are the caller's.
void ReadLevel(const store::Recordset& rs, Class_Level& level);

// The text of a field that may be Null (Null reads as "").
QString TextOrEmpty(const QVariant& value);

} // namespace zav::access
