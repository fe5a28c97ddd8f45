#pragma once

// The file system calls of the store, one implementation per platform: file_system_posix.cpp and
// file_system_windows.cpp. Everything above this file (what a database's place is, how a new file is
// made and moved in, the companion lock) is the same on every platform. Paths are in the local 8-bit
// encoding (QFile::encodeName); a call that can fail for a reason the caller tells apart returns an errno
// value, 0 on success. No Qt here, so that the Windows file can be compile-checked on its own.

#include <cstdint>
#include <optional>
#include <string>

namespace zav::store::platform {

struct EntryFacts {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    bool regular = false;
    unsigned permissions = 0; // the permission bits alone
};

// The absolute path with every link resolved; nullopt when the path leads nowhere.
std::optional<std::string> resolvedPath(const char* path);
// What the file system says of a path: of the file a link leads to, or with `followLinks` false of the
// link itself. nullopt when nothing is there.
std::optional<EntryFacts> entryFacts(const char* path, bool followLinks);

// Makes a file's content, or a folder's entries, durable. Failures are ignored.
void syncFile(const char* path) noexcept;
void syncFolder(const char* folder) noexcept;

// Makes a new empty file owner-only (never through a link, never over anything) and then gives it
// `permissions`. 0 or the errno value.
int createFile(const char* path, unsigned permissions);
void removeFile(const char* path) noexcept;
// Renames `from` to `to`, over whatever `to` is.
int renameOver(const char* from, const char* to);
// Renames `from` to `to` unless something is there (EEXIST). EINVAL or ENOSYS: the file system cannot.
int renameNoReplace(const char* from, const char* to);
// A second name for a file (EEXIST when something is there).
int hardLink(const char* from, const char* to);

// An open file that holds a lock.
using FileHandle = std::intptr_t;
inline constexpr FileHandle NoFile = -1;

// Opens a lock file, never through a link: read/write, made owner-only when missing; or read-only, only
// when it exists. NoFile on failure, with the errno value in `error`.
FileHandle openLockFile(const char* path, bool readWrite, int& error);
// The permission bits of an open file that the current user owns; nullopt otherwise or where files have
// no such bits.
std::optional<unsigned> ownedPermissions(FileHandle file);
void setPermissions(FileHandle file, unsigned permissions) noexcept;
// A lock that does not wait, shared or exclusive; it belongs to this open file, so two opens in one
// process conflict as two processes do. 0, EWOULDBLOCK while a conflicting lock is held, or the errno value.
int tryLock(FileHandle file, bool exclusive);
void closeFile(FileHandle file) noexcept;

} // namespace zav::store::platform
