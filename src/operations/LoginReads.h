#pragma once

// What the login component reads besides its credential check: the entries its login dialog offers,
// the level in force when nobody is logged in, the levels' numbers after a renumbering, and whether the
// database holds any level or operator. Each opens the file shared and read-only and closes it again.

#include <ZAV_PrjLogin/Class_Level.h>

#include <QString>
#include <functional>

namespace zav::manage {

// Calls `offer` with the number and stored name of each level the dialog offers by level, the lowest
// first: every level except the one in force when nobody is logged in and level 0, whose password opens
// it from any login. Returns how many levels there are, offered or not.
int ForEachLoginLevel(const QString& dbPath,
                      const std::function<void(int id, const QString& storedName)>& offer);

// Calls `offer` with the name and level number of every operator, the lowest level first and by name
// within one. Returns how many operators there are.
int ForEachLoginOperator(const QString& dbPath,
                         const std::function<void(const QString& name, int levelId)>& offer);

// Fills `level` (ID, names and rights; not its password) from the level with the largest number, the
// one in force when nobody is logged in. False, touching nothing, when there is no level.
bool ReadLogoutLevel(const QString& dbPath, Class_Level& level);

// Calls `visit` with the number and stored name of every level, the largest number first.
void ForEachLevelFromLowest(const QString& dbPath,
                            const std::function<void(int id, const QString& storedName)>& visit);

bool AnyOperators(const QString& dbPath);
bool AnyLevels(const QString& dbPath);

} // namespace zav::manage
