#pragma once

// The checks a command makes before it changes anything, so that a failure leaves the database as it
// was and says plainly what was wrong.

#include "operations/CredentialDatabase.h"

#include <ZAV_PrjLogin/Class_Level.h>

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace zav::admin {

// Below every number the ID column can hold: ForEachLevelBelow with it visits every level.
inline constexpr int BelowEveryLevel = -32769;

// A level ID as typed: a whole number (UsageError otherwise) that fits the 16-bit ID column (3349
// otherwise).
int ParseLevelId(const QString& text);

// The level with this ID (loaded with its password and rights); fails with 3021 when there is none.
std::shared_ptr<Class_Level> RequireLevel(const QString& dbPath, int id);
// The level a command names: by its ID when the text is a whole number, else by its stored name
// (letter case aside; names are unique and, unlike numbers, stay when levels are renumbered), else by
// the name the listings show for it ("Operator" for "|1").
std::shared_ptr<Class_Level> RequireLevel(const QString& dbPath, const QString& idOrName);
// The operator of that name (letter case aside); fails with 3021 when there is none.
manage::OperatorRow RequireOperator(const QString& dbPath, const QString& name);

// The ID of the level in force when nobody is logged in (the largest); nothing when there is no level.
std::optional<int> LogoutLevelId(const QString& dbPath);

// A name typed for a new level or operator: like the name dialog, refuses an empty or numeric text
// (fails with 5).
void CheckNewName(const QString& name, const QString& what);

// Runs `change`, giving the engine's duplicate-key error (3022) and missing-level error (3201) the
// descriptions given (an empty one keeps the engine's).
void ExplainKeyErrors(const std::function<void()>& change, const QString& duplicate,
                      const QString& missingLevel);

// "no level has ID 7", "no operator is named \"anna\""
QString NoSuchLevel(int id);
QString NoSuchOperator(const QString& name);

} // namespace zav::admin
