#pragma once

// Every level and operator of a credential database, as stored: what the listings show, what export
// writes and what import restores.

#include "Captions.h"

#include <ZAV_PrjLogin/Class_Level.h>

#include <QString>
#include <memory>
#include <vector>

namespace zav::admin {

struct LevelEntry {
    // ID, DBLevelName (as stored), LevelName (as shown), Password and the rights.
    std::shared_ptr<Class_Level> level = Class_Level::create();
    int nEnable = 0;
};

struct OperatorEntry {
    QString name;
    QString password; // "" for none
    int levelId = 0;
};

struct Snapshot {
    std::vector<LevelEntry> levels;       // by ID
    std::vector<OperatorEntry> operators; // by name
    Captions captions;                    // of the rights, from the profile file (export and import only)
};

// Reads the whole database, opened shared and read-only, in one read transaction so that levels and
// operators belong together.
Snapshot ReadSnapshot(const QString& dbPath);

// The level with this ID, or nullptr.
const LevelEntry* FindLevel(const Snapshot& snapshot, int id);

} // namespace zav::admin
