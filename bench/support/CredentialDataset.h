#pragma once

// A benchmark's credential database with the given levels and operators (by ID, the lowest last),
// built through the operations: into a new file by the import, on the server by creating the tables
// and merging the same contents in.

#include "BenchPlaces.h"

#include "operations/CredentialDatabase.h"

#include <algorithm>
#include <stdexcept>

namespace zav::bench {

inline QString buildCredentialDatabase(ScratchPlaces& places, const QString& name,
                                       const manage::Snapshot& contents) {
    const QString dbPath = places.fresh(name);
    if (places.place() == Place::File) {
        manage::ImportIntoNewFile(dbPath, contents);
        return dbPath;
    }
    // The merge keeps the IDs where the levels already stand in rank order, as in every data set here;
    // the policy goes first so that the passwords take the form it asks for.
    manage::CreateOrCompleteDatabase(dbPath, Class_LevelEnable::create().get());
    for (const auto& [key, value] : contents.policy) {
        manage::SetPolicyEntry(dbPath, key, value);
    }
    manage::MergeIntoDatabase(dbPath, contents);
    // Creating made level 1 as "|1"; a data set that names no such level does not keep it.
    const QString levelOne = QStringLiteral("|1");
    if (std::none_of(contents.levels.begin(), contents.levels.end(), [&](const manage::LevelEntry& entry) {
            return entry.level->DBLevelName().compare(levelOne, Qt::CaseInsensitive) == 0;
        })) {
        manage::RemoveLevel(dbPath, manage::LevelIdByName(dbPath, levelOne).value(), levelOne);
    }
    // Figures of another data set would be worthless: the rows must be those of the file.
    const CredentialFacts facts = ReadCredentialFacts(dbPath);
    const auto& lowest = contents.levels.back().level;
    if (facts.operators != int(contents.operators.size()) || facts.logoutLevelId != lowest->ID() ||
        facts.logoutLevelName != lowest->DBLevelName()) {
        throw std::runtime_error("the server's data set differs from the file's: " + name.toStdString());
    }
    return dbPath;
}

} // namespace zav::bench
