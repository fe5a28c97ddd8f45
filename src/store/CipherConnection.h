#pragma once

// One open database file: the SQLite connection, keyed and checked, with the companion lock that
// gives the open mode its meaning and the registration that tells later opens the file is held.

#include "store/CompanionLock.h"
#include "store/Engine.h"
#include "store/OpenFiles.h"
#include "store/SqliteDatabase.h"

#include <memory>
#include <optional>

namespace zav::store {

class CipherConnection {
public:
    // Opens an existing file (3024 missing, 3049 damaged, 3031 wrong password, 3045 in use).
    static std::shared_ptr<CipherConnection> open(const QString& path, OpenMode mode,
                                                  const QString& password);
    // Creates a new file with a fresh salt and opens it exclusively (3204 when anything is there).
    static std::shared_ptr<CipherConnection> create(const QString& path, const QString& password);

    // What an idle connection may be reused for: the same file, access and password.
    struct ReuseKey {
        FileIdentity identity;
        bool readOnly = false;
        QString password;
        bool operator==(const ReuseKey&) const = default;
    };

    CipherConnection(std::unique_ptr<CompanionLock> lock,
                     std::unique_ptr<OpenFiles::Registration> registration,
                     std::unique_ptr<sqlite::Database> db, std::optional<ReuseKey> reuseKey = std::nullopt);
    CipherConnection(const CipherConnection&) = delete;
    CipherConnection& operator=(const CipherConnection&) = delete;

    bool isOpen() const noexcept { return m_db != nullptr; }
    // The connection; fails once it is closed.
    sqlite::Database& db();
    // Closes the file, then lets other users in. A shared connection that is idle (no transaction, no
    // statement) is kept by the thread instead of being closed, so that the next shared open of the same
    // file skips keying and reading the schema again; it holds no lock of any kind while it waits.
    void close() noexcept;

private:
    // Declared in the order of taking: released in reverse.
    std::unique_ptr<CompanionLock> m_lock;
    std::unique_ptr<OpenFiles::Registration> m_registration;
    std::unique_ptr<sqlite::Database> m_db;
    std::optional<ReuseKey> m_reuseKey;
};

} // namespace zav::store
