#pragma once

// "In use" between users of a database file: a non-blocking flock on a companion file next to it
// (the database path + ".lock"), shared for shared opens and exclusive for exclusive ones. flock
// locks belong to an open file description, so two opens in one process conflict just as two
// processes do. SQLite cannot give this: its locks exist only while a statement runs.

#include <QString>

namespace zav::store {

class CompanionLock {
public:
    // Takes the lock; throws DbError 3045 while another user holds a conflicting one.
    CompanionLock(const QString& dbPath, bool exclusive);
    ~CompanionLock(); // releases it
    CompanionLock(const CompanionLock&) = delete;
    CompanionLock& operator=(const CompanionLock&) = delete;

    static QString pathFor(const QString& dbPath) { return dbPath + QStringLiteral(".lock"); }

private:
    int m_fd = -1;
};

} // namespace zav::store
