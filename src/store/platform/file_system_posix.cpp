// The store's file system calls on Linux and other POSIX systems.

#include "store/platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zav::store::platform {

namespace {

constexpr mode_t OwnerOnly = 0600;

} // namespace

std::optional<std::string> resolvedPath(const char* path) {
    char buffer[PATH_MAX];
    if (::realpath(path, buffer) == nullptr) {
        return std::nullopt;
    }
    return std::string(buffer);
}

std::optional<EntryFacts> entryFacts(const char* path, bool followLinks) {
    struct stat info {};
    if ((followLinks ? ::stat(path, &info) : ::lstat(path, &info)) != 0) {
        return std::nullopt;
    }
    return EntryFacts{std::uint64_t(info.st_dev), std::uint64_t(info.st_ino), std::int64_t(info.st_size),
                      S_ISREG(info.st_mode), unsigned(info.st_mode & 07777)};
}

void syncFile(const char* path) noexcept {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void syncFolder(const char* folder) noexcept {
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int createFile(const char* path, unsigned permissions) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, OwnerOnly);
    if (fd < 0) {
        return errno;
    }
    ::fchmod(fd, mode_t(permissions));
    ::close(fd);
    return 0;
}

void removeFile(const char* path) noexcept {
    ::unlink(path);
}

int renameOver(const char* from, const char* to) {
    return ::rename(from, to) == 0 ? 0 : errno;
}

int renameNoReplace(const char* from, const char* to) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0 ? 0 : errno;
}

int hardLink(const char* from, const char* to) {
    return ::link(from, to) == 0 ? 0 : errno;
}

FileHandle openLockFile(const char* path, bool readWrite, int& error) {
    const int fd = readWrite ? ::open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, OwnerOnly)
                             : ::open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    error = fd < 0 ? errno : 0;
    return fd < 0 ? NoFile : FileHandle(fd);
}

std::optional<unsigned> ownedPermissions(FileHandle file) {
    struct stat info {};
    if (::fstat(int(file), &info) != 0 || info.st_uid != ::geteuid()) {
        return std::nullopt;
    }
    return unsigned(info.st_mode & 0777);
}

void setPermissions(FileHandle file, unsigned permissions) noexcept {
    ::fchmod(int(file), mode_t(permissions));
}

int tryLock(FileHandle file, bool exclusive) {
    return ::flock(int(file), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0 ? 0 : errno;
}

void closeFile(FileHandle file) noexcept {
    ::close(int(file));
}

} // namespace zav::store::platform
