#include "store/SqliteException.h"

#include <sqlite3.h>

namespace zav::sqlite {

namespace {
std::string messageOf(sqlite3* db, int resultCode) {
    const char* text = db ? sqlite3_errmsg(db) : nullptr;
    return text ? std::string(text) : std::string(sqlite3_errstr(resultCode));
}

int extendedCodeOf(sqlite3* db, int resultCode) {
    // The connection knows the extended code of its last failure; without one the plain code serves.
    const int extended = db ? sqlite3_extended_errcode(db) : resultCode;
    return (extended & 0xff) == (resultCode & 0xff) ? extended : resultCode;
}
} // namespace

Exception::Exception(int extendedCode, const std::string& message)
    : std::runtime_error(message), m_extendedCode(extendedCode) {}

Exception::Exception(sqlite3* db, int resultCode)
    : std::runtime_error(messageOf(db, resultCode)), m_extendedCode(extendedCodeOf(db, resultCode)) {}

} // namespace zav::sqlite
