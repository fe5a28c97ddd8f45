#include "store/server/ServerError.h"

namespace zav::pg {

using namespace store;

namespace {
const QString TooManyConnections = QStringLiteral("53300");
}

int errorNumberForSqlState(const QString& sqlState, const QString& constraint) {
    if (sqlState == u"22003" || (sqlState == u"23514" && constraint.endsWith(u" range"))) {
        return ErrFieldOverflow;
    }
    if (sqlState == u"23514" && constraint.endsWith(u" not empty")) {
        return ErrZeroLength;
    }
    // A role refused a table or function: what the plant's grants keep from panels and reporting roles.
    if (sqlState == u"25006" || sqlState == u"42501") {
        return ErrReadOnly;
    }
    if (sqlState == u"42601") {
        return ErrSyntax;
    }
    if (sqlState == u"28P01" || sqlState == u"28000") {
        return ErrNotValidPassword;
    }
    if (sqlState == u"3D000") {
        return ErrFileNotFound;
    }
    if (sqlState == u"23505") {
        return ErrDuplicateKey;
    }
    if (sqlState == u"23503") {
        return ErrRelatedRecordRequired;
    }
    if (sqlState == u"55P03" || sqlState == u"40001" || sqlState == u"40P01") {
        return ErrLocked;
    }
    if (sqlState.startsWith(u"08") || sqlState == TooManyConnections || sqlState == u"57P01" ||
        sqlState == u"57P02" || sqlState == u"57P03") {
        return ErrDiskOrNetwork;
    }
    return ErrEngine;
}

namespace {
QString leadFor(int number) {
    switch (number) {
    case ErrNotValidPassword:
        return QStringLiteral("The database server refused the login.");
    case ErrFileNotFound:
        return QStringLiteral("Could not find the database on the server.");
    case ErrDuplicateKey:
        return QStringLiteral("The changes were not successful because they would create duplicate values in "
                              "the index or primary key.");
    case ErrRelatedRecordRequired:
        return QStringLiteral("You cannot add or change a record because a related record is required.");
    case ErrLocked:
        return QStringLiteral("Could not update; currently locked by another user.");
    case ErrDiskOrNetwork:
        return QStringLiteral("Disk or network error: the database server cannot be reached.");
    case ErrFieldOverflow:
        return QStringLiteral("Numeric field overflow: the value does not fit its field.");
    case ErrZeroLength:
        return QStringLiteral("A field cannot be a zero-length string.");
    case ErrReadOnly:
        return QStringLiteral("Cannot update. Database or object is read-only.");
    case ErrSyntax:
        return QStringLiteral("Syntax error in the SQL statement.");
    default:
        return QStringLiteral("The database server failed.");
    }
}
} // namespace

ServerError serverError(const QString& sqlState, const QString& message, const QString& where,
                        const QString& constraint) {
    const int number = errorNumberForSqlState(sqlState, constraint);
    if (sqlState == TooManyConnections) { // a plant with more panels than the server's connections
        return ServerError(number,
                           QStringLiteral("The database server accepts no more connections: its connection "
                                          "limit is reached (%1: %2).")
                               .arg(where.isEmpty() ? QStringLiteral("server") : where, message),
                           sqlState);
    }
    const QString detail = where.isEmpty() ? message : QStringLiteral("%1: %2").arg(where, message);
    return ServerError(number, QStringLiteral("%1 (%2)").arg(leadFor(number), detail), sqlState);
}

ServerError unreachable(const QString& where, const QString& reason) {
    return ServerError(ErrDiskOrNetwork,
                       QStringLiteral("%1 (%2: %3)").arg(leadFor(ErrDiskOrNetwork), where, reason),
                       QString());
}

} // namespace zav::pg

namespace zav::pg {

namespace {
const QString NoAnswer = QStringLiteral("no answer within %1 ms");
}

QString noAnswerWithin(int deadlineMs) {
    return NoAnswer.arg(deadlineMs);
}

bool deadlinePassed(const store::DbError& error) {
    return error.Number() == ErrDiskOrNetwork && error.Description().contains(NoAnswer.section(u'%', 0, 0));
}

} // namespace zav::pg
