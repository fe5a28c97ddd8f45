#pragma once

// One open database file: the SQLite connection, keyed and checked, with the companion lock that
// gives the open mode its meaning.

#include "store/CompanionLock.h"
#include "store/DatabaseFile.h"
#include "store/Engine.h"
#include "store/SqliteDatabase.h"

#include <memory>
#include <optional>
#include <vector>

namespace zav::store {

// A reader that has started on the rows of a query and not finished them (a recordset).
class PendingRead {
public:
    // Reads the rest of the rows into memory and lets go of the statement.
    virtual void readRest() = 0;

protected:
    ~PendingRead() = default;
};

class CipherConnection {
public:
    // Opens an existing file (3024 missing, 3049 damaged, 3031 wrong password, 3045 in use). A reader
    // that finds the journal of a writer that was cut off (a crash, a power cut) has it rolled back
    // first, as a writer would.
    static std::shared_ptr<CipherConnection> open(const QString& path, OpenMode mode,
                                                  const QString& password);
    // Creates a new file with a fresh salt and opens it exclusively (3204 when anything is there). The
    // file is made complete beside its place and then moved in, so that no crash leaves a file there
    // that cannot be opened; an empty file (which holds nothing) is replaced.
    static std::shared_ptr<CipherConnection> create(const QString& path, const QString& password);

    // What an idle connection may be reused for: the same file, access and password.
    struct ReuseKey {
        FileIdentity identity;
        bool readOnly = false;
        QString password;
        bool operator==(const ReuseKey&) const = default;
    };

    CipherConnection(std::unique_ptr<CompanionLock> lock, std::unique_ptr<sqlite::Database> db,
                     QString realPath, std::optional<ReuseKey> reuseKey = std::nullopt);
    CipherConnection(const CipherConnection&) = delete;
    CipherConnection& operator=(const CipherConnection&) = delete;

    // The connection; fails once it is closed.
    sqlite::Database& db();
    bool isOpen() const noexcept { return m_db != nullptr; }
    // Closes the file, then lets other users in. A shared connection that is idle (no transaction, no
    // statement) is kept by the thread instead of being closed, so that the next shared open of the same
    // file skips keying and reading the schema again; it holds no lock of any kind while it waits, and
    // it is checked before it serves again.
    void close() noexcept;

    // Readers part of the way through their rows. Before anything is written through the connection, and
    // before it closes, they read the rest, so each sees its rows as they were when it started.
    void addPendingRead(PendingRead* reader);
    void removePendingRead(PendingRead* reader) noexcept;
    void finishPendingReads();

private:
    // Declared in the order of taking: released in reverse.
    std::unique_ptr<CompanionLock> m_lock;
    std::unique_ptr<sqlite::Database> m_db;
    QString m_realPath;
    std::optional<ReuseKey> m_reuseKey;
    std::vector<PendingRead*> m_pendingReads;
};

} // namespace zav::store
