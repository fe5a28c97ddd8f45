#pragma once

// A connection to a PostgreSQL server that closes itself: the thin RAII layer over libpq under the
// server engine, as SqliteDatabase is under the file engine. Failures are ServerErrors (ServerError.h).

#include "store/server/PgResult.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

struct pg_conn;

namespace zav::pg {

// What every connection sets up, so that a panel never hangs on the server.
struct ConnectionSettings {
    int connectTimeoutMs = 3000;    // a server that does not answer is error 3043 after this
    int statementTimeoutMs = 10000; // the server cancels a statement that runs longer
    int lockTimeoutMs = 3000;       // a lock held elsewhere is error 3218 after this wait
};

class Connection {
public:
    // Connects with a libpq URI (see ServerAddress.h), in UTF-8, with the settings' timeouts.
    explicit Connection(const QString& uri, const ConnectionSettings& settings = {});
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    pg_conn* handle() const noexcept { return m_conn.get(); }
    // The server and database, without the password (for messages).
    const QString& description() const noexcept { return m_description; }

    // Runs one statement. The values fill $1, $2, ... as parameters, never pasted into the text: an
    // invalid QVariant is NULL, a bool a boolean, an integer a bigint, anything else text (whose type the
    // server infers). Text or SQL holding U+0000 is refused (error 5): libpq would cut it there.
    // A statement that reads or writes rows is prepared once per connection, the second time its text
    // runs with the same types of values, and then runs prepared: the server parses and plans it once.
    Result exec(const QString& sql, const QVariantList& parameters = {});
    // A statement without values (BEGIN, or the COMMIT of a transaction that only read) that is sent
    // with the next one, in the same round trip; when it fails, the next one fails with its error.
    void sendWithNext(const QString& sql);
    // Runs what waits to be sent and then `statements` (none, or several separated by semicolons, without
    // values) as one simple query, in one round trip. The last one's result; a failure stops the rest.
    Result execScript(const QString& statements);

    // A transaction is open (also one that failed and waits for its rollback, or one whose BEGIN waits
    // to be sent).
    bool inTransaction() const noexcept;
    // A statement of the open transaction failed: it can only be rolled back.
    bool transactionFailed() const noexcept;
    // The connection was lost (the server restarted or went away).
    bool isBroken() const noexcept;

private:
    struct Finish {
        void operator()(pg_conn* conn) const noexcept;
    };
    [[noreturn]] void throwFailure(const Result& result) const;
    static bool succeeded(const Result& result) noexcept;
    static QString sqlStateOf(const Result& result);
    // Sends what waits for the next statement and that statement in one pipeline; the latter's result.
    Result runAfterWaiting(const QByteArray* name, const QByteArray& text, const std::vector<unsigned>& types,
                           const std::vector<const char*>& values);
    // The prepared statement's name for the key (text and types), or nullptr to run it unprepared.
    const QByteArray* preparedName(const QByteArray& key, const QByteArray& text,
                                   const std::vector<unsigned>& types);

    QString m_description;
    std::unique_ptr<pg_conn, Finish> m_conn;
    QHash<QByteArray, QByteArray> m_prepared; // an empty name: run once, not prepared yet
    std::vector<QByteArray> m_waiting;        // sent with the next statement
    int m_preparedCount = 0;
};

} // namespace zav::pg
