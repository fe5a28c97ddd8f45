#pragma once

#include <ZAV_PrjLogin/AutomationError.h>

namespace zav::store {

// Error numbers a host of the classic engine knows.
inline constexpr int ErrUpdateWithoutEdit = 3020;
inline constexpr int ErrNoCurrentRecord = 3021;
inline constexpr int ErrDuplicateKey = 3022;
inline constexpr int ErrFileNotFound = 3024;
inline constexpr int ErrDiskOrNetwork = 3043; // a server or a network path that cannot be reached
inline constexpr int ErrReadOnly = 3027;
inline constexpr int ErrNotValidPassword = 3031;
inline constexpr int ErrFileInUse = 3045;
inline constexpr int ErrNotADatabase = 3049;
inline constexpr int ErrNotValidFileName = 3055;
inline constexpr int ErrSyntax = 3075;
inline constexpr int ErrCharactersAfterEnd = 3142;
inline constexpr int ErrChangedElsewhere = 3197; // the row changed or went since it was read
inline constexpr int ErrRelatedRecordRequired = 3201;
inline constexpr int ErrDatabaseExists = 3204;
inline constexpr int ErrLocked = 3218;
inline constexpr int ErrItemNotFound = 3265;
inline constexpr int ErrZeroLength = 3315;
inline constexpr int ErrFieldOverflow = 3349;
inline constexpr int ErrEngine = 3146; // any other engine failure

// A text value or an SQL text that holds U+0000: SQLite would cut the text there (an SQL text) or
// store what no name can be typed as (a value), so it is refused before it reaches the engine.
inline constexpr int ErrTextWithNul = 5;

// A database failure: an automation error carrying the number above, a description in plain words,
// and the underlying engine's own result code for diagnostics.
class DbError : public AutomationError {
public:
    DbError(int number, const QString& description, int engineCode = 0)
        : AutomationError(number, description), m_engineCode(engineCode) {}
    int EngineCode() const noexcept { return m_engineCode; }

private:
    int m_engineCode;
};

inline DbError textWithNul() {
    return DbError(ErrTextWithNul, QStringLiteral("A name or a text cannot hold the character U+0000."));
}

} // namespace zav::store
