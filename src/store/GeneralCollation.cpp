#include "store/GeneralCollation.h"

#include "store/SqliteDatabase.h"

#include <QStringView>
#include <sqlite3.h>

namespace zav::store {

namespace {
// SQLite hands over native UTF-16 with lengths in bytes.
int compareGeneral(void*, int leftBytes, const void* left, int rightBytes, const void* right) {
    const QStringView a(static_cast<const char16_t*>(left), leftBytes / 2);
    const QStringView b(static_cast<const char16_t*>(right), rightBytes / 2);
    return a.compare(b, Qt::CaseInsensitive);
}
} // namespace

void registerGeneralCollation(sqlite::Database& db) {
    db.check(sqlite3_create_collation_v2(db.handle(), GeneralCollation, SQLITE_UTF16, nullptr, compareGeneral,
                                         nullptr));
}

} // namespace zav::store
