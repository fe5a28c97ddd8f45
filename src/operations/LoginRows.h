#pragma once

// What a login reads of an operator and its level, within a caller's open database and read
// transaction: the password check and the badge check read them alike.

#include <ZAV_PrjLogin/Class_Level.h>

#include "store/Engine.h"

#include <memory>
#include <optional>

namespace zav::manage {

// A level as a login takes it: its number, names and rights, and its password as stored. Read while the
// database is open and handed back only once the login is recorded.
struct StoredLevel {
    std::shared_ptr<Class_Level> level = Class_Level::create();
    QString password;
};

// The level of the row `rs` stands on.
StoredLevel ReadStoredLevel(const store::Recordset& rs);

struct StoredOperator {
    QString name;                     // as stored
    QString password;                 // as stored; "" for none
    std::optional<StoredLevel> level; // nothing when its level is gone
};

// Operator `name` (letter case aside) with its level; nothing when there is no such operator.
std::optional<StoredOperator> ReadStoredOperator(store::Database& db, const QString& name);

} // namespace zav::manage
