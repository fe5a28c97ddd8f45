#include "store/CompanionLock.h"

#include "store/DbError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zav::store {

CompanionLock::CompanionLock(const QString& dbPath, bool exclusive) {
    const QByteArray lockPath = QFile::encodeName(pathFor(dbPath));
    m_fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        // A folder we may not write to: an existing lock file can still be locked through a read-only
        // descriptor.
        m_fd = ::open(lockPath.constData(), O_RDONLY | O_CLOEXEC);
    }
    if (m_fd < 0) {
        throw DbError(ErrEngine,
                      QStringLiteral("Cannot open the lock file '%1': %2")
                          .arg(pathFor(dbPath), QString::fromLocal8Bit(std::strerror(errno))),
                      errno);
    }
    if (::flock(m_fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        if (error == EWOULDBLOCK) {
            throw DbError(ErrFileInUse,
                          QStringLiteral("Could not use '%1'; file already in use.").arg(dbPath));
        }
        throw DbError(
            ErrEngine,
            QStringLiteral("Cannot lock '%1': %2").arg(dbPath, QString::fromLocal8Bit(std::strerror(error))),
            error);
    }
}

CompanionLock::~CompanionLock() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

} // namespace zav::store
