#pragma once

// "In use" between users of a database file: a non-blocking flock on a companion file next to it
// (the resolved database path + ".lock"), shared for shared opens and exclusive for exclusive ones.
// flock locks belong to an open file description, so two opens in one process conflict just as two
// processes do. SQLite cannot give this: its locks exist only while a statement runs.

#include "store/DatabaseFile.h"
#include "store/platform/FileSystem.h"

#include <QString>

namespace zav::store {

class CompanionLock {
public:
    enum class Kind { Exclusive, Shared, SharedReader };

    // Takes the lock; throws DbError 3045 while another user holds a conflicting one. The lock file
    // gets the database's permission bits for owner and group (owner-only for a new database), so that
    // the users the database is shared with may take it and nobody else can lock them out. A reader that
    // may not open the lock file, or that finds none in a folder where it cannot make one, reads without.
    CompanionLock(const DatabasePlace& place, Kind kind, mode_t databasePermissions);
    ~CompanionLock(); // releases it
    CompanionLock(const CompanionLock&) = delete;
    CompanionLock& operator=(const CompanionLock&) = delete;

    // The lock file of a database path (resolved as far as it exists).
    static QString pathFor(const QString& dbPath);

private:
    platform::FileHandle m_fd = platform::NoFile;
};

} // namespace zav::store
