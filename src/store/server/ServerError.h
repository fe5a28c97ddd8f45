#pragma once

// The server's failures in the numbers a host of the classic engine knows, chosen by SQLSTATE:
//   28P01, 28000 (login refused)                        3031
//   3D000 (the database does not exist)                 3024
//   23505 (unique key)                                  3022
//   23503 (foreign key)                                 3201
//   22003 (number out of range), 23514 on a check named 3349
//   "<field> range"
//   23514 on a check named "<field> not empty"          3315
//   25006 (a write in a read-only transaction)          3027
//   42601 (syntax)                                      3075
//   55P03, 40001, 40P01 (lock wait, conflict, deadlock) 3218 "currently locked by another user"
//   class 08, 53300 (too many connections),
//   57P01-57P03, or no answer at all                    3043 "disk or network error": the server cannot
//                                                       be reached, or went away (a server that does
//                                                       answer but lacks the database is 3024)
//   anything else                                       3146 with the server's own words

#include "store/DbError.h"

namespace zav::pg {

class ServerError : public store::DbError {
public:
    ServerError(int number, const QString& description, const QString& sqlState)
        : DbError(number, description), m_sqlState(sqlState) {}
    // The five characters of the SQLSTATE; empty for a failure without one (no connection).
    const QString& SqlState() const noexcept { return m_sqlState; }

private:
    QString m_sqlState;
};

// `constraint`: the name of the constraint a statement broke, which tells the check failures apart.
int errorNumberForSqlState(const QString& sqlState, const QString& constraint = QString());

// The failure the server reported: `message` is its own text; `where` (optional) names the server.
ServerError serverError(const QString& sqlState, const QString& message, const QString& where = QString(),
                        const QString& constraint = QString());

// A connection that failed before the server answered (refused, timed out, no socket).
ServerError unreachable(const QString& where, const QString& reason);
// The reason of an unreachable() server that gave no answer within its deadline, which deadlinePassed()
// tells apart from one that went away.
QString noAnswerWithin(int deadlineMs);
bool deadlinePassed(const store::DbError& error);

} // namespace zav::pg
