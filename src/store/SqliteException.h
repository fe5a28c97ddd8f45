#pragma once

// The failure of an SQLite call: the engine's extended result code and its message.

#include <stdexcept>
#include <string>

struct sqlite3;

namespace zav::sqlite {

class Exception : public std::runtime_error {
public:
    Exception(int extendedCode, const std::string& message);
    // The connection's last error, reported for the call that returned `resultCode`.
    Exception(sqlite3* db, int resultCode);

    int errorCode() const noexcept { return m_extendedCode & 0xff; }
    int extendedErrorCode() const noexcept { return m_extendedCode; }

private:
    int m_extendedCode;
};

} // namespace zav::sqlite
