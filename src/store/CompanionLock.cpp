#include "store/CompanionLock.h"

#include "store/DbError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zav::store {

namespace {

DbError lockFileError(const QString& lockPath, int error) {
    return DbError(ErrEngine,
                   QStringLiteral("Cannot open the lock file '%1': %2")
                       .arg(lockPath, QString::fromLocal8Bit(std::strerror(error))),
                   error);
}

// A lock file left by an older release may let anyone take a shared lock, and with it lock every
// exclusive user out: ours follows the database's permissions for its owner and group, never others.
void matchPermissions(int fd, mode_t wanted) {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & 0777) != wanted) {
        ::fchmod(fd, wanted);
    }
}

} // namespace

CompanionLock::CompanionLock(const DatabasePlace& place, Kind kind, mode_t databasePermissions) {
    const QString lockPath = place.lockPath();
    const QByteArray encoded = QFile::encodeName(lockPath);
    const mode_t wanted = databasePermissions & 0660;
    m_fd = ::open(encoded.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, OwnerOnly);
    if (m_fd >= 0) {
        matchPermissions(m_fd, wanted);
    } else {
        const int error = errno;
        // A folder we may not write to: an existing lock file can still be locked through a read-only
        // descriptor.
        m_fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (m_fd < 0) {
            const bool cannotMakeOne = errno == ENOENT && (error == EACCES || error == EROFS);
            if (kind == Kind::SharedReader && (cannotMakeOne || errno == EACCES)) {
                return;
            }
            throw lockFileError(lockPath, errno);
        }
    }
    if (::flock(m_fd, (kind == Kind::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        if (error == EWOULDBLOCK) {
            throw DbError(ErrFileInUse,
                          QStringLiteral("Could not use '%1'; file already in use.").arg(place.given));
        }
        throw DbError(ErrEngine,
                      QStringLiteral("Cannot lock '%1': %2")
                          .arg(place.given, QString::fromLocal8Bit(std::strerror(error))),
                      error);
    }
}

CompanionLock::~CompanionLock() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

QString CompanionLock::pathFor(const QString& dbPath) {
    try {
        return placeOf(dbPath).lockPath();
    } catch (const DbError&) {
        return dbPath + QStringLiteral(".lock");
    }
}

} // namespace zav::store
