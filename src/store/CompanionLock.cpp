#include "store/CompanionLock.h"

#include "store/DbError.h"
#include "store/platform/FileSystem.h"

#include <QFile>
#include <cerrno>
#include <cstring>

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
void matchPermissions(platform::FileHandle file, mode_t wanted) {
    const auto permissions = platform::ownedPermissions(file);
    if (permissions && *permissions != wanted) {
        platform::setPermissions(file, wanted);
    }
}

} // namespace

CompanionLock::CompanionLock(const DatabasePlace& place, Kind kind, mode_t databasePermissions) {
    const QString lockPath = place.lockPath();
    const QByteArray encoded = QFile::encodeName(lockPath);
    const mode_t wanted = databasePermissions & 0660;
    int openError = 0;
    m_fd = platform::openLockFile(encoded.constData(), true, openError);
    if (m_fd != platform::NoFile) {
        matchPermissions(m_fd, wanted);
    } else {
        // A folder we may not write to: an existing lock file can still be locked through a read-only
        // descriptor.
        int readError = 0;
        m_fd = platform::openLockFile(encoded.constData(), false, readError);
        if (m_fd == platform::NoFile) {
            const bool cannotMakeOne = readError == ENOENT && (openError == EACCES || openError == EROFS);
            if (kind == Kind::SharedReader && (cannotMakeOne || readError == EACCES)) {
                return;
            }
            throw lockFileError(lockPath, readError);
        }
    }
    if (const int error = platform::tryLock(m_fd, kind == Kind::Exclusive); error != 0) {
        platform::closeFile(m_fd);
        m_fd = platform::NoFile;
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
    if (m_fd != platform::NoFile) {
        platform::closeFile(m_fd);
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
