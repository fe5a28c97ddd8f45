#pragma once

// SQLite's failures in the numbers and words a host of the classic engine knows.

#include "store/DbError.h"
#include "store/SqliteException.h"

namespace zav::store {

DbError toDbError(const sqlite::Exception& error);

// Runs `work`; an SQLite failure leaves it as a DbError.
template <typename Work> decltype(auto) translatingErrors(Work&& work) {
    try {
        return work();
    } catch (const sqlite::Exception& error) {
        throw toDbError(error);
    }
}

// The failures that have no SQLite code of their own.
DbError fileNotFound(const QString& path);
DbError notADatabase(const QString& path, int engineCode = 0);
DbError notValidPassword(int engineCode = 0);
DbError objectClosed();

} // namespace zav::store
