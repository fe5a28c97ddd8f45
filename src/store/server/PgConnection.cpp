#include "store/server/PgConnection.h"

#include "store/server/ServerAddress.h"
#include "store/server/ServerError.h"

#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <libpq-fe.h>
#include <poll.h>
#include <thread>

namespace zav::pg {

namespace {

constexpr Oid BoolOid = 16;
constexpr Oid Int8Oid = 20;
constexpr Oid UnknownOid = 0; // the server infers the type from where the value goes

// The deadline of every round trip: the URI's connect_timeout (whole seconds, as libpq reads it).
int deadlineOf(const ConnectionParameters& parameters) {
    const auto given = parameters.find("connect_timeout");
    const int seconds = given == parameters.end() ? 0 : given->second.trimmed().toInt();
    return seconds > 0 ? seconds * 1000 : Connection::DefaultDeadlineMs;
}

// The URI's settings with what every connection needs on top: UTF-8, and TCP keepalives and a user
// timeout (unless the URI sets them), so that the kernel too notices a host gone from the network. Nothing
// goes into the startup packet's options: a pooler refuses them.
ConnectionParameters parametersFor(const QString& uri) {
    ConnectionParameters parameters = parseServerUri(uri);
    parameters["client_encoding"] = "UTF8";
    parameters["fallback_application_name"] = "ZAV_PrjLogin";
    const std::pair<const char*, const char*> network[] = {{"keepalives", "1"},
                                                           {"keepalives_idle", "5"},
                                                           {"keepalives_interval", "2"},
                                                           {"keepalives_count", "3"},
                                                           {"tcp_user_timeout", "10000"}};
    for (const auto& [keyword, value] : network) {
        parameters.try_emplace(keyword, value);
    }
    // With several hosts libpq waits for each in turn: a silent first host must leave time for the next.
    if (parameters["host"].contains(',') && !parameters.contains("connect_timeout")) {
        parameters["connect_timeout"] = "2";
    }
    return parameters;
}

// Why the connection failed. With verbose errors libpq writes each answer of the server as
// "SEVERITY:  SQLSTATE: message"; the last one counts when several hosts were tried. Without an answer
// the server was not reached.
[[noreturn]] void throwConnectFailure(pg_conn* conn, const QString& where) {
    const QString message = QString::fromUtf8(PQerrorMessage(conn));
    static const QRegularExpression answer(QStringLiteral(R"(\S+:  ([0-9A-Z]{5}): ([^\n]*))"));
    QRegularExpressionMatch last;
    for (auto it = answer.globalMatch(message); it.hasNext();) {
        last = it.next();
    }
    if (last.hasMatch()) {
        throw serverError(last.captured(1), last.captured(2), where);
    }
    throw unreachable(where, message.section(u'\n', 0, 0).trimmed());
}

int millisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return int(std::max<long long>(0, left.count()));
}

// Waits for the socket within the deadline: false when the deadline passed first.
bool awaitSocket(pg_conn* conn, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const int left = millisecondsUntil(deadline);
        if (left <= 0) {
            return false;
        }
        pollfd socket{PQsocket(conn), events, 0};
        const int ready = ::poll(&socket, 1, left);
        if (ready > 0 || (ready < 0 && errno != EINTR)) {
            return true; // an error on the socket shows in libpq's next call
        }
    }
}

// Drives the connection to its end within the deadline (libpq's own connect_timeout counts per host and
// whole seconds; this counts once for all).
void completeConnection(pg_conn* conn, std::chrono::steady_clock::time_point deadline, int deadlineMs,
                        const QString& where) {
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (state != PGRES_POLLING_OK) {
        if (PQstatus(conn) == CONNECTION_BAD || state == PGRES_POLLING_FAILED) {
            throwConnectFailure(conn, where);
        }
        if (!awaitSocket(conn, state == PGRES_POLLING_READING ? POLLIN : POLLOUT, deadline)) {
            throw unreachable(where, noAnswerWithin(deadlineMs));
        }
        state = PQconnectPoll(conn);
    }
}

struct Parameter {
    Oid type = UnknownOid;
    QByteArray text;
    bool null = false;
};

Parameter parameterOf(const QVariant& value) {
    if (!value.isValid()) {
        return {UnknownOid, {}, true};
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        return {BoolOid, value.toBool() ? "true" : "false"};
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return {Int8Oid, QByteArray::number(value.toLongLong())};
    default:
        const QString text = value.toString();
        if (text.contains(QChar(0))) {
            throw store::textWithNul();
        }
        return {UnknownOid, text.toUtf8()};
    }
}

// A statement that only reads, and so may run again when its connection was lost before it ended.
bool readsOnly(const QByteArray& sql) {
    return sql.trimmed().left(6).toUpper() == "SELECT";
}

bool succeeded(const PGresult* result) noexcept {
    const ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY;
}

QString sqlStateOf(const Result& result) {
    return QString::fromLatin1(PQresultErrorField(result.handle(), PG_DIAG_SQLSTATE));
}

// Asks the server, on a thread of its own, to cancel what the connection runs: PQcancel connects anew and
// waits for the server, which may not answer either.
void cancelElsewhere(pg_conn* conn) noexcept {
    PGcancel* cancel = PQgetCancel(conn);
    if (!cancel) {
        return;
    }
    try {
        std::thread([cancel] {
            char error[256];
            PQcancel(cancel, error, sizeof error);
            PQfreeCancel(cancel);
        }).detach();
    } catch (...) {
        PQfreeCancel(cancel); // no thread: the server ends the statement when it finds the socket closed
    }
}

} // namespace

void Connection::Finish::operator()(pg_conn* conn) const noexcept {
    PQfinish(conn);
}

Connection::Connection(const QString& uri)
    : m_uri(uri), m_description(describeServer(uri)), m_deadlineMs(deadlineOf(parseServerUri(uri))) {
    connect(deadlineFromNow());
}

Connection::~Connection() = default;

int Connection::lockTimeoutMs() const noexcept {
    return std::max(m_deadlineMs / 2, m_deadlineMs - 1000);
}

Connection::Clock::time_point Connection::deadlineFromNow() const noexcept {
    return Clock::now() + std::chrono::milliseconds(m_deadlineMs);
}

void Connection::connect(Clock::time_point deadline) {
    const ConnectionParameters parameters = parametersFor(m_uri);
    std::vector<const char*> keywords;
    std::vector<const char*> values;
    for (const auto& [keyword, value] : parameters) {
        keywords.push_back(keyword.constData());
        values.push_back(value.constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    std::unique_ptr<pg_conn, Finish> conn(PQconnectStartParams(keywords.data(), values.data(), 0));
    if (!conn) {
        throw unreachable(m_description, QStringLiteral("out of memory"));
    }
    PQsetErrorVerbosity(conn.get(), PQERRORS_VERBOSE); // the SQLSTATE of a refused connection
    completeConnection(conn.get(), deadline, m_deadlineMs, m_description);
    PQsetnonblocking(conn.get(), 1);
    // The server's notices (such as the warning of a server going down) are not the panel's output.
    PQsetNoticeProcessor(
        conn.get(), [](void*, const char*) {}, nullptr);
    m_conn = std::move(conn);
    m_lostReason.clear();
    // String literals are read by the standard's rules (a backslash is a character like any other, as on
    // the file), whatever the database or role was set to. A pooler keeps this setting for the client.
    const char* conforming = PQparameterStatus(handle(), "standard_conforming_strings");
    if (conforming && qstrcmp(conforming, "on") != 0) {
        runScript("SET standard_conforming_strings = on", deadline);
    }
}

void Connection::reopen() {
    m_conn.reset();
    m_waiting.clear();
    m_transactionId.reset();
    connect(deadlineFromNow());
}

void Connection::requireOpen() {
    if (!m_conn) {
        throw unreachable(m_description,
                          m_lostReason.isEmpty() ? QStringLiteral("the connection was lost") : m_lostReason);
    }
}

Result Connection::exec(const QString& sql, const QVariantList& parameters) {
    if (sql.contains(QChar(0))) {
        throw store::textWithNul();
    }
    Statement statement{sql.toUtf8(), {}, {}, {}};
    for (const QVariant& value : parameters) {
        Parameter encoded = parameterOf(value);
        statement.types.push_back(encoded.type);
        statement.values.push_back(std::move(encoded.text));
        statement.nulls.push_back(encoded.null);
    }
    requireOpen();
    // Only the COMMIT of a read-only transaction may wait before such a read: a lost connection ended
    // that transaction as well as a COMMIT would have.
    const bool mayRunAgain = std::all_of(m_waiting.begin(), m_waiting.end(),
                                         [](const QByteArray& waiting) { return waiting == "COMMIT"; }) &&
                             !inTransaction() && readsOnly(statement.text);
    std::vector<Statement> batch;
    for (QByteArray& waiting : std::exchange(m_waiting, {})) {
        batch.push_back({std::move(waiting), {}, {}, {}});
    }
    batch.push_back(statement);
    const auto deadline = deadlineFromNow();
    try {
        return std::move(runPipeline(batch, deadline).back());
    } catch (const ServerError& error) {
        if (!mayRunAgain || error.Number() != store::ErrDiskOrNetwork || !isBroken() ||
            millisecondsUntil(deadline) <= 0) {
            throw;
        }
    }
    // A kept connection that the server dropped (a restart, a crash, a failover): the read runs again once
    // on a new one.
    connect(deadline);
    return std::move(runPipeline({statement}, deadline).back());
}

void Connection::sendWithNext(const QString& sql) {
    m_waiting.push_back(sql.toUtf8());
}

Result Connection::execScript(const QString& statements) {
    if (statements.contains(QChar(0))) {
        throw store::textWithNul();
    }
    QByteArray text;
    for (const QByteArray& waiting : std::exchange(m_waiting, {})) {
        text += waiting + "; ";
    }
    text += statements.toUtf8();
    if (text.isEmpty()) {
        return Result(nullptr);
    }
    requireOpen();
    return runScript(text, deadlineFromNow());
}

bool Connection::commit() {
    requireOpen();
    const std::optional<qint64> transaction = std::exchange(m_transactionId, std::nullopt);
    std::vector<Statement> batch;
    for (QByteArray& waiting : std::exchange(m_waiting, {})) {
        batch.push_back({std::move(waiting), {}, {}, {}});
    }
    batch.push_back({"COMMIT", {}, {}, {}});
    const auto deadline = deadlineFromNow();
    try {
        // COMMIT of a transaction in which a statement failed rolls back and reports no error of its own.
        return runPipeline(batch, deadline).back().commandStatus() == u"COMMIT";
    } catch (const ServerError& error) {
        if (error.Number() != store::ErrDiskOrNetwork || !transaction || !isBroken()) {
            throw;
        }
    }
    return askOutcome(*transaction, deadline);
}

// The COMMIT went out and its answer did not come back: the server knows whether the transaction
// committed, once it is reached again within the deadline.
bool Connection::askOutcome(qint64 transactionId, Clock::time_point deadline) {
    const auto unknown = [&] {
        return unreachable(
            m_description,
            QStringLiteral("the connection was lost during the commit, and the server could not "
                           "be asked within %1 ms whether the change was stored")
                .arg(m_deadlineMs));
    };
    try {
        if (millisecondsUntil(deadline) <= 0) {
            throw unknown();
        }
        connect(deadline);
        Statement ask{"SELECT txid_status($1)", {Int8Oid}, {QByteArray::number(transactionId)}, {false}};
        for (;;) {
            Result status = std::move(runPipeline({ask}, deadline).back());
            const QString outcome = status.value(0, 0).toString();
            if (outcome == u"committed") {
                return true;
            }
            if (outcome == u"aborted") {
                throw unreachable(
                    m_description,
                    QStringLiteral("the connection was lost during the commit; the change was not "
                                   "stored"));
            }
            // Still in progress: the server has not yet noticed that its client is gone.
            if (millisecondsUntil(deadline) <= 100) {
                throw unknown();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    } catch (const ServerError& error) {
        if (error.SqlState().isEmpty() && !error.Description().contains(u"not stored")) {
            throw unknown();
        }
        throw;
    }
}

// One round trip: the statements, one sync. A failure makes the server skip the rest of the pipeline; the
// first failure is the one reported.
std::vector<Result> Connection::runPipeline(const std::vector<Statement>& statements,
                                            Clock::time_point deadline) {
    pg_conn* conn = handle();
    if (PQenterPipelineMode(conn) != 1) {
        abandon(QString::fromUtf8(PQerrorMessage(conn)).section(u'\n', 0, 0), false);
    }
    for (const Statement& statement : statements) {
        std::vector<const char*> values;
        for (std::size_t k = 0; k < statement.values.size(); ++k) {
            values.push_back(statement.nulls[k] ? nullptr : statement.values[k].constData());
        }
        if (PQsendQueryParams(conn, statement.text.constData(), int(values.size()), statement.types.data(),
                              values.data(), nullptr, nullptr, 0) != 1) {
            abandon(QString::fromUtf8(PQerrorMessage(conn)).section(u'\n', 0, 0), false);
        }
    }
    if (PQpipelineSync(conn) != 1) {
        abandon(QString::fromUtf8(PQerrorMessage(conn)).section(u'\n', 0, 0), false);
    }
    flushOutput(deadline);
    std::vector<Result> results;
    std::optional<Result> failure;
    for (std::size_t k = 0; k < statements.size(); ++k) {
        awaitResult(deadline);
        Result answer(PQgetResult(conn));
        if (!answer.handle()) {
            abandon(QStringLiteral("the server closed the connection"), false);
        }
        awaitResult(deadline);
        while (PGresult* end = PQgetResult(conn)) { // each query's results end with a null
            PQclear(end);
            awaitResult(deadline);
        }
        if (!failure && !succeeded(answer.handle())) {
            if (sqlStateOf(answer).isEmpty()) {
                throwFailure(answer); // the connection failed: nothing more comes
            }
            failure.emplace(std::move(answer));
        } else {
            results.push_back(std::move(answer));
        }
    }
    // The sync's own answer; then the connection leaves the pipeline.
    for (;;) {
        awaitResult(deadline);
        const Result rest(PQgetResult(conn));
        if (!rest.handle()) {
            abandon(QStringLiteral("the server closed the connection"), false);
        }
        if (PQresultStatus(rest.handle()) == PGRES_PIPELINE_SYNC) {
            break;
        }
    }
    PQexitPipelineMode(conn);
    if (failure) {
        throwFailure(*failure);
    }
    return results;
}

Result Connection::runScript(const QByteArray& text, Clock::time_point deadline) {
    pg_conn* conn = handle();
    if (PQsendQuery(conn, text.constData()) != 1) {
        abandon(QString::fromUtf8(PQerrorMessage(conn)).section(u'\n', 0, 0), false);
    }
    flushOutput(deadline);
    Result last(nullptr);
    std::optional<Result> failure;
    for (;;) {
        awaitResult(deadline);
        Result answer(PQgetResult(conn));
        if (!answer.handle()) {
            break;
        }
        if (!failure && !succeeded(answer.handle())) {
            failure.emplace(std::move(answer));
        } else {
            last = std::move(answer);
        }
    }
    if (failure) {
        throwFailure(*failure);
    }
    return last;
}

void Connection::flushOutput(Clock::time_point deadline) {
    for (;;) {
        const int pending = PQflush(handle());
        if (pending == 0) {
            return;
        }
        if (pending < 0) {
            abandon(QString::fromUtf8(PQerrorMessage(handle())).section(u'\n', 0, 0), false);
        }
        if (!awaitSocket(handle(), POLLIN | POLLOUT, deadline)) {
            abandon(noAnswerWithin(m_deadlineMs), true);
        }
        if (PQconsumeInput(handle()) != 1) { // the server may answer while we still send
            abandon(QString::fromUtf8(PQerrorMessage(handle())).section(u'\n', 0, 0), false);
        }
    }
}

void Connection::awaitResult(Clock::time_point deadline) {
    while (PQisBusy(handle())) {
        if (!awaitSocket(handle(), POLLIN, deadline)) {
            abandon(noAnswerWithin(m_deadlineMs), true);
        }
        if (PQconsumeInput(handle()) != 1) {
            abandon(QString::fromUtf8(PQerrorMessage(handle())).section(u'\n', 0, 0).trimmed(), false);
        }
    }
}

void Connection::abandon(const QString& reason, bool cancel) {
    if (m_conn && cancel) {
        cancelElsewhere(handle());
    }
    m_conn.reset();
    m_waiting.clear();
    m_transactionId.reset();
    m_lostReason = reason.isEmpty() ? QStringLiteral("the connection was lost") : reason;
    throw unreachable(m_description, m_lostReason);
}

bool Connection::inTransaction() const noexcept {
    if (!m_waiting.empty()) {
        return !m_waiting.back().startsWith("COMMIT");
    }
    const PGTransactionStatusType status = PQtransactionStatus(handle());
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

bool Connection::transactionFailed() const noexcept {
    return PQtransactionStatus(handle()) == PQTRANS_INERROR;
}

bool Connection::isBroken() const noexcept {
    return !m_conn || PQstatus(handle()) == CONNECTION_BAD;
}

// Only the server's primary message goes into the error: its detail may quote a whole failing row,
// passwords included. A failure without a SQLSTATE is the connection's own: it is lost.
void Connection::throwFailure(const Result& result) {
    const QString sqlState = sqlStateOf(result);
    if (sqlState.isEmpty()) {
        const char* message = PQresultErrorMessage(result.handle());
        abandon(QString::fromUtf8(message && *message ? message : PQerrorMessage(handle()))
                    .section(u'\n', 0, 0)
                    .trimmed(),
                false);
    }
    const char* primary = PQresultErrorField(result.handle(), PG_DIAG_MESSAGE_PRIMARY);
    const char* constraint = PQresultErrorField(result.handle(), PG_DIAG_CONSTRAINT_NAME);
    throw serverError(sqlState, QString::fromUtf8(primary ? primary : PQerrorMessage(handle())).trimmed(),
                      QString(), QString::fromUtf8(constraint ? constraint : ""));
}

} // namespace zav::pg
