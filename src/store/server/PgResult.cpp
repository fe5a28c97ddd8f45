#include "store/server/PgResult.h"

#include <libpq-fe.h>

namespace zav::pg {

namespace {
// Type OIDs of the built-in types (fixed since the first releases).
constexpr Oid BoolOid = 16;
constexpr Oid Int8Oid = 20;
constexpr Oid Int2Oid = 21;
constexpr Oid Int4Oid = 23;
} // namespace

Result::~Result() {
    PQclear(m_result);
}

Result& Result::operator=(Result&& other) noexcept {
    if (this != &other) {
        PQclear(m_result);
        m_result = std::exchange(other.m_result, nullptr);
    }
    return *this;
}

int Result::rowCount() const noexcept {
    return PQntuples(m_result);
}

int Result::columnCount() const noexcept {
    return PQnfields(m_result);
}

QString Result::columnName(int column) const {
    return QString::fromUtf8(PQfname(m_result, column));
}

QVariant Result::value(int row, int column) const {
    if (PQgetisnull(m_result, row, column)) {
        return {};
    }
    const char* text = PQgetvalue(m_result, row, column);
    switch (PQftype(m_result, column)) {
    case BoolOid:
        return text[0] == 't';
    case Int2Oid:
    case Int4Oid:
        return QByteArray(text).toInt();
    case Int8Oid:
        return QByteArray(text).toLongLong();
    default:
        return QString::fromUtf8(text, PQgetlength(m_result, row, column));
    }
}

unsigned Result::columnType(int column) const noexcept {
    return PQftype(m_result, column);
}

QString Result::commandStatus() const {
    return QString::fromUtf8(PQcmdStatus(m_result));
}

} // namespace zav::pg
