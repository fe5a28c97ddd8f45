#pragma once

// Writing a checked document (ParseDocument) into a database, all or nothing. Either way an import
// first removes the temporary files that killed imports into the same path left behind.

#include "Snapshot.h"

namespace zav::admin {

// Builds a new database holding exactly the document's levels (with their IDs, passwords, rights and
// NEnable) and operators in a temporary file next to `dbPath`, and renames it to `dbPath` at the end.
// Fails with 3204 when anything exists at `dbPath`; after any failure the temporary file is gone and
// nothing exists at `dbPath`.
void ImportIntoNewFile(const QString& dbPath, const Snapshot& document);

// Merges the document into the existing database in one transaction: a level whose name is there
// (letter case aside) gets the document's name, password, rights and NEnable, any other level is added
// above the largest ID; an operator whose name is there gets the document's name and password and
// moves to its level, any other is added; then the levels are renumbered by their rights. Levels and
// operators the document does not name stay. After any failure the file is as it was.
void MergeIntoDatabase(const QString& dbPath, const Snapshot& document);

} // namespace zav::admin
