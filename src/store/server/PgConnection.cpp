#include "store/server/PgConnection.h"

#include "store/server/ServerAddress.h"
#include "store/server/ServerError.h"

#include <QRegularExpression>
#include <chrono>
#include <libpq-fe.h>
#include <poll.h>
#include <vector>

namespace zav::pg {

namespace {

constexpr Oid BoolOid = 16;
constexpr Oid Int8Oid = 20;
constexpr Oid UnknownOid = 0; // the server infers the type from where the value goes

// The URI's settings with what every connection needs on top: UTF-8 and the server-side timeouts (the
// latter after any options the URI gives, so they win).
ConnectionParameters parametersFor(const QString& uri, const ConnectionSettings& settings) {
    ConnectionParameters parameters = parseServerUri(uri);
    parameters["client_encoding"] = "UTF8";
    parameters["fallback_application_name"] = "ZAV_PrjLogin";
    parameters["options"] = QByteArray(parameters["options"] + " -c statement_timeout=" +
                                       QByteArray::number(settings.statementTimeoutMs) +
                                       " -c lock_timeout=" + QByteArray::number(settings.lockTimeoutMs))
                                .trimmed();
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
    Result result(PQexecParams(handle(), sql.toUtf8().constData(), int(encoded.size()), types.data(),
                               texts.data(), nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(result.handle());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        throwFailure(result);
    }
    return result;
}

bool Connection::inTransaction() const noexcept {
    const PGTransactionStatusType status = PQtransactionStatus(handle());
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

bool Connection::isBroken() const noexcept {
    return PQstatus(handle()) == CONNECTION_BAD;
}

// Only the server's primary message goes into the error: its detail may quote a whole failing row,
// passwords included.
void Connection::throwFailure(const Result& result) const {
    const char* sqlState = PQresultErrorField(result.handle(), PG_DIAG_SQLSTATE);
    const char* primary = PQresultErrorField(result.handle(), PG_DIAG_MESSAGE_PRIMARY);
    const char* constraint = PQresultErrorField(result.handle(), PG_DIAG_CONSTRAINT_NAME);
    if (!sqlState && PQstatus(handle()) == CONNECTION_BAD) {
        throw unreachable(m_description, QString::fromUtf8(PQerrorMessage(handle())).section(u'\n', 0, 0));
    }
    throw serverError(QString::fromLatin1(sqlState ? sqlState : ""),
                      QString::fromUtf8(primary ? primary : PQerrorMessage(handle())).trimmed(), QString(),
                      QString::fromUtf8(constraint ? constraint : ""));
}

} // namespace zav::pg
