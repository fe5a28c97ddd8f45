#pragma once

// Where a database file lives and what the file system says of it. Every path that reaches one file
// (a symbolic link, a relative path) must reach the same companions: SQLite names its journal after
// the path it opens and the lock file is named after the database, so both use the resolved path.

#include <QByteArray>
#include <QString>
#include <compare>
#include <optional>
#include <sys/types.h>

namespace zav::store {

struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

struct FileFacts {
    FileIdentity identity;
    qint64 size = 0;
    bool regular = false;
    mode_t permissions = 0; // the permission bits alone
};

// What stat() says about the path (links followed); nullopt when it fails.
std::optional<FileFacts> factsOf(const QString& path);
// What lstat() says (a link itself); nullopt when nothing is there.
std::optional<FileFacts> entryFactsOf(const QString& path);
// Whether anything is at the path: a file, a folder, a link (even one that leads nowhere). An empty
// regular file holds nothing (a creation cut off before its first page, by an older release) and a
// creation may take its place; it counts only with `emptyFileCounts`.
bool somethingAt(const QString& path, bool emptyFileCounts);

// SQLite refuses a database whose absolute path, with room for "-journal", is longer than its limit.
inline constexpr int LongestDatabasePath = 512 - 8;
// A new file is made beside its place under its name + "-create" first.
inline constexpr int LongestNewDatabasePath = LongestDatabasePath - 7;

// Permission bits of files made for a database of ours: they hold credentials.
inline constexpr mode_t OwnerOnly = 0600;

struct DatabasePlace {
    QString given; // as the caller wrote it: what messages name
    QString real;  // absolute, links resolved: what SQLite opens
    QString lockPath() const { return real + QStringLiteral(".lock"); }
};

// The place of an existing file, or of a new one in an existing folder. Throws 3024 for an empty path
// or a missing file or folder, and 3055 for a resolved path longer than `longest` bytes.
DatabasePlace placeOf(const QString& path, int longest = LongestDatabasePath);

// Makes the folder's new entry durable (after a link or a rename into it).
void syncFolderOf(const QString& path) noexcept;

} // namespace zav::store
