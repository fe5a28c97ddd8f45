#include "store/server/ServerAddress.h"

#include "store/DbError.h"

#include <QStringList>
#include <QUrl>
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

QString withoutPassword(const QString& uri) {
    const qsizetype start = uri.indexOf(QLatin1String("://")) + 3;
    qsizetype authorityEnd = start;
    while (authorityEnd < uri.size() && uri[authorityEnd] != u'/' && uri[authorityEnd] != u'?') {
        ++authorityEnd;
    }
    QString authority = uri.mid(start, authorityEnd - start);
    // A user name holds no ':' or '@' of its own (libpq wants them percent-encoded).
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const qsizetype colon = authority.indexOf(QLatin1Char(':'));
        if (colon >= 0 && colon < at) {
            authority.remove(colon, at - colon);
        }
    }
    QString rest = uri.mid(authorityEnd);
    if (const qsizetype question = rest.indexOf(QLatin1Char('?')); question >= 0) {
        QStringList kept;
        for (const QString& item : rest.mid(question + 1).split(QLatin1Char('&'))) {
            // libpq decodes the keys as it decodes the values: "%70assword" is "password".
            const QString key = QUrl::fromPercentEncoding(item.section(QLatin1Char('='), 0, 0).toUtf8());
            if (key != QLatin1String("password") && key != QLatin1String("sslpassword")) {
                kept << item;
            }
        }
        rest = rest.left(question) +
               (kept.isEmpty() ? QString() : QLatin1Char('?') + kept.join(QLatin1Char('&')));
    }
    return uri.left(start) + authority + rest;
}

namespace {

// libpq gives several hosts (and their ports, or one port for all) as comma-separated lists.
QString hostsWithPorts(const QByteArray& hosts, const QByteArray& ports) {
    const QStringList hostList = QString::fromUtf8(hosts).split(u',');
    const QStringList portList = QString::fromUtf8(ports).split(u',');
    QStringList named;
    for (qsizetype i = 0; i < hostList.size(); ++i) {
        const QString port = portList.size() == 1 ? portList[0] : portList.value(i);
        named << (port.isEmpty() ? hostList[i] : hostList[i] + u':' + port);
    }
    return named.join(u',');
}

} // namespace

QString describeServer(const QString& uri) {
    try {
        ConnectionParameters parameters = parseServerUri(uri);
        const QByteArray user = parameters["user"];
        return QStringLiteral("postgresql://%1%2/%3")
            .arg(user.isEmpty() ? QString() : QString::fromUtf8(user + '@'),
                 hostsWithPorts(parameters["host"], parameters["port"]),
                 QString::fromUtf8(parameters["dbname"]));
    } catch (const store::DbError&) {
        return QStringLiteral("(an address that is not a valid connection URI)");
    }
}

} // namespace zav::pg
