#pragma once

// One open database file: the SQLite connection, keyed and checked, with the companion lock that
// gives the open mode its meaning and the registration that tells later opens the file is held.

#include "store/CompanionLock.h"
#include "store/Engine.h"
#include "store/OpenFiles.h"
#include "store/SqliteDatabase.h"

#include <memory>

namespace zav::store {

class CipherConnection {
public:
    // Opens an existing file (3024 missing, 3049 damaged, 3031 wrong password, 3045 in use).
    static std::shared_ptr<CipherConnection> open(const QString& path, OpenMode mode,
                                                  const QString& password);
    // Creates a new file with a fresh salt and opens it exclusively (3204 when anything is there).
    static std::shared_ptr<CipherConnection> create(const QString& path, const QString& password);

    CipherConnection(std::unique_ptr<CompanionLock> lock,
                     std::unique_ptr<OpenFiles::Registration> registration,
                     std::unique_ptr<sqlite::Database> db);
    CipherConnection(const CipherConnection&) = delete;
    CipherConnection& operator=(const CipherConnection&) = delete;

    bool isOpen() const noexcept { return m_db != nullptr; }
    // The connection; fails once it is closed.
    sqlite::Database& db();
    // Closes the file, then lets other users in.
    void close() noexcept;

private:
    // Declared in the order of taking: released in reverse.
    std::unique_ptr<CompanionLock> m_lock;
    std::unique_ptr<OpenFiles::Registration> m_registration;
    std::unique_ptr<sqlite::Database> m_db;
};

} // namespace zav::store
