#pragma once

// A server database is named by a libpq connection URI in DbPath. Its password (and any other secret
// setting) never appears in a message: messages name the server by describeServer().

#include <QByteArray>
#include <QString>
#include <map>

namespace zav::pg {

// True for "postgresql://..." and "postgres://...", the prefixes libpq takes for a URI.
bool isServerPath(const QString& dbPath);

// "postgresql://user@host:port/dbname" with only those four parts, for messages and logs.
QString describeServer(const QString& uri);

// The URI as given, less its password ("user:password@" and the password and sslpassword settings of
// the query): what a message may show of it, still an address a user can connect with.
QString withoutPassword(const QString& uri);

// The settings the URI gives, as libpq's keyword/value pairs. Throws 3055 when libpq cannot read it
// (without repeating any of it: it may hold the password).
using ConnectionParameters = std::map<QByteArray, QByteArray>;
ConnectionParameters parseServerUri(const QString& uri);

} // namespace zav::pg
