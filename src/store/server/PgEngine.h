#pragma once

#include "store/Engine.h"

namespace zav::pg {

// The server engine: a DbPath that is a libpq URI names a database on a PostgreSQL server. The
// connect string's password is not used: the server checks the login by libpq's own settings.
class PgEngine final : public store::Engine {
public:
    std::unique_ptr<store::Database> OpenDatabase(const QString& uri, store::OpenMode mode,
                                                  const QString& connect) override;
    // Makes the schema's place in an existing database that holds no table yet and opens it
    // exclusively; the database itself is never created (3204 when it holds tables already).
    std::unique_ptr<store::Database> CreateDatabase(const QString& uri, const QString& locale) override;
};

} // namespace zav::pg
