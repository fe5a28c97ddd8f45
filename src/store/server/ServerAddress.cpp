#include "store/server/ServerAddress.h"

#include "store/DbError.h"

#include <libpq-fe.h>
#include <memory>

namespace zav::pg {

namespace {
struct OptionsFree {
    void operator()(PQconninfoOption* options) const noexcept { PQconninfoFree(options); }
};
} // namespace

bool isServerPath(const QString& dbPath) {
    return dbPath.startsWith(QLatin1String("postgresql://")) ||
           dbPath.startsWith(QLatin1String("postgres://"));
}

ConnectionParameters parseServerUri(const QString& uri) {
    char* message = nullptr;
    const std::unique_ptr<PQconninfoOption, OptionsFree> options(
        PQconninfoParse(uri.toUtf8().constData(), &message));
    PQfreemem(message); // libpq's words may quote what it could not read
    if (!isServerPath(uri) || !options) {
        throw store::DbError(store::ErrNotValidFileName,
                             QStringLiteral("The server address is not a valid PostgreSQL connection URI."));
    }
    ConnectionParameters parameters;
    for (const PQconninfoOption* option = options.get(); option->keyword; ++option) {
        if (option->val) {
            parameters.emplace(option->keyword, option->val);
        }
    }
    return parameters;
}

QString describeServer(const QString& uri) {
    try {
        ConnectionParameters parameters = parseServerUri(uri);
        const QByteArray user = parameters["user"];
        const QByteArray port = parameters["port"];
        return QStringLiteral("postgresql://%1%2%3/%4")
            .arg(user.isEmpty() ? QString() : QString::fromUtf8(user + '@'),
                 QString::fromUtf8(parameters["host"]),
                 port.isEmpty() ? QString() : QString::fromUtf8(':' + port),
                 QString::fromUtf8(parameters["dbname"]));
    } catch (const store::DbError&) {
        return QStringLiteral("(an address that is not a valid connection URI)");
    }
}

} // namespace zav::pg
