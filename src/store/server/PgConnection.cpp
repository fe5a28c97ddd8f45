#include "store/server/PgConnection.h"

#include "store/server/ServerAddress.h"
#include "store/server/ServerError.h"

#include <QRegularExpression>
#include <chrono>
#include <libpq-fe.h>
#include <optional>
#include <poll.h>
#include <vector>

namespace zav::pg {

namespace {

constexpr Oid BoolOid = 16;
constexpr Oid Int8Oid = 20;
constexpr Oid UnknownOid = 0; // the server infers the type from where the value goes

// The URI's settings with what every connection needs on top: UTF-8, string literals read by the
// standard's rules (a backslash is a character like any other, as on the file, whatever the database or
// role was set to) and the server-side timeouts. The options come after any the URI gives, so they win.
ConnectionParameters parametersFor(const QString& uri, const ConnectionSettings& settings) {
    ConnectionParameters parameters = parseServerUri(uri);
    parameters["client_encoding"] = "UTF8";
    parameters["fallback_application_name"] = "ZAV_PrjLogin";
    parameters["options"] =
        QByteArray(parameters["options"] + " -c standard_conforming_strings=on -c statement_timeout=" +
                   QByteArray::number(settings.statementTimeoutMs) +
                   " -c lock_timeout=" + QByteArray::number(settings.lockTimeoutMs))
            .trimmed();
    return parameters;
}

// Statements that read or write rows are worth preparing; the rest (transactions, locks, schema) are not.
bool preparable(const QByteArray& sql) {
    const QByteArray word = sql.trimmed().left(6).toUpper();
    return word == "SELECT" || word == "INSERT" || word == "UPDATE" || word == "DELETE";
}

// How many statement texts a connection prepares at most; texts past that run unprepared.
constexpr qsizetype MaxPrepared = 256;
// The server refuses a prepared statement whose rows have other columns since it was prepared.
const QString CachedPlanChanged = QStringLiteral("0A000");

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

// Drives the connection to its end within the time limit (libpq's own connect_timeout counts per host
// and whole seconds; this counts once for all).
void completeConnection(pg_conn* conn, int limitMs, const QString& where) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (state != PGRES_POLLING_OK) {
        if (PQstatus(conn) == CONNECTION_BAD || state == PGRES_POLLING_FAILED) {
            throwConnectFailure(conn, where);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd socket{PQsocket(conn), short(state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        if (left <= 0 || ::poll(&socket, 1, int(left)) == 0) {
            throw unreachable(where, QStringLiteral("no answer within %1 ms").arg(limitMs));
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

} // namespace

void Connection::Finish::operator()(pg_conn* conn) const noexcept {
    PQfinish(conn);
}

Connection::Connection(const QString& uri, const ConnectionSettings& settings)
    : m_description(describeServer(uri)) {
    const ConnectionParameters parameters = parametersFor(uri, settings);
    std::vector<const char*> keywords;
    std::vector<const char*> values;
    for (const auto& [keyword, value] : parameters) {
        keywords.push_back(keyword.constData());
        values.push_back(value.constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    m_conn.reset(PQconnectStartParams(keywords.data(), values.data(), 0));
    if (!m_conn) {
        throw unreachable(m_description, QStringLiteral("out of memory"));
    }
    PQsetErrorVerbosity(handle(), PQERRORS_VERBOSE); // the SQLSTATE of a refused connection
    completeConnection(handle(), settings.connectTimeoutMs, m_description);
}

Connection::~Connection() = default;

Result Connection::exec(const QString& sql, const QVariantList& parameters) {
    if (sql.contains(QChar(0))) {
        throw store::textWithNul();
    }
    std::vector<Parameter> encoded;
    encoded.reserve(size_t(parameters.size()));
    for (const QVariant& value : parameters) {
        encoded.push_back(parameterOf(value));
    }
    std::vector<Oid> types;
    std::vector<const char*> texts;
    for (const Parameter& parameter : encoded) {
        types.push_back(parameter.type);
        texts.push_back(parameter.null ? nullptr : parameter.text.constData());
    }
    const QByteArray text = sql.toUtf8();
    const auto run = [&](const QByteArray* name) {
        if (!m_waiting.empty()) {
            return runAfterWaiting(name, text, types, texts);
        }
        return Result(name ? PQexecPrepared(handle(), name->constData(), int(texts.size()), texts.data(),
                                            nullptr, nullptr, 0)
                           : PQexecParams(handle(), text.constData(), int(texts.size()), types.data(),
                                          texts.data(), nullptr, nullptr, 0));
    };
    const QByteArray key = preparable(text) ? text + QByteArray(reinterpret_cast<const char*>(types.data()),
                                                                qsizetype(types.size() * sizeof(Oid)))
                                            : QByteArray();
    const QByteArray* name = key.isEmpty() ? nullptr : preparedName(key, text, types);
    Result result = run(name);
    if (!succeeded(result) && name && sqlStateOf(result) == CachedPlanChanged) {
        // The table changed under the prepared statement: it is prepared anew when next run, and
        // outside a transaction this run goes through unprepared at once.
        m_prepared.remove(key);
        if (!inTransaction()) {
            result = run(nullptr);
        }
    }
    if (!succeeded(result)) {
        throwFailure(result);
    }
    return result;
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
    Result result(PQexec(handle(), text.constData()));
    if (!succeeded(result)) {
        throwFailure(result);
    }
    return result;
}

// One round trip: the waiting statements, the statement, one sync. A failure makes the server skip the
// rest of the pipeline; the first failure is the one reported. Nothing waits any more afterwards.
Result Connection::runAfterWaiting(const QByteArray* name, const QByteArray& text,
                                   const std::vector<unsigned>& types,
                                   const std::vector<const char*>& values) {
    const std::vector<QByteArray> waiting = std::exchange(m_waiting, {});
    if (PQenterPipelineMode(handle()) != 1) {
        return Result(nullptr);
    }
    bool sent = true;
    for (const QByteArray& statement : waiting) {
        sent = sent && PQsendQueryParams(handle(), statement.constData(), 0, nullptr, nullptr, nullptr,
                                         nullptr, 0) == 1;
    }
    sent = sent && (name ? PQsendQueryPrepared(handle(), name->constData(), int(values.size()), values.data(),
                                               nullptr, nullptr, 0)
                         : PQsendQueryParams(handle(), text.constData(), int(values.size()), types.data(),
                                             values.data(), nullptr, nullptr, 0)) == 1;
    sent = sent && PQpipelineSync(handle()) == 1;
    std::optional<Result> failure;
    Result last(nullptr);
    for (std::size_t k = 0; sent && k <= waiting.size(); ++k) {
        Result answer(PQgetResult(handle()));
        if (!answer.handle()) {
            break; // the connection was lost
        }
        while (PGresult* end = PQgetResult(handle())) { // each query's results end with a null
            PQclear(end);
        }
        if (!failure && !succeeded(answer)) {
            failure.emplace(std::move(answer));
        } else {
            last = std::move(answer);
        }
    }
    // The sync's own answer; then the connection leaves the pipeline (nothing of it is left to read).
    while (PGresult* rest = PQgetResult(handle())) {
        const bool synced = PQresultStatus(rest) == PGRES_PIPELINE_SYNC;
        PQclear(rest);
        if (synced) {
            break;
        }
    }
    PQexitPipelineMode(handle());
    return failure ? std::move(*failure) : std::move(last);
}

bool Connection::succeeded(const Result& result) noexcept {
    const ExecStatusType status = PQresultStatus(result.handle());
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

QString Connection::sqlStateOf(const Result& result) {
    return QString::fromLatin1(PQresultErrorField(result.handle(), PG_DIAG_SQLSTATE));
}

// A text seen for the first time runs unprepared (most texts of a short-lived program run once); the
// second time it is prepared under a name of its own, and from then on runs by that name.
const QByteArray* Connection::preparedName(const QByteArray& key, const QByteArray& text,
                                           const std::vector<unsigned>& types) {
    const auto found = m_prepared.find(key);
    if (found == m_prepared.end()) {
        if (m_prepared.size() < MaxPrepared) {
            m_prepared.insert(key, QByteArray());
        }
        return nullptr;
    }
    if (found->isEmpty()) {
        const QByteArray name = "zav_" + QByteArray::number(++m_preparedCount);
        const Result made(
            PQprepare(handle(), name.constData(), text.constData(), int(types.size()), types.data()));
        if (!succeeded(made)) {
            throwFailure(made);
        }
        *found = name;
    }
    return &*found;
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
    return PQstatus(handle()) == CONNECTION_BAD;
}

// Only the server's primary message goes into the error: its detail may quote a whole failing row,
// passwords included.
void Connection::throwFailure(const Result& result) const {
    const QString sqlState = sqlStateOf(result);
    const char* primary = PQresultErrorField(result.handle(), PG_DIAG_MESSAGE_PRIMARY);
    const char* constraint = PQresultErrorField(result.handle(), PG_DIAG_CONSTRAINT_NAME);
    if (sqlState.isEmpty() && PQstatus(handle()) == CONNECTION_BAD) {
        throw unreachable(m_description, QString::fromUtf8(PQerrorMessage(handle())).section(u'\n', 0, 0));
    }
    throw serverError(sqlState, QString::fromUtf8(primary ? primary : PQerrorMessage(handle())).trimmed(),
                      QString(), QString::fromUtf8(constraint ? constraint : ""));
}

} // namespace zav::pg
