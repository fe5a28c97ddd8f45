#include "store/GeneralCollation.h"

#include "store/SqliteDatabase.h"

#include <QString>
#include <QStringView>
#include <algorithm>
#include <sqlite3.h>

namespace zav::store {

namespace {
int compareFolded(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive);
}

// SQLite hands over native UTF-16 with lengths in bytes.
int compareUtf16(void*, int leftBytes, const void* left, int rightBytes, const void* right) {
    return compareFolded(QStringView(static_cast<const char16_t*>(left), leftBytes / 2),
                         QStringView(static_cast<const char16_t*>(right), rightBytes / 2));
}

constexpr unsigned char asciiLower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool isAscii(const unsigned char* text, int from, int to) {
    for (int i = from; i < to; ++i) {
        if (text[i] & 0x80) {
            return false;
        }
    }
    return true;
}

// The files hold UTF-8: comparing it as it is spares SQLite converting both keys to UTF-16 (two
// allocations) for every comparison, which dominates index work such as cascaded updates. ASCII
// folds to the same order as the Unicode comparison below; anything else goes through it.
int compareUtf8(void*, int leftBytes, const void* left, int rightBytes, const void* right) {
    const auto* a = static_cast<const unsigned char*>(left);
    const auto* b = static_cast<const unsigned char*>(right);
    const int common = std::min(leftBytes, rightBytes);
    int i = 0;
    for (; i < common && ((a[i] | b[i]) & 0x80) == 0; ++i) {
        const unsigned char ca = asciiLower(a[i]);
        const unsigned char cb = asciiLower(b[i]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (i == common && isAscii(a, i, leftBytes) && isAscii(b, i, rightBytes)) {
        return leftBytes == rightBytes ? 0 : (leftBytes < rightBytes ? -1 : 1);
    }
    return compareFolded(QString::fromUtf8(reinterpret_cast<const char*>(a), leftBytes),
                         QString::fromUtf8(reinterpret_cast<const char*>(b), rightBytes));
}
} // namespace

void registerGeneralCollation(sqlite::Database& db) {
    // SQLite picks the variant that matches the file's text encoding.
    db.check(sqlite3_create_collation_v2(db.handle(), GeneralCollation, SQLITE_UTF8, nullptr, compareUtf8,
                                         nullptr));
    db.check(sqlite3_create_collation_v2(db.handle(), GeneralCollation, SQLITE_UTF16, nullptr, compareUtf16,
                                         nullptr));
}

} // namespace zav::store
