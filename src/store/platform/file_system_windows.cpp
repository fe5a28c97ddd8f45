// The store's file system calls on Windows. Files have no POSIX permission bits here: a new file gets
// the access list its folder passes on (owner-only is the folder's business), the bits reported are 0600,
// or 0400 for a read-only file, and setting them changes nothing. A folder's entries are made durable by
// the file system itself. Locks are LockFileEx on the first byte, which belong to the open handle.

#include "store/platform/FileSystem.h"

#include <cerrno>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace zav::store::platform {

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return ENOSYS;
    case ERROR_LOCK_VIOLATION:
    case ERROR_SHARING_VIOLATION:
        return EWOULDBLOCK;
    default:
        return EIO;
    }
}

int lastErrno() {
    return errnoOf(GetLastError());
}

// Opens an entry for reading its attributes (a folder too); NoFile-like INVALID_HANDLE_VALUE on failure.
HANDLE openEntry(const char* path, bool followLinks) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return CreateFileA(path, FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
}

} // namespace

std::optional<std::string> resolvedPath(const char* path) {
    const HANDLE entry = openEntry(path, true);
    if (entry == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    char buffer[MAX_PATH + 8];
    const DWORD length = GetFinalPathNameByHandleA(entry, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
    CloseHandle(entry);
    if (length == 0 || length >= sizeof buffer) {
        return std::nullopt;
    }
    std::string resolved(buffer, length);
    if (resolved.rfind("\\\\?\\", 0) == 0) {
        resolved.erase(0, 4);
    }
    return resolved;
}

std::optional<EntryFacts> entryFacts(const char* path, bool followLinks) {
    const HANDLE entry = openEntry(path, followLinks);
    if (entry == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(entry, &info) != 0;
    CloseHandle(entry);
    if (!known) {
        return std::nullopt;
    }
    const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return EntryFacts{info.dwVolumeSerialNumber,
                      (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                      (std::int64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow, !folder && !link,
                      (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0400u : 0600u};
}

void syncFile(const char* path) noexcept {
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, ShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FlushFileBuffers(file);
        CloseHandle(file);
    }
}

void syncFolder(const char*) noexcept {}

int createFile(const char* path, unsigned) {
    const HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lastErrno();
    }
    CloseHandle(file);
    return 0;
}

void removeFile(const char* path) noexcept {
    DeleteFileA(path);
}

int renameOver(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 ? 0 : lastErrno();
}

int renameNoReplace(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) != 0 ? 0 : lastErrno();
}

int hardLink(const char* from, const char* to) {
    return CreateHardLinkA(to, from, nullptr) != 0 ? 0 : lastErrno();
}

FileHandle openLockFile(const char* path, bool readWrite, int& error) {
    const HANDLE file =
        CreateFileA(path, readWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, ShareAll, nullptr,
                    readWrite ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    error = file == INVALID_HANDLE_VALUE ? lastErrno() : 0;
    return file == INVALID_HANDLE_VALUE ? NoFile : reinterpret_cast<FileHandle>(file);
}

std::optional<unsigned> ownedPermissions(FileHandle) {
    return std::nullopt;
}

void setPermissions(FileHandle, unsigned) noexcept {}

int tryLock(FileHandle file, bool exclusive) {
    OVERLAPPED start{};
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return LockFileEx(reinterpret_cast<HANDLE>(file), flags, 0, 1, 0, &start) != 0 ? 0 : lastErrno();
}

void closeFile(FileHandle file) noexcept {
    CloseHandle(reinterpret_cast<HANDLE>(file));
}

} // namespace zav::store::platform
