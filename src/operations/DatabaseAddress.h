#pragma once

// A credential database is a file, or a database on a PostgreSQL server when its path is a libpq URI.
// Messages name a server database by its URI without the password it may carry.

#include <QString>

namespace zav::manage {

bool IsServerDatabase(const QString& dbPath);
// The path as given, or the URI less its password.
QString ShownDatabasePath(const QString& dbPath);

} // namespace zav::manage
