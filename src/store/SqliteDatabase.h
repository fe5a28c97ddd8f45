#pragma once

// An SQLite connection that closes itself: the thin RAII layer under the SQLCipher engine.

#include "store/SqliteException.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>

struct sqlite3;

namespace zav::sqlite {

class Statement;

// Open flags of sqlite3_open_v2 that callers need, without exposing the C header.
enum class OpenFlags { ReadOnly, ReadWrite };

class Database {
public:
    // Opens the file; throws Exception when SQLite cannot.
    Database(const QString& path, OpenFlags flags);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const noexcept { return m_db; }

    // Keys the connection (SQLCipher): a passphrase, or "x'<hex>'" for a raw key.
    void key(const QByteArray& key);
    // Runs SQL text without results; several statements are allowed (internal texts only).
    void exec(const QString& sql);
    void setBusyTimeout(int milliseconds);

    int changes() const noexcept;
    qint64 lastInsertRowid() const noexcept;
    bool isReadOnly() const noexcept;
    bool inTransaction() const noexcept;
    // Switches the enforcement of foreign keys (and their cascades) and returns whether it was on.
    // Unlike the pragma this works inside a transaction; statements prepared before are prepared again.
    bool enforceForeignKeys(bool on);

    // Throws the connection's last error when `resultCode` is a failure.
    void check(int resultCode) const;

    // Statements kept for reuse by their text, as long as the connection lives: preparing costs more
    // than running a short query on a wide table. Taking one gives the kept statement or prepares a new
    // one; giving it back resets it, drops its bound values and keeps it (at most a few dozen texts).
    std::unique_ptr<Statement> takeStatement(const QString& sql);
    void keepStatement(const QString& sql, std::unique_ptr<Statement> statement) noexcept;
    // How many statements exist besides the kept ones.
    int statementsInUse() const noexcept;

private:
    sqlite3* m_db = nullptr;
    std::map<QString, std::unique_ptr<Statement>> m_kept;
};

// Suspends the enforcement of foreign keys, cascades included, for its lifetime (inside a transaction
// too) and then restores what was set.
class ForeignKeysSuspended {
public:
    explicit ForeignKeysSuspended(Database& db) : m_db(db), m_wasOn(db.enforceForeignKeys(false)) {}
    ~ForeignKeysSuspended();
    ForeignKeysSuspended(const ForeignKeysSuspended&) = delete;
    ForeignKeysSuspended& operator=(const ForeignKeysSuspended&) = delete;

private:
    Database& m_db;
    bool m_wasOn;
};

} // namespace zav::sqlite
