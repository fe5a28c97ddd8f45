#include "store/ErrorMapping.h"

#include <sqlite3.h>

namespace zav::store {

namespace {

// "CHECK constraint failed: Name not empty" -> "Name not empty"
QString detailAfterColon(const QString& message) {
    const auto colon = message.indexOf(u':');
    return colon < 0 ? QString() : message.mid(colon + 1).trimmed();
}

// Check constraints are named "<field> range" and "<field> not empty" (see SchemaSql.cpp).
DbError checkFailure(const QString& message, int code) {
    const QString name = detailAfterColon(message);
    if (name.endsWith(QLatin1String(" not empty"))) {
        return DbError(ErrZeroLength,
                       QStringLiteral("Field '%1' cannot be a zero-length string.").arg(name.chopped(10)),
                       code);
    }
    if (name.endsWith(QLatin1String(" range"))) {
        return DbError(
            ErrFieldOverflow,
            QStringLiteral("Numeric field overflow: the value does not fit field '%1'.").arg(name.chopped(6)),
            code);
    }
    return DbError(ErrEngine, QStringLiteral("The value breaks the rule '%1'.").arg(name), code);
}

DbError constraintFailure(const QString& message, int code) {
    switch (code) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        return DbError(
            ErrDuplicateKey,
            QStringLiteral("The changes were not successful because they would create duplicate values "
                           "in the index or primary key (%1).")
                .arg(detailAfterColon(message)),
            code);
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        return DbError(
            ErrRelatedRecordRequired,
            QStringLiteral("You cannot add or change a record because a related record is required."), code);
    case SQLITE_CONSTRAINT_CHECK:
        return checkFailure(message, code);
    case SQLITE_CONSTRAINT_NOTNULL:
        return DbError(ErrEngine,
                       QStringLiteral("Field '%1' cannot hold a Null value.").arg(detailAfterColon(message)),
                       code);
    default:
        return DbError(ErrEngine, message, code);
    }
}

bool isSyntaxMessage(const QString& message) {
    return message.contains(QLatin1String("syntax error")) ||
           message.contains(QLatin1String("unrecognized token")) ||
           message.contains(QLatin1String("incomplete input"));
}

} // namespace

DbError toDbError(const sqlite::Exception& error) {
    const QString message = QString::fromUtf8(error.what());
    const int code = error.extendedErrorCode();
    switch (error.errorCode()) {
    case SQLITE_CONSTRAINT:
        return constraintFailure(message, code);
    case SQLITE_READONLY:
        return DbError(ErrReadOnly, QStringLiteral("Cannot update. Database or object is read-only."), code);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbError(ErrLocked, QStringLiteral("Could not update; currently locked by another user."),
                       code);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return notADatabase(QString(), code);
    case SQLITE_ERROR:
        if (isSyntaxMessage(message)) {
            return DbError(ErrSyntax, QStringLiteral("Syntax error in the SQL statement (%1).").arg(message),
                           code);
        }
        break;
    default:
        break;
    }
    return DbError(ErrEngine, QStringLiteral("The database engine failed: %1").arg(message), code);
}

DbError fileNotFound(const QString& path) {
    return DbError(ErrFileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
}

DbError notADatabase(const QString& path, int engineCode) {
    const QString which = path.isEmpty() ? QStringLiteral("The database") : QStringLiteral("'%1'").arg(path);
    return DbError(
        ErrNotADatabase,
        QStringLiteral("%1 cannot be opened: it is not a database, or the file is damaged.").arg(which),
        engineCode);
}

DbError notValidPassword(int engineCode) {
    return DbError(ErrNotValidPassword, QStringLiteral("Not a valid password."), engineCode);
}

DbError objectClosed() {
    return DbError(ErrEngine, QStringLiteral("The database or recordset has been closed."));
}

} // namespace zav::store
