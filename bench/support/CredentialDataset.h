#pragma once

// A benchmark's credential database with the given levels and operators (by ID, the lowest last),
// built through the import: into a new file, or into a new, empty database on the server.

#include "BenchPlaces.h"

#include "operations/CredentialDatabase.h"

#include <stdexcept>

namespace zav::bench {

inline QString buildCredentialDatabase(ScratchPlaces& places, const QString& name,
                                       const manage::Snapshot& contents) {
    const QString dbPath = places.fresh(name);
    manage::ImportIntoNewDatabase(dbPath, contents);
    // Figures of another data set would be worthless.
    const CredentialFacts facts = ReadCredentialFacts(dbPath);
    const auto& lowest = contents.levels.back().level;
    if (facts.operators != int(contents.operators.size()) || facts.levels != int(contents.levels.size()) ||
        facts.logoutLevelId != lowest->ID() || facts.logoutLevelName != lowest->DBLevelName()) {
        throw std::runtime_error("the data set was not imported whole: " + name.toStdString());
    }
    return dbPath;
}

} // namespace zav::bench
