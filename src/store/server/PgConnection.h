#pragma once

// A connection to a PostgreSQL server that closes itself: the thin RAII layer over libpq under the
// server engine, as SqliteDatabase is under the file engine. Failures are ServerErrors (ServerError.h).
//
// Every round trip has a deadline on this side: a server that does not answer (a stopped backend, a host
// gone from the network, a socket that accepts and never answers) ends the call with 3043 once it has
// passed, however long the kernel would wait. The deadline is the URI's connect_timeout (3 s without one)
// and counts once per call, for the connection and for each statement alike. A connection that failed in
// any way is lost: its calls fail at once with 3043 until reopen() connects again.
//
// Nothing here leaves state in the server's session between transactions (no named prepared statements,
// no session settings, no session locks), so the connection also works through a pooler that hands each
// transaction another server connection.

#include "store/server/PgResult.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

struct pg_conn;

namespace zav::pg {

class Connection {
public:
    // The deadline of a round trip when the URI gives no connect_timeout.
    static constexpr int DefaultDeadlineMs = 3000;

    // Connects with a libpq URI (see ServerAddress.h), in UTF-8, within the deadline.
    explicit Connection(const QString& uri);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The server and database, without the password (for messages).
    const QString& description() const noexcept { return m_description; }
    int deadlineMs() const noexcept { return m_deadlineMs; }
    // How long a statement waits for a lock held elsewhere: less than the deadline, so that the wait
    // ends as "locked" (3218) and not as a server that does not answer.
    int lockTimeoutMs() const noexcept;

    // Runs one statement. The values fill $1, $2, ... as parameters, never pasted into the text: an
    // invalid QVariant is NULL, a bool a boolean, an integer a bigint, anything else text (whose type the
    // server infers). Text or SQL holding U+0000 is refused (error 5): libpq would cut it there.
    // A read outside a transaction that finds the connection lost is run once more on a new one.
    Result exec(const QString& sql, const QVariantList& parameters = {});
    // A statement without values (BEGIN, SET LOCAL, a lock, or the COMMIT of a transaction that only
    // read) that is sent with the next one, in the same round trip; when it fails, the next one fails with
    // its error.
    void sendWithNext(const QString& sql);
    // Runs what waits to be sent and then `statements` (none, or several separated by semicolons, without
    // values) as one simple query, in one round trip. The last one's result; a failure stops the rest.
    Result execScript(const QString& statements);

    // Remembers the id of the open transaction (txid_current()), by which commit() learns the outcome of
    // a COMMIT whose answer was lost.
    void rememberTransactionId(qint64 id) noexcept { m_transactionId = id; }
    // Commits the open transaction (and what waits to be sent before it): false when the server rolled
    // it back instead, because one of its statements had failed. When the COMMIT's answer is lost, the
    // server is asked on a new connection whether the transaction committed: true when it did, 3043
    // saying the change was not stored when it did not, and 3043 saying that the outcome is unknown when
    // the server cannot tell within the deadline.
    bool commit();

    // A transaction is open (also one that failed and waits for its rollback, or one whose BEGIN waits
    // to be sent).
    bool inTransaction() const noexcept;
    // A statement of the open transaction failed: it can only be rolled back.
    bool transactionFailed() const noexcept;
    // The connection was lost (the server restarted or went away, or a deadline passed).
    bool isBroken() const noexcept;
    // Drops what is left of the connection and connects again; what was open on it is gone.
    void reopen();

private:
    using Clock = std::chrono::steady_clock;
    struct Finish {
        void operator()(pg_conn* conn) const noexcept;
    };
    struct Statement {
        QByteArray text;
        std::vector<unsigned> types;
        std::vector<QByteArray> values;
        std::vector<bool> nulls;
    };

    pg_conn* handle() const noexcept { return m_conn.get(); }
    void connect(Clock::time_point deadline);
    Clock::time_point deadlineFromNow() const noexcept;
    // Sends the statements in one pipeline with one sync and reads their results within the deadline;
    // the results, or the first failure thrown.
    std::vector<Result> runPipeline(const std::vector<Statement>& statements, Clock::time_point deadline);
    Result runScript(const QByteArray& text, Clock::time_point deadline);
    // Waits until libpq can hand out the next result without blocking; throws when the deadline passes
    // or the connection fails.
    void awaitResult(Clock::time_point deadline);
    void flushOutput(Clock::time_point deadline);
    // The connection lost: closed on this side, after asking the server (off this thread) to cancel
    // what it runs.
    [[noreturn]] void abandon(const QString& reason, bool cancel);
    [[noreturn]] void throwFailure(const Result& result);
    void requireOpen();
    bool askOutcome(qint64 transactionId, Clock::time_point deadline);

    QString m_uri;
    QString m_description;
    int m_deadlineMs = DefaultDeadlineMs;
    std::unique_ptr<pg_conn, Finish> m_conn; // null once lost
    QString m_lostReason;
    std::vector<QByteArray> m_waiting; // sent with the next statement
    std::optional<qint64> m_transactionId;
};

} // namespace zav::pg
