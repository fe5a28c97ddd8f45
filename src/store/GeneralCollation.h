#pragma once

// The sort order of every text column: case-insensitive over all of Unicode ('Müller' equals
// 'MÜLLER'), as the classic engine's general sort order. SQLite's NOCASE folds A-Z only.

namespace zav::sqlite {
class Database;
}

namespace zav::store {

inline constexpr char GeneralCollation[] = "GENERAL";

// Every connection needs it before it touches a text column or index.
void registerGeneralCollation(sqlite::Database& db);

} // namespace zav::store
