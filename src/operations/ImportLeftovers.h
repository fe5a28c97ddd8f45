#pragma once

// The temporary files of imports into new database files: where an import builds its copy, and how a
// later import or merge on the same path finds and removes what a killed one left behind.

#include <QString>

namespace zav::manage {

// A new hidden path beside `dbPath` for an import's temporary database, named after the importing
// process.
QString TemporaryImportPath(const QString& dbPath);

// Removes the temporary files of imports into `dbPath` whose process is gone (or, named without a
// process, that have not changed for an hour); those of running imports stay.
void RemoveImportLeftovers(const QString& dbPath);

} // namespace zav::manage
